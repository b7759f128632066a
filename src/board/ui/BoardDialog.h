// "Shop-floor board": whether the program serves the live machine board to browsers, on
// which address and port and under which title; with a line telling how the running board
// is doing and, while it runs, the link a browser opens.
#pragma once

#include <QDialog>

#include "board/BoardSettings.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace quillon {

class Notifier;

inline constexpr char kBoardDialogTitle[] = "Shop-floor board";

class BoardDialog : public QDialog {
    Q_OBJECT
public:
    BoardDialog(const BoardSettings& stored, Notifier& notifier, QWidget* parent = nullptr);

    // What OK keeps: the fields as typed, without the blanks around them.
    BoardSettings chosen() const;
    // The running board's state, or why none runs; `url` empty while none runs.
    void setStatus(const QString& text, const QString& url);

    // With serving switched on, OK closes only over settings that can work; otherwise it
    // tells what is wrong and puts the cursor in that field.
    void accept() override;

    QCheckBox* enabledBox() const { return m_enabled; }
    QLineEdit* addressEdit() const { return m_address; }
    QLineEdit* portEdit() const { return m_port; }
    QLineEdit* titleEdit() const { return m_title; }
    QLabel* statusLabel() const { return m_status; }
    QLabel* linkLabel() const { return m_link; }

private:
    Notifier& m_notifier;
    QCheckBox* m_enabled;
    QLineEdit* m_address;
    QLineEdit* m_port;
    QLineEdit* m_title;
    QLabel* m_status;
    QLabel* m_link;
};

}  // namespace quillon
