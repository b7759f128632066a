// The small dialogs on the way to a transmit: the Fanuc "Select type of file" and the
// always-on-top "Tx Repositioning" that waits while the user places the cursor.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace quillon {

class FanucFileTypeDialog : public QDialog {
    Q_OBJECT
public:
    FanucFileTypeDialog(bool program, bool setup, QWidget* parent = nullptr);
    // For a reception, which also asks for the program number of the request.
    FanucFileTypeDialog(bool program, bool setup, const QString& number, QWidget* parent);

    QCheckBox* programBox() const { return m_program; }
    QCheckBox* setupBox() const { return m_setup; }
    QLineEdit* numberEdit() const { return m_number; }
    bool program() const;
    bool setup() const;
    // The first four characters typed.
    QString programNumber() const;

private:
    void build(bool program, bool setup, const QString* number);

    QCheckBox* m_program = nullptr;
    QCheckBox* m_setup = nullptr;
    QLineEdit* m_number = nullptr;
};

// Not modal: the editor stays usable. OK (accepted) or Cancel (rejected) ends it.
class RepositioningDialog : public QDialog {
    Q_OBJECT
public:
    explicit RepositioningDialog(QWidget* parent = nullptr);
};

}  // namespace quillon
