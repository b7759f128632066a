// How the editor views draw and behave: the View menu's flags and the settings without a command.
#pragma once

namespace quillon {

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

}  // namespace quillon
