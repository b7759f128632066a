#include "dnc/ui/TransmitWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>

#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

TransmitWindow::TransmitWindow(CommWindows& owner, TransmitJob job, QWidget* parent)
    : CommWindow(owner, CommWindowKind::Transmit, job.setup, parent),
      m_job(std::move(job)),
      m_lines(new QListWidget(this)),
      m_status(new QLabel(this)),
      m_progress(new QProgressBar(this))
{
    setWindowTitle(fromBytes(TransmitEngine::titleFor(m_job.path, m_job.setup.name)));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setFormat("%p %");
    layOutTransfer(m_lines, kListLines, m_status, m_progress);
}

TransmitWindow::~TransmitWindow() = default;

bool TransmitWindow::start()
{
    if (!openPort())
        return false;
    TransmitObserver& observer = *this;
    m_engine = std::make_unique<TransmitEngine>(m_job, line(), observer);
    m_engine->start();
    return true;
}

void TransmitWindow::tick()
{
    if (!portOpen() || !m_engine)
        return;
    switch (m_engine->tick()) {
    case TransmitOutcome::Running:
        break;
    case TransmitOutcome::Done:
    case TransmitOutcome::Failed:
        finish();
        return;
    }
    // A control may hang up once it has all; before that a lost line ends the transfer.
    if (line().status().lost) {
        if (m_engine->complete())
            finish();
        else
            endWithMessage(lostPortText(portIndex()));
    }
}

bool TransmitWindow::confirmClose()
{
    if (!owner().notifier().askYesNo("Are you sure you want to exit?", "Warning",
                                     NoticeIcon::Exclamation))
        return false;
    // Whatever waits in either direction is thrown away at once.
    if (portOpen())
        line().purge();
    return true;
}

void TransmitWindow::clearLines()
{
    m_lines->clear();
}

void TransmitWindow::addLine(const std::string& text)
{
    m_lines->addItem(fromBytes(text));
    while (m_lines->count() > kListLines)
        delete m_lines->takeItem(0);
}

void TransmitWindow::setStatus(const std::string& text)
{
    m_status->setText(fromBytes(text));
}

void TransmitWindow::setProgress(int percent)
{
    m_progress->setValue(percent);
}

void TransmitWindow::setTitle(const std::string& title)
{
    setWindowTitle(fromBytes(title));
}

void TransmitWindow::showMessage(const std::string& text)
{
    owner().notifier().message(text);
}

std::optional<std::string> TransmitWindow::askSetupFile(const std::string& folder)
{
    return owner().files().openFile({"Select SETUP file", folder, "", "Tx File (*.*)|*.*||"});
}

}  // namespace quillon
