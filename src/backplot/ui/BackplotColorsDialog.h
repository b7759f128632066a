// "Backplot colours": the plot windows' background, text and series colours and the
// gradient background switch, kept in PColors.sys.
#pragma once

#include <QDialog>

#include <array>

#include "backplot/PlotColors.h"
#include "platform/ui/ColorSwatch.h"

class QCheckBox;

namespace quillon {

class Notifier;
class WorkDir;

// The dialog starts from PColors.sys and edits a copy; OK writes it back and Cancel
// leaves the file as it was. The plot windows read the file at every build.
class BackplotColorsDialog : public QDialog {
    Q_OBJECT
public:
    BackplotColorsDialog(const WorkDir& workDir, Notifier& notifier, QWidget* parent = nullptr);

    // Replaces the standard colour dialog.
    void setColorPicker(ColorPicker picker) { m_pickColor = std::move(picker); }

    // What the dialog holds now.
    const PlotColors& colors() const { return m_working; }

    // Background, text, G00 and the first fifteen tools. The sixteenth tool's colour has
    // no button: it keeps what the file says.
    static constexpr std::size_t kColorButtons = 18;

    // Writes PColors.sys and closes. A failed write is reported and the dialog stays open
    // with the user's choices, to try again or give up with Cancel.
    void accept() override;

private:
    // The colour of the button (in the order they are shown).
    ColorRef& colorOf(std::size_t button);
    void pick(std::size_t button);
    void restoreDefaults();
    void showColors();

    const WorkDir& m_workDir;
    Notifier& m_notifier;
    PlotColors m_working;
    ColorPicker m_pickColor;

    QCheckBox* m_gradient;
    std::array<ColorSwatch*, kColorButtons> m_swatches{};
};

}  // namespace quillon
