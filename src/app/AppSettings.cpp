#include "app/AppSettings.h"

#include "dnc/ComConfFile.h"
#include "platform/WorkDir.h"

namespace quillon {

namespace {

void followMargins(AppSettings& settings)
{
    settings.flags.wheelScrollsAll = settings.margins.scrollAllWithWheel;
    settings.flags.scrollBarScrollsAll = settings.margins.scrollAllWithScrollBar;
    settings.editorDirectory = settings.margins.editorDefaultPath;
}

}  // namespace

void loadStartupSettings(AppSettings& settings, const WorkDir& workDir)
{
    settings.fonts = FontSet{};
    settings.flags = ViewFlags{};
    settings.colors = readEditorColors(workDir);
    loadPortSetups(settings.portSetups, workDir);
    settings.margins = readMarginsFile(workDir);
    followMargins(settings);
    readFontsFile(workDir.file(kFontsFile), settings.fonts);
}

WriteResult applyOtherOptions(AppSettings& settings, const MarginsSettings& margins,
                              const WorkDir& workDir)
{
    settings.margins = margins;
    followMargins(settings);
    return writeMarginsFile(workDir, settings.margins);
}

}  // namespace quillon
