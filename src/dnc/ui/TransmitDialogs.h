// The small dialogs on the way to a transmit: the Fanuc "Select type of file" and the
// always-on-top "Tx Repositioning" that waits while the user places the cursor.
#pragma once

#include <QDialog>

class QCheckBox;

namespace quillon {

class FanucFileTypeDialog : public QDialog {
    Q_OBJECT
public:
    FanucFileTypeDialog(bool program, bool setup, QWidget* parent = nullptr);

    QCheckBox* programBox() const { return m_program; }
    QCheckBox* setupBox() const { return m_setup; }
    bool program() const;
    bool setup() const;

private:
    QCheckBox* m_program;
    QCheckBox* m_setup;
};

// Not modal: the editor stays usable. OK (accepted) or Cancel (rejected) ends it.
class RepositioningDialog : public QDialog {
    Q_OBJECT
public:
    explicit RepositioningDialog(QWidget* parent = nullptr);
};

}  // namespace quillon
