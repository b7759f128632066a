// The "RPM/Diameter/Surface speed" dialog: two of spindle speed, diameter and surface
// speed (in inches a second or feet a minute) give the others.
#pragma once

#include <QDialog>

#include <array>

#include "calculators/ShopCalculators.h"

class QLineEdit;

namespace quillon {

class Notifier;

class SurfaceSpeedDialog : public QDialog {
    Q_OBJECT
public:
    explicit SurfaceSpeedDialog(Notifier& notifier, QWidget* parent = nullptr);

    // "Calculate": a refused combination is told and the fields stay as typed; otherwise
    // all four are written.
    void calculate();
    // "Clear": the four fields become empty.
    void clear();

    QLineEdit* rpmEdit() const { return m_fields[0]; }
    QLineEdit* diameterEdit() const { return m_fields[1]; }
    QLineEdit* inchPerSecondEdit() const { return m_fields[2]; }
    QLineEdit* feetPerMinuteEdit() const { return m_fields[3]; }

private:
    Notifier& m_notifier;
    std::array<QLineEdit*, kSurfaceSpeedFields> m_fields{};  // in the core's order
};

}  // namespace quillon
