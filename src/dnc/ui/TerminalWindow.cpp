#include "dnc/ui/TerminalWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/Latin1.h"

namespace quillon {

TerminalWindow::TerminalWindow(CommWindows& owner, const PortSetup& setup, QWidget* parent)
    : CommWindow(owner, CommWindowKind::Terminal, setup, parent),
      m_session(setup.code, setup.endOfBlock),
      m_incoming(new QListWidget(this)),
      m_outgoing(new QLineEdit(this))
{
    setWindowTitle(fromBytes("Terminal mode using setup: " + setup.name));
    auto* incomingLabel = new QLabel("Incoming data:", this);
    auto* outgoingLabel = new QLabel("Outgoing data:", this);
    incomingLabel->setBuddy(m_incoming);
    outgoingLabel->setBuddy(m_outgoing);
    m_incoming->setSelectionMode(QAbstractItemView::NoSelection);
    m_incoming->setFocusPolicy(Qt::NoFocus);
    auto* exit = new QPushButton("Exit", this);
    // Enter belongs to the typing: it must not press Exit.
    exit->setAutoDefault(false);
    exit->setDefault(false);
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    connect(m_outgoing, &QLineEdit::textEdited, this, &TerminalWindow::outgoingEdited);
    connect(m_outgoing, &QLineEdit::returnPressed, this, [this] {
        if (m_port)
            line().write(m_session.enterPressed());
    });

    auto applyFont = [this](const QFont& font) {
        m_incoming->setFont(font);
        m_outgoing->setFont(font);
        // Room for the eight lines and a full line of 81 characters.
        const QFontMetrics metrics(font);
        m_incoming->setMinimumSize(metrics.horizontalAdvance(QString(82, 'M')) + 24,
                                   metrics.lineSpacing() * 9 + 8);
    };
    applyFont(owner.portFont());
    connect(&owner, &CommWindows::portFontChanged, this, applyFont);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(incomingLabel);
    layout->addWidget(m_incoming);
    layout->addWidget(outgoingLabel);
    layout->addWidget(m_outgoing);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(exit);
    layout->addLayout(buttons);
    showLines();
}

bool TerminalWindow::start()
{
    m_port = openPort();
    if (!m_port)
        return false;
    line().write(std::string(1, kXon));
    return true;
}

void TerminalWindow::tick()
{
    if (!m_port)
        return;
    line().service();
    const LineStatus status = line().status();
    // Line errors are not shown here; taken, they do not linger for the next window.
    line().takeErrors();
    if (status.lost) {
        endWithMessage(lostPortText(portIndex()));
        return;
    }
    if (status.inQueue == 0)
        return;
    m_session.receive(line().read(kReadLimit));
    showLines();
}

void TerminalWindow::showLines()
{
    const auto lines = m_session.displayLines();
    while (m_incoming->count() > static_cast<int>(lines.size()))
        delete m_incoming->takeItem(0);
    while (m_incoming->count() < static_cast<int>(lines.size()))
        m_incoming->addItem(QString());
    for (std::size_t i = 0; i < lines.size(); ++i)
        m_incoming->item(static_cast<int>(i))->setText(fromBytes(lines[i]));
}

void TerminalWindow::outgoingEdited(const QString& text)
{
    const std::string send = m_session.outgoingChanged(toBytes(text));
    if (!send.empty() && m_port)
        line().write(send);
}

}  // namespace quillon
