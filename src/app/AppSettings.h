// The process-wide settings the application object owns and every part reads.
#pragma once

#include <string>

#include "app/FontSettings.h"
#include "app/HandOff.h"
#include "app/MarginsSettings.h"
#include "dnc/PortSetups.h"
#include "editor/EditorColors.h"
#include "editor/ViewFlags.h"

namespace quillon {

class WorkDir;

struct AppSettings {
    FontSet fonts;
    ViewFlags flags;
    // With their "colours on", which View > "Colorize editor" flips.
    EditorColors colors;
    MarginsSettings margins;
    // Where the editor's file dialogs start.
    std::string editorDirectory;
    PendingTransmitFile pendingTransmit;
    PortSetups portSetups;
    // "Enable 'Undo' for Utility functions": on at every start, never stored.
    bool undoForUtilities = true;
    // "Don't ask again (*)" of the shift graphs' "Display Heads/Pallets" question;
    // opening "Other options" clears it.
    bool headsPalletsDontAsk = false;
};

// The settings files read at start-up over the defaults: the editor colours, the port
// setups, Margins.sys
// (whose wheel and scroll-bar flags become the live ones and whose editor path becomes
// the editor directory) and C2Fonts.sys.
void loadStartupSettings(AppSettings& settings, const WorkDir& workDir);

// Takes the margins of "Other options" after OK: the live scroll flags and the editor
// directory follow them, and Margins.sys is written.
WriteResult applyOtherOptions(AppSettings& settings, const MarginsSettings& margins,
                              const WorkDir& workDir);

}  // namespace quillon
