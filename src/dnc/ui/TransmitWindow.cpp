#include "dnc/ui/TransmitWindow.h"

#include <QProgressBar>

#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

TransmitWindow::TransmitWindow(CommWindows& owner, TransmitJob job, QWidget* parent)
    : TransferWindow(owner, CommWindowKind::Transmit, job.setup, parent),
      m_job(std::move(job)),
      m_progress(new QProgressBar(this))
{
    setWindowTitle(fromBytes(TransmitEngine::titleFor(m_job.path, m_job.setup.name)));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setFormat("%p %");
    layOut(m_progress, kListLines);
}

TransmitWindow::~TransmitWindow() = default;

bool TransmitWindow::start()
{
    return begin([this](std::unique_ptr<CommPort> port) {
        return std::make_unique<Transfer>(
            std::move(port), m_job, [this](const std::string& folder) {
                return owner().files().openFile(
                    {"Select SETUP file", folder, "", "Tx File (*.*)|*.*||"});
            });
    });
}

void TransmitWindow::showCounter(const TransferReport& report)
{
    if (report.progress)
        m_progress->setValue(*report.progress);
}

}  // namespace quillon
