// Settings > "Shop-floor board...": the dialog over ShopBoard.sys, and the program's own
// board server, started, restarted or stopped by what the dialog keeps and started at
// start-up when the saved settings say so.
#pragma once

#include <QObject>
#include <QPointer>

#include <string>

#include "app/ui/SavedFollower.h"
#include "board/ui/BoardRunner.h"

namespace quillon {

class BoardDialog;
class QuillonApplication;

class BoardCommand : public QObject {
    Q_OBJECT
public:
    BoardCommand(QuillonApplication& app, QWidget* window);

    // The dialog; OK saves the file and brings the running board in line with it.
    void configure();
    // The main timer: a board saved as switched on starts once the hub link is there.
    void tick();
    // Before the program ends: the pages are told the server went away.
    void stop();

    BoardRunner& runner() { return m_runner; }
    // What the dialog's status line says.
    std::string statusText() const;

private:
    void showStatus();

    QuillonApplication& m_app;
    QWidget* m_window;
    BoardRunner m_runner;
    SavedFollower<BoardSettings> m_saved;
    QPointer<BoardDialog> m_dialog;
};

}  // namespace quillon
