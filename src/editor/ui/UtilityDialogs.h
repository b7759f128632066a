// The dialogs of the line utilities: "Configure renumbering method", "Modify" and
// "Rotate". They only collect settings; a value out of range is refused with the usual
// prompt and the dialog stays open.
#pragma once

#include <QDialog>

#include <array>

#include "utilities/LineTools.h"
#include "utilities/Renumber.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace quillon {

class Notifier;

class RenumberDialog : public QDialog {
    Q_OBJECT
public:
    RenumberDialog(const RenumberSettings& settings, Notifier& notifier,
                   QWidget* parent = nullptr);

    // What the dialog holds; valid after it was accepted.
    RenumberSettings settings() const;

    QLineEdit* startEdit() const { return m_start; }
    QLineEdit* incrementEdit() const { return m_increment; }
    QLineEdit* digitsEdit() const { return m_digits; }
    QLineEdit* skipEdit() const { return m_skip; }
    QCheckBox* zeroesBox() const { return m_zeroes; }

    void accept() override;

private:
    Notifier& m_notifier;
    QLineEdit* m_start;
    QLineEdit* m_increment;
    QLineEdit* m_digits;
    QCheckBox* m_zeroes;
    QCheckBox* m_letterO;
    QCheckBox* m_colon;
    QCheckBox* m_parenthesis;
    QLineEdit* m_skip;
};

class ModifyDialog : public QDialog {
    Q_OBJECT
public:
    ModifyDialog(const ModifySettings& settings, Notifier& notifier, QWidget* parent = nullptr);

    ModifySettings settings() const;

    QLineEdit* valueEdit() const { return m_value; }
    QLineEdit* addressEdit() const { return m_address; }
    QLineEdit* excludeEdit() const { return m_exclude; }
    QRadioButton* operationButton(ModifySettings::Operation operation) const;
    QRadioButton* decimalsButton(ModifySettings::Decimals decimals) const;

    void accept() override;

private:
    Notifier& m_notifier;
    QLineEdit* m_value;
    std::array<QRadioButton*, 3> m_operations;
    QLineEdit* m_address;
    QLineEdit* m_exclude;
    std::array<QRadioButton*, 3> m_decimals;
};

class RotateDialog : public QDialog {
    Q_OBJECT
public:
    explicit RotateDialog(const RotateSettings& settings, QWidget* parent = nullptr);

    RotateSettings settings() const;

    QLineEdit* fromEdit(int row) const { return m_from[static_cast<std::size_t>(row)]; }
    QLineEdit* toEdit(int row) const { return m_to[static_cast<std::size_t>(row)]; }

private:
    std::array<QLineEdit*, 3> m_from;
    std::array<QLineEdit*, 3> m_to;
};

}  // namespace quillon
