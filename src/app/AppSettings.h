// The process-wide settings the application object owns and every part reads.
#pragma once

#include <string>

#include "app/FontSettings.h"
#include "app/HandOff.h"
#include "app/MarginsSettings.h"
#include "dnc/PortSetups.h"
#include "editor/EditorColors.h"

namespace quillon {

class WorkDir;

// The live flags of the View menu and the drawing settings without a command.
struct ViewFlags {
    bool showLineNumbers = false;
    bool showSpaces = false;
    bool showEndOfBlock = false;
    bool showTabs = true;
    int tabWidth = 8;                  // character widths
    int lineSpacingPercent = 100;      // of the font height
    int insertCaretWidthPercent = 33;  // of the average character width
    bool wheelScrollsAll = true;
    bool scrollBarScrollsAll = false;
    bool overwrite = false;
};

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
