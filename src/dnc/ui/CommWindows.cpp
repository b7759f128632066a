#include "dnc/ui/CommWindows.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "dnc/PortsInUse.h"
#include "dnc/ui/ReceiveWindow.h"
#include "dnc/ui/TerminalWindow.h"
#include "dnc/ui/TransmitWindow.h"
#include "platform/Notifier.h"

namespace quillon {

CommWindow::CommWindow(CommWindows& owner, CommWindowKind kind, const PortSetup& setup,
                       QWidget* parent)
    : QDialog(parent), m_owner(owner), m_kind(kind), m_setup(setup)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
}

CommWindow::~CommWindow()
{
    // The windows below have let their ports go with their own members already.
    m_owner.unregisterWindow(this);
}

std::unique_ptr<CommPort> CommWindow::openPort()
{
    auto opened =
        CommPort::open(m_setup, m_kind, m_owner.devices(), m_owner.opener(), m_owner.ports());
    if (!opened.port)
        m_owner.notifier().message(opened.message);
    return std::move(opened.port);
}

void CommWindow::layOutTransfer(QListWidget* lines, int rows, QLabel* status, QWidget* left)
{
    lines->setSelectionMode(QAbstractItemView::NoSelection);
    lines->setFocusPolicy(Qt::NoFocus);
    auto applyFont = [lines, rows](const QFont& font) {
        lines->setFont(font);
        const QFontMetrics metrics(font);
        lines->setMinimumSize(metrics.horizontalAdvance(QString(60, 'M')),
                              metrics.lineSpacing() * rows + 8);
    };
    applyFont(m_owner.portFont());
    connect(&m_owner, &CommWindows::portFontChanged, this, applyFont);
    auto* exit = new QPushButton("Exit", this);
    exit->setAutoDefault(false);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lines);
    layout->addWidget(status);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(left, 1);
    bottom->addWidget(exit);
    layout->addLayout(bottom);
}

void CommWindow::releasePort()
{
    m_owner.unregisterWindow(this);
    dropPort();  // frees the port by the close rules
}

void CommWindow::endWithMessage(const std::string& text)
{
    releasePort();
    m_owner.notifier().message(text);
    finish();
}

void CommWindow::finish()
{
    m_finishing = true;
    close();
}

void CommWindow::closeEvent(QCloseEvent* event)
{
    if (!m_finishing && holdsPort() && !confirmClose()) {
        event->ignore();
        return;
    }
    releasePort();
    // Not QDialog's: it would go round through reject(), which closes.
    QWidget::closeEvent(event);
}

CommWindows::CommWindows(PortsInUse& ports, const ComDeviceMap& devices, LineOpener opener,
                         Notifier& notifier, FilePrompter& files, QObject* parent)
    : QObject(parent),
      m_ports(ports),
      m_devices(devices),
      m_opener(std::move(opener)),
      m_notifier(notifier),
      m_files(files)
{
    connect(&m_timer, &QTimer::timeout, this, &CommWindows::tick);
}

CommWindows::~CommWindows()
{
    // Windows still open end with their owner; their ports are freed as they go.
    for (auto& window : m_registry) {
        if (window)
            delete window.data();
    }
}

void CommWindows::setPortFont(const QFont& font)
{
    m_portFont = font;
    emit portFontChanged(font);
}

void CommWindows::start(std::chrono::milliseconds interval)
{
    m_timer.start(interval);
}

void CommWindows::tick()
{
    if (m_busy)
        return;
    m_busy = true;
    for (int port = 0; port < kPortCount; ++port) {
        CommWindow* window = m_registry[static_cast<std::size_t>(port)];
        if (window && m_ports.isInUse(port))
            window->tick();
    }
    m_busy = false;
}

CommWindow* CommWindows::window(int port) const
{
    if (port < 0 || port >= kPortCount)
        return nullptr;
    return m_registry[static_cast<std::size_t>(port)];
}

void CommWindows::registerWindow(CommWindow* window)
{
    const int port = window->portIndex();
    if (port >= 0 && port < kPortCount)
        m_registry[static_cast<std::size_t>(port)] = window;
}

void CommWindows::unregisterWindow(CommWindow* window)
{
    for (auto& slot : m_registry) {
        if (slot == window)
            slot = nullptr;
    }
}

CommWindow* CommWindows::openTerminal(const PortSetup& setup, QWidget* parent)
{
    if (portBusy(setup, m_ports, m_notifier))
        return nullptr;
    auto* window = new TerminalWindow(*this, setup, parent);
    if (!window->start()) {
        delete window;
        return nullptr;
    }
    registerWindow(window);
    window->show();
    window->move(window->pos() + QPoint(kCascade * setup.port, kCascade * setup.port));
    return window;
}

CommWindow* CommWindows::openTransmit(const TransmitJob& job, QWidget* parent)
{
    return openTransfer<TransmitWindow>(job, parent);
}

CommWindow* CommWindows::openReceive(const ReceiveJob& job, QWidget* parent)
{
    return openTransfer<ReceiveWindow>(job, parent);
}

template <typename Window, typename Job>
CommWindow* CommWindows::openTransfer(const Job& job, QWidget* parent)
{
    if (portBusy(job.setup, m_ports, m_notifier))
        return nullptr;
    auto* window = new Window(*this, job, parent);
    if (!window->start()) {
        delete window;
        return nullptr;
    }
    registerWindow(window);
    window->show();
    const int offset = kCascade + kCascade * job.setup.port;
    window->move(window->pos() + QPoint(offset, offset));
    return window;
}

}  // namespace quillon
