// The main window: menu bar, status bar and the MDI area that holds the program windows.
#pragma once

#include <QMainWindow>
#include <QPointer>

class QLabel;
class QMdiArea;
class QMenu;

namespace quillon {

class CLiView;
class DocumentManager;
class QuillonApplication;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(QuillonApplication& app);
    ~CMainFrame() override;

    QMdiArea* mdiArea() const { return m_mdiArea; }
    DocumentManager& documents() { return *m_documents; }

    // Restores a minimized window and brings it to the front.
    void bringToFront();
    // Opens the next file waiting in the open-file queue, one per pass of the event loop.
    void openNextQueuedFile();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void fillRecentFiles();
    void showPendingWork();
    void showCaret(std::size_t line, std::size_t column);
    void showOverwrite(bool overwrite);
    void updateEditActions();
    // Runs the command on the active view, when there is one.
    void withView(void (CLiView::*command)());

    QuillonApplication& m_app;
    QMdiArea* m_mdiArea;
    DocumentManager* m_documents;
    QMenu* m_recentMenu = nullptr;
    QLabel* m_caretPane = nullptr;
    QLabel* m_overwritePane = nullptr;
    QList<QAction*> m_documentActions;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
};

}  // namespace quillon
