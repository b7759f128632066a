// "Edit Colors": the editor's thirteen colours and its "Colors on" switch.
#pragma once

#include <QColor>
#include <QDialog>

#include <array>

#include "editor/EditorColors.h"
#include "platform/ui/ColorSwatch.h"

class QCheckBox;

namespace quillon {

class Notifier;
class WorkDir;

// The dialog edits a working copy. "Apply" hands it to the colours every view draws with,
// OK also saves it, and Cancel goes back to the saved colours if Apply had been used.
class ColorsDialog : public QDialog {
    Q_OBJECT
public:
    // live: the process-wide colours the views draw with.
    ColorsDialog(EditorColors& live, const WorkDir& workDir, Notifier& notifier,
                 QWidget* parent = nullptr);

    // Replaces the standard colour dialog.
    void setColorPicker(ColorPicker picker) { m_pickColor = std::move(picker); }

    // OK: Apply, then EColors.sys is written. A failed write is reported and the dialog
    // closes all the same: the colours stay applied for this session.
    void accept() override;
    // Cancel (and closing the window): after an Apply the live colours are read back
    // from EColors.sys; without one they were never touched.
    void reject() override;

signals:
    // The live colours changed: every view is to be redrawn.
    void colorsApplied();

private:
    void apply();
    void pick(EditorColor color, const QString& title);
    void restoreDefaults();
    void showColors();

    EditorColors& m_live;
    const WorkDir& m_workDir;
    Notifier& m_notifier;
    EditorColors m_working;
    bool m_applied = false;
    ColorPicker m_pickColor;

    QCheckBox* m_colorsOn;
    std::array<ColorSwatch*, kEditorColorCount> m_swatches{};
};

}  // namespace quillon
