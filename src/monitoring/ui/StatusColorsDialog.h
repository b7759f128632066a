// "Setting Monitoring display/graph/pie colors": the names and colours of the statuses and
// the gradient switch of the monitoring charts, changed for the rest of the run. The file
// they come from belongs to the hub, so the dialog never writes it.
#pragma once

#include <QDialog>

#include <array>
#include <string>

#include "monitoring/StatusTable.h"
#include "platform/ui/ColorSwatch.h"

class QCheckBox;
class QLineEdit;

namespace quillon {

// Edits a copy of the program's table. OK puts the copy in its place; Cancel reads the
// hub's GraphColor.sys again, which throws away what OK took over before.
class StatusColorsDialog : public QDialog {
    Q_OBJECT
public:
    StatusColorsDialog(StatusTable& table, std::string hubDirectory, QWidget* parent = nullptr);

    // Replaces the standard colour dialog.
    void setColorPicker(ColorPicker picker) { m_pickColor = std::move(picker); }

    // The copy as the dialog holds it now, names as typed.
    StatusTable edited() const;

    // Whether the entry's name is an edit field (the free places and "FEED HOLD"; the first
    // three are shown in fields that cannot be changed).
    static bool hasNameField(int index);

    void accept() override;
    void reject() override;

private:
    void pick(int index);
    void showColor(int index);

    StatusTable& m_table;
    std::string m_hubDirectory;
    StatusTable m_working;
    ColorPicker m_pickColor;
    QCheckBox* m_gradient;
    std::array<QLineEdit*, kStatusCount> m_names{};
    std::array<ColorSwatch*, kStatusCount> m_swatches{};
};

}  // namespace quillon
