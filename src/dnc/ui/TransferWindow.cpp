#include "dnc/ui/TransferWindow.h"

#include <QLabel>
#include <QListWidget>

#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

TransferWindow::TransferWindow(CommWindows& owner, CommWindowKind kind, const PortSetup& setup,
                               QWidget* parent)
    : CommWindow(owner, kind, setup, parent),
      m_lines(new QListWidget(this)),
      m_status(new QLabel(this))
{
}

TransferWindow::~TransferWindow() = default;

void TransferWindow::layOut(QWidget* counter, int rows)
{
    layOutTransfer(m_lines, rows, m_status, counter);
}

bool TransferWindow::begin(
    const std::function<std::unique_ptr<Transfer>(std::unique_ptr<CommPort>)>& make)
{
    auto port = openPort();
    if (!port)
        return false;
    m_transfer = make(std::move(port));
    showReport(m_transfer->start());
    return true;
}

void TransferWindow::tick()
{
    if (!m_transfer)
        return;
    const TransferReport report = m_transfer->tick();
    showReport(report);
    switch (report.state) {
    case TransferState::Running:
        break;
    case TransferState::Done:
        finish();
        break;
    case TransferState::Failed:
        if (!report.message.empty())
            owner().notifier().message(report.message);
        finish();
        break;
    case TransferState::Lost:
        endWithMessage(report.message);
        break;
    }
}

void TransferWindow::showReport(const TransferReport& report)
{
    if (report.title)
        setWindowTitle(fromBytes(*report.title));
    if (!report.statuses.empty())
        m_status->setText(fromBytes(report.statuses.back()));
    if (report.lines) {
        // Rows are reused: a fast line changes them many times a second.
        const int rows = static_cast<int>(report.lines->size());
        while (m_lines->count() < rows)
            m_lines->addItem(QString());
        while (m_lines->count() > rows)
            delete m_lines->takeItem(m_lines->count() - 1);
        for (int row = 0; row < rows; ++row)
            m_lines->item(row)->setText(fromBytes((*report.lines)[static_cast<std::size_t>(row)]));
    }
    showCounter(report);
}

bool TransferWindow::confirmClose()
{
    if (!owner().notifier().askYesNo("Are you sure you want to exit?", "Warning",
                                     NoticeIcon::Exclamation))
        return false;
    if (m_transfer)
        m_transfer->abort();
    return true;
}

}  // namespace quillon
