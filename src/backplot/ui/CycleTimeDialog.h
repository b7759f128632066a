// The "Cycle time" dialog: the tool change time, the rapid rate and Mill or Lathe for the
// cycle-time estimate. A value out of range is refused with the usual prompt and the
// dialog stays open.
#pragma once

#include <QDialog>

#include "backplot/CycleTime.h"

class QLineEdit;
class QRadioButton;

namespace quillon {

class Notifier;

class CycleTimeDialog : public QDialog {
    Q_OBJECT
public:
    CycleTimeDialog(const CycleTimeSettings& settings, Notifier& notifier,
                    QWidget* parent = nullptr);

    // What the dialog holds; valid after it was accepted.
    CycleTimeSettings settings() const;

    QLineEdit* toolChangeEdit() const { return m_toolChange; }
    QLineEdit* rapidRateEdit() const { return m_rapidRate; }
    QRadioButton* millButton() const { return m_mill; }
    QRadioButton* latheButton() const { return m_lathe; }

    void accept() override;

private:
    Notifier& m_notifier;
    QLineEdit* m_toolChange;
    QLineEdit* m_rapidRate;
    QRadioButton* m_mill;
    QRadioButton* m_lathe;
};

}  // namespace quillon
