// The "Right Angle Triangle" dialog: any two of the sides A, B, C and the angles a, b give
// the others. Its texts outlive it: the next opening shows them again.
#pragma once

#include <QDialog>

#include <array>

#include "calculators/ShopCalculators.h"

class QLineEdit;

namespace quillon {

class Notifier;

class RightAngleTriangleDialog : public QDialog {
    Q_OBJECT
public:
    // kept: the texts the fields start with, written back (cut to the length the core
    // reads) whenever the dialog closes.
    RightAngleTriangleDialog(TriangleTexts& kept, Notifier& notifier, QWidget* parent = nullptr);

    // "Calculate": a refused combination is told and the fields stay as typed; otherwise
    // all five are written.
    void calculate();
    // "Clear": the fields and the kept texts become empty.
    void clear();

    QLineEdit* field(TriangleField which) const
    {
        return m_fields[static_cast<std::size_t>(which)];
    }

    void done(int result) override;

private:
    TriangleTexts fieldTexts() const;

    TriangleTexts& m_kept;
    Notifier& m_notifier;
    std::array<QLineEdit*, kTriangleFields> m_fields{};
};

}  // namespace quillon
