// The line utilities of the Utilities menu on the active program: renumber, remove block
// numbers, compress, expand, modify, rotate and min/max. Each works on the selected lines
// (whole lines) or, without a selection, on every line, as one undo step when undo for
// utilities is on. The cycle-time estimate reads every line and changes none. The
// dialogs' settings last while the program runs.
#pragma once

#include "backplot/CycleTime.h"
#include "utilities/LineTools.h"
#include "utilities/Renumber.h"

class QWidget;

namespace quillon {

class CChildFrame;
class QuillonApplication;
class UtilityEdit;

class UtilityCommands {
public:
    UtilityCommands(QuillonApplication& app, QWidget* dialogParent);

    void renumber(CChildFrame& frame);
    void removeBlockNumbers(CChildFrame& frame);
    void compress(CChildFrame& frame);
    void expand(CChildFrame& frame);
    void modify(CChildFrame& frame);
    void rotate(CChildFrame& frame);
    void minMax(CChildFrame& frame);
    void cycleTime(CChildFrame& frame);

    const RenumberSettings& renumberSettings() const { return m_renumber; }
    const ModifySettings& modifySettings() const { return m_modify; }
    const RotateSettings& rotateSettings() const { return m_rotate; }
    const CycleTimeSettings& cycleTimeSettings() const { return m_cycleTime; }

private:
    enum class Caret { Stays, ToFirstLine };
    struct Range {
        std::size_t first;
        std::size_t last;
    };
    // The lines the utility works on: those of the active pane's selection, or all.
    static Range range(CChildFrame& frame);
    // The utility edit run: the wait cursor, one undo step (always with `recorded`, else
    // as the option says), the panes refreshed and, where the command says so, their
    // carets on line 1.
    template <typename Work>
    void run(CChildFrame& frame, bool recorded, Caret caret, Work&& work);

    QuillonApplication& m_app;
    QWidget* m_dialogParent;
    RenumberSettings m_renumber;
    ModifySettings m_modify;
    RotateSettings m_rotate;
    CycleTimeSettings m_cycleTime;
};

}  // namespace quillon
