#include "dnc/ui/ReceiveWindow.h"

#include <QLabel>
#include <QListWidget>

#include "dnc/ReceiveStart.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

ReceiveWindow::ReceiveWindow(CommWindows& owner, ReceiveJob job, QWidget* parent)
    : CommWindow(owner, CommWindowKind::Receive, job.setup, parent),
      m_job(std::move(job)),
      m_lines(new QListWidget(this)),
      m_status(new QLabel(" ", this)),
      m_counter(new QLabel("Line: 0", this))
{
    setWindowTitle(fromBytes(ReceiveEngine::titleFor(m_job.path, m_job.setup.name)));
    layOutTransfer(m_lines, kListLines, m_status, m_counter);
}

ReceiveWindow::~ReceiveWindow() = default;

bool ReceiveWindow::start()
{
    if (!openPort())
        return false;
    ReceiveObserver& observer = *this;
    m_engine = std::make_unique<ReceiveEngine>(m_job, line(), observer);
    m_engine->start();
    return true;
}

void ReceiveWindow::tick()
{
    if (!portOpen() || !m_engine)
        return;
    switch (m_engine->tick()) {
    case ReceiveOutcome::Running:
        break;
    case ReceiveOutcome::Done:
    case ReceiveOutcome::Failed:
        finish();
        return;
    }
    // Everything that arrived before the line went is stored; the window says why it
    // ends, unless the program had already come to its end.
    if (line().status().lost) {
        if (m_engine->ended())
            finish();
        else
            endWithMessage(lostPortText(portIndex()));
    }
}

bool ReceiveWindow::confirmClose()
{
    return owner().notifier().askYesNo("Are you sure you want to exit?", "Warning",
                                       NoticeIcon::Exclamation);
}

void ReceiveWindow::showLines(const std::deque<std::string>& lines, const std::string& current)
{
    // Rows are reused: a fast line changes them many times a second.
    const int rows = static_cast<int>(lines.size()) + 1;
    while (m_lines->count() < rows)
        m_lines->addItem(QString());
    while (m_lines->count() > rows)
        delete m_lines->takeItem(m_lines->count() - 1);
    int row = 0;
    for (const std::string& text : lines)
        m_lines->item(row++)->setText(fromBytes(text));
    m_lines->item(row)->setText(fromBytes(current));
}

void ReceiveWindow::setLineCount(std::uint64_t count)
{
    m_counter->setText(QStringLiteral("Line: %1").arg(count));
}

void ReceiveWindow::setStatus(const std::string& text)
{
    m_status->setText(fromBytes(text));
}

void ReceiveWindow::setTitle(const std::string& title)
{
    setWindowTitle(fromBytes(title));
}

void ReceiveWindow::showMessage(const std::string& text)
{
    owner().notifier().message(text);
}

std::optional<std::string> ReceiveWindow::askSetupFile(const std::string& folder)
{
    return owner().files().saveFile(receiveSetupFilePrompt(folder));
}

}  // namespace quillon
