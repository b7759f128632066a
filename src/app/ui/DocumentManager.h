// The open programs of the main window: creating, opening, saving and closing their
// windows, with the questions and messages of the editor.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QMdiArea;
class QMdiSubWindow;

namespace quillon {

class CChildFrame;
class CLiView;
class EditorEnvironment;
class QuillonApplication;

class DocumentManager : public QObject {
    Q_OBJECT
public:
    // Files the Open dialog opens at once.
    static constexpr int kMaxFilesPerOpen = 5;

    DocumentManager(QuillonApplication& app, EditorEnvironment& environment, QMdiArea& area);

    CChildFrame* newDocument();
    // Opens the file (or activates its window when it is open); tells the user why not.
    CChildFrame* openFile(const QString& path);
    // "&Open...": the open-file dialog, up to five files.
    void openWithDialog();

    bool save(CChildFrame& frame);
    bool saveAs(CChildFrame& frame);
    void saveAll();
    void insertFileAsText(CChildFrame& frame);

    // The save-modified query: true when the window may close.
    bool queryClose(CChildFrame& frame);
    // Offers to save every modified program; false when the user cancelled.
    bool queryCloseAll();
    // The program ends without asking: no window asks to save when it is closed, and what
    // was not saved is dropped, never written unasked.
    void dropCloseChecks();
    // After the program became active again: asks about files changed on disk.
    void checkFilesOnDisk();

    CChildFrame* activeFrame() const;
    CLiView* activeView() const;
    QList<CChildFrame*> frames() const;
    CChildFrame* frameOf(const QString& path) const;

signals:
    void activeViewChanged(quillon::CLiView* view);

private:
    // "This file has been expanded.": Yes compresses the program before it is written.
    void offerCompress(CChildFrame& frame);
    CChildFrame* addFrame(std::unique_ptr<class CLiDoc> doc);
    void rememberRecent(const QString& path);

    QuillonApplication& m_app;
    EditorEnvironment& m_environment;
    QMdiArea& m_area;
    int m_untitledCount = 0;
    QString m_insertFolder;
    bool m_checkingFiles = false;
};

}  // namespace quillon
