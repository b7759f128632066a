// The main window: menu bar, status bar and the MDI area the editor windows will live in.
#pragma once

#include <QMainWindow>

class QMdiArea;
class QMenu;

namespace quillon {

class QuillonApplication;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QuillonApplication& app);

    QMdiArea* mdiArea() const { return m_mdiArea; }

    // Restores a minimized window and brings it to the front.
    void bringToFront();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void fillRecentFiles();
    void showPendingWork();

    QuillonApplication& m_app;
    QMdiArea* m_mdiArea;
    QMenu* m_recentMenu = nullptr;
};

}  // namespace quillon
