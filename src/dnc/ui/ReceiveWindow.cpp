#include "dnc/ui/ReceiveWindow.h"

#include <QLabel>

#include "dnc/ReceiveStart.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

ReceiveWindow::ReceiveWindow(CommWindows& owner, ReceiveJob job, QWidget* parent)
    : TransferWindow(owner, CommWindowKind::Receive, job.setup, parent),
      m_job(std::move(job)),
      m_counter(new QLabel("Line: 0", this))
{
    setWindowTitle(fromBytes(ReceiveEngine::titleFor(m_job.path, m_job.setup.name)));
    statusLine()->setText(" ");
    layOut(m_counter, kListLines);
}

ReceiveWindow::~ReceiveWindow() = default;

bool ReceiveWindow::start()
{
    return begin([this](std::unique_ptr<CommPort> port) {
        return std::make_unique<Transfer>(
            std::move(port), m_job, [this](const std::string& folder) {
                return owner().files().saveFile(receiveSetupFilePrompt(folder));
            });
    });
}

void ReceiveWindow::showCounter(const TransferReport& report)
{
    if (report.lineCount)
        m_counter->setText(QStringLiteral("Line: %1").arg(*report.lineCount));
}

}  // namespace quillon
