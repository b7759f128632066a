// "Display Heads/Pallets": which stations of a two-station machine the current shift graph
// shows, and whether to ask again.
#pragma once

#include <QDialog>

#include <array>

#include "monitoring/ShiftViews.h"

class QCheckBox;
class QRadioButton;

namespace quillon {

inline constexpr char kHeadsPalletsTitle[] = "Display Heads/Pallets";

class HeadsPalletsDialog : public QDialog {
    Q_OBJECT
public:
    explicit HeadsPalletsDialog(StationChoice initial, QWidget* parent = nullptr);

    HeadsPalletsAnswer answer() const;
    QRadioButton* option(StationChoice choice) const
    {
        return m_options[static_cast<std::size_t>(choice)];
    }
    QCheckBox* dontAskAgain() const { return m_dontAsk; }

private:
    std::array<QRadioButton*, 4> m_options{};
    QCheckBox* m_dontAsk;
};

}  // namespace quillon
