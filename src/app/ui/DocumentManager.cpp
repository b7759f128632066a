#include "app/ui/DocumentManager.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/ui/QuillonApplication.h"
#include "editor/CLiDoc.h"
#include "editor/EditCommands.h"
#include "editor/ui/CChildFrame.h"
#include "editor/ui/CLiView.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtFilePrompter.h"
#include "utilities/LineTools.h"

namespace quillon {

namespace {

constexpr char kAllFilesFilter[] = "All Files (*.*)|*.*|";

QString sameFile(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

}  // namespace

DocumentManager::DocumentManager(QuillonApplication& app, EditorEnvironment& environment,
                                 QMdiArea& area)
    : QObject(&area), m_app(app), m_environment(environment), m_area(area)
{
    connect(&m_area, &QMdiArea::subWindowActivated, this,
            [this](QMdiSubWindow*) { emit activeViewChanged(activeView()); });
}

CChildFrame* DocumentManager::addFrame(std::unique_ptr<CLiDoc> doc)
{
    auto* frame = new CChildFrame(std::move(doc), m_environment,
                                  QStringLiteral("Untitled%1").arg(++m_untitledCount));
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setCloseCheck([this](CChildFrame& closing) { return queryClose(closing); });
    connect(frame, &CChildFrame::viewActivated, this, &DocumentManager::activeViewChanged);
    QMdiSubWindow* window = m_area.addSubWindow(frame);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->resize(m_area.size() * 3 / 4);
    window->show();
    frame->activeView()->setFocus();
    return frame;
}

CChildFrame* DocumentManager::newDocument()
{
    return addFrame(std::make_unique<CLiDoc>());
}

CChildFrame* DocumentManager::frameOf(const QString& path) const
{
    const QString wanted = sameFile(path);
    for (auto* frame : frames()) {
        const std::string& own = frame->document().pathName();
        if (!own.empty() && sameFile(fromBytes(own)) == wanted)
            return frame;
    }
    return nullptr;
}

CChildFrame* DocumentManager::openFile(const QString& path)
{
    if (hasRefusedExtension(toBytes(path))) {
        m_app.notifier().message(kRefusedExtensionText);
        return nullptr;
    }
    if (auto* open = frameOf(path)) {
        m_area.setActiveSubWindow(qobject_cast<QMdiSubWindow*>(open->parentWidget()));
        return open;
    }
    auto doc = std::make_unique<CLiDoc>();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool opened = doc->open(toBytes(sameFile(path)), m_app.notifier());
    QApplication::restoreOverrideCursor();
    if (!opened)
        return nullptr;
    CChildFrame* frame = addFrame(std::move(doc));
    rememberRecent(sameFile(path));
    frame->document().warnIfTooLong(m_app.notifier());
    return frame;
}

void DocumentManager::openWithDialog()
{
    if (!m_app.passSettingsLock())
        return;
    const QStringList files = QFileDialog::getOpenFileNames(
        m_area.window(), "Open file", fromBytes(m_app.settings().editorDirectory),
        toQtFilter(kAllFilesFilter));
    QString lastOpened;
    for (const QString& file : files.mid(0, kMaxFilesPerOpen)) {
        if (openFile(file))
            lastOpened = file;
    }
    if (!lastOpened.isEmpty() && m_app.settings().margins.rememberEditorDirectory) {
        const std::string folder = toBytes(QFileInfo(lastOpened).absolutePath());
        m_app.settings().margins.editorDefaultPath = folder;
        m_app.settings().editorDirectory = folder;
    }
}

void DocumentManager::offerCompress(CChildFrame& frame)
{
    CLiDoc& doc = frame.document();
    if (!doc.expanded() || doc.lineCount() == 0 ||
        !m_app.notifier().askYesNo(kCompressBeforeSaveText))
        return;
    UtilityEdit edit(doc, m_app.settings().undoForUtilities);
    compressLines(doc, edit, 0, doc.lineCount() - 1);
}

bool DocumentManager::save(CChildFrame& frame)
{
    CLiDoc& doc = frame.document();
    if (!doc.canSaveInPlace())
        return saveAs(frame);
    offerCompress(frame);
    return doc.save(doc.pathName(), m_app.notifier());
}

bool DocumentManager::saveAs(CChildFrame& frame)
{
    CLiDoc& doc = frame.document();
    const QString proposed = doc.pathName().empty()
                                 ? QDir::current().filePath(frame.documentTitle())
                                 : fromBytes(doc.pathName());
    const QString chosen = QFileDialog::getSaveFileName(m_area.window(), "Save As", proposed,
                                                        toQtFilter(kAllFilesFilter));
    if (chosen.isEmpty())
        return false;
    offerCompress(frame);
    if (!doc.save(toBytes(chosen), m_app.notifier()))
        return false;
    frame.refreshTitle();
    rememberRecent(chosen);
    return true;
}

void DocumentManager::saveAll()
{
    for (auto* frame : frames()) {
        if (frame->document().isModified())
            save(*frame);
    }
}

void DocumentManager::insertFileAsText(CChildFrame& frame)
{
    const QString start = m_insertFolder.isEmpty() ? QDir::currentPath() : m_insertFolder;
    const QString file = QFileDialog::getOpenFileName(m_area.window(), "Inser file", start,
                                                      toQtFilter(kAllFilesFilter));
    if (file.isEmpty())
        return;
    m_insertFolder = QFileInfo(file).absolutePath();
    frame.activeView()->insertFileAsText(toBytes(file), m_app.notifier());
}

bool DocumentManager::queryClose(CChildFrame& frame)
{
    if (!frame.document().isModified())
        return true;
    const std::string text = "Save changes to " + toBytes(frame.documentTitle()) + "?";
    switch (m_app.notifier().askYesNoCancel(text, {}, NoticeIcon::Exclamation)) {
    case NoticeAnswer::Yes:
        return save(frame);
    case NoticeAnswer::No:
        return true;
    default:
        return false;
    }
}

bool DocumentManager::queryCloseAll()
{
    for (auto* frame : frames()) {
        if (!queryClose(*frame))
            return false;
    }
    // Answered: the windows must not ask again when the program closes them.
    dropCloseChecks();
    return true;
}

void DocumentManager::dropCloseChecks()
{
    for (auto* frame : frames())
        frame->setCloseCheck({});
}

void DocumentManager::checkFilesOnDisk()
{
    // A question box takes the activation away and gives it back: no second round then.
    if (m_checkingFiles)
        return;
    m_checkingFiles = true;
    for (auto* frame : frames()) {
        CLiView* view = frame->activeView();
        const std::size_t caretLine = view->caretState().caret.line;
        if (frame->document().checkDiskVersion(m_app.notifier()) == DiskCheck::Reloaded) {
            frame->refreshTitle();
            view->GoToLine(caretLine + 1);
        }
    }
    m_checkingFiles = false;
}

CChildFrame* DocumentManager::activeFrame() const
{
    QMdiSubWindow* window = m_area.activeSubWindow();
    if (!window)
        window = m_area.currentSubWindow();
    return window ? qobject_cast<CChildFrame*>(window->widget()) : nullptr;
}

CLiView* DocumentManager::activeView() const
{
    CChildFrame* frame = activeFrame();
    return frame ? frame->activeView() : nullptr;
}

QList<CChildFrame*> DocumentManager::frames() const
{
    QList<CChildFrame*> result;
    for (QMdiSubWindow* window : m_area.subWindowList()) {
        if (auto* frame = qobject_cast<CChildFrame*>(window->widget()))
            result << frame;
    }
    return result;
}

void DocumentManager::rememberRecent(const QString& path)
{
    m_app.recentFiles().add(path);
    m_app.recentFiles().save();
}

}  // namespace quillon
