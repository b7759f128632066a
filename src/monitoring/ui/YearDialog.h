// The year entry of the OEE commands: the prompt as the dialog's title and text, the current
// year proposed, OK refused with a message while the entry is not four digits.
#pragma once

#include <QDialog>

#include <optional>
#include <string_view>

class QLineEdit;

namespace quillon {

class Notifier;

class YearDialog : public QDialog {
    Q_OBJECT
public:
    YearDialog(std::string_view prompt, int proposed, Notifier& notifier,
               QWidget* parent = nullptr);

    QLineEdit* yearEdit() const { return m_year; }
    // The year once the dialog was accepted.
    std::optional<int> year() const { return m_accepted; }

    // OK: the entry is checked; a wrong one is told and the dialog stays open.
    void accept() override;

private:
    Notifier& m_notifier;
    QLineEdit* m_year;
    std::optional<int> m_accepted;
};

// Shows the dialog; the year on OK, nothing on Cancel.
std::optional<int> askYear(std::string_view prompt, int proposed, Notifier& notifier,
                           QWidget* parent);

}  // namespace quillon
