#include "monitoring/ui/MachineDisplayWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>

#include "monitoring/Datagrams.h"
#include "monitoring/IncomingDatagrams.h"
#include "monitoring/MonitorWindowPlace.h"

namespace quillon {

using namespace machine_display;

namespace {

// The extra line of mcdpos.sys: the vertical scroll position.
constexpr std::size_t kPlaceExtras = 1;

const QString kSortText = QStringLiteral("&Sort");
const QString kUnsortText = QStringLiteral("Un&sort");

// The menu colour for a machine the hub does not monitor, red with white text for an idle
// one, green with black text for one in cycle.
QString buttonStyle(ButtonState state)
{
    QColor fill = QApplication::palette().color(QPalette::Window);
    QColor text = QApplication::palette().color(QPalette::ButtonText);
    if (state == ButtonState::Idle) {
        fill = Qt::red;
        text = Qt::white;
    } else if (state == ButtonState::InCycle) {
        fill = Qt::green;
        text = Qt::black;
    }
    return QStringLiteral(
               "QPushButton { background-color: %1; color: %2; border: 1px outset "
               "gray; }")
        .arg(fill.name(), text.name());
}

// The bytes from the word on, when the datagram's text holds it.
std::optional<std::string_view> fromWord(std::string_view bytes, std::string_view word)
{
    const std::size_t at = datagramText(bytes).find(word);
    if (at == std::string_view::npos)
        return std::nullopt;
    return bytes.substr(at);
}

}  // namespace

MachineDisplayWindow::MachineDisplayWindow(const MonitorEnvironment& env, QWidget* owner)
    : QMainWindow(owner, Qt::Window), m_env(env)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Machine Display");

    m_sortAction = menuBar()->addAction(kSortText, this, &MachineDisplayWindow::toggleSort);

    auto* central = new QWidget(this);
    auto* layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The canvas slides up and down inside the viewport as the bar scrolls.
    auto* viewport = new QWidget(central);
    m_canvas = new QWidget(viewport);
    m_canvas->resize(kGroupsPerBand * kColumnPitch,
                     buttonRectAt(kHubCount - 1, kPortsPerHub - 1).y + kButtonHeight);
    m_scrollBar = new QScrollBar(Qt::Vertical, central);
    m_scrollBar->setRange(0, kScrollRange);
    m_scrollBar->setSingleStep(kScrollStep);
    m_scrollBar->setPageStep(kScrollPage);
    connect(m_scrollBar, &QScrollBar::valueChanged, this,
            [this](int value) { m_canvas->move(0, -value); });
    layout->addWidget(viewport, 1);
    layout->addWidget(m_scrollBar);
    setCentralWidget(central);

    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &MachineDisplayWindow::tick);
    m_timer.start();

    restorePlace();
    m_env.link.machineDisplayOpened(*this);
    m_registered = true;
}

MachineDisplayWindow::~MachineDisplayWindow()
{
    // Deleted with its owner without being closed: the link must not call it again.
    unregister();
}

void MachineDisplayWindow::unregister()
{
    if (!m_registered)
        return;
    m_registered = false;
    m_env.link.machineDisplayClosed();
}

void MachineDisplayWindow::datagramArrived(std::string_view bytes)
{
    if (const auto names = fromWord(bytes, kMachineNamesWord)) {
        if (const auto parsed = parseMachineNames(*names)) {
            const bool moved = m_model.setNames(*parsed).layout;
            for (int slot = 0; slot < kMachineSlots; ++slot)
                if (QPushButton* button = machineButton(slot))
                    button->setText(QString::fromStdString(m_model.name(slot)));
            if (moved)
                layOut();
            // Names come first; the states follow when asked for.
            m_env.link.sendWord(kMachineUpdateWord);
        }
        return;
    }
    if (const auto states = fromWord(bytes, kMachineStatesWord)) {
        if (const auto parsed = parseMachineStates(*states); parsed && m_model.setStates(*parsed))
            createButtons();
    }
}

void MachineDisplayWindow::createButtons()
{
    for (int group = 0; group < kHubCount; ++group) {
        auto* button = new QPushButton(QString::fromStdString(groupLabel(group)), m_canvas);
        button->setFocusPolicy(Qt::NoFocus);
        m_groupButtons[std::size_t(group)] = button;
        paintGroup(group);
    }
    for (int slot = 0; slot < kMachineSlots; ++slot) {
        if (m_model.machineState(slot) == ButtonState::NotCreated)
            continue;
        auto* button = new QPushButton(QString::fromStdString(m_model.name(slot)), m_canvas);
        button->setFocusPolicy(Qt::NoFocus);
        m_machineButtons[std::size_t(slot)] = button;
        paintMachine(slot);
    }
    layOut();
}

void MachineDisplayWindow::paintMachine(int slot)
{
    if (QPushButton* button = machineButton(slot))
        button->setStyleSheet(buttonStyle(m_model.machineState(slot)));
}

void MachineDisplayWindow::paintGroup(int group)
{
    if (QPushButton* button = groupButton(group))
        button->setStyleSheet(buttonStyle(m_model.groupState(group)));
}

void MachineDisplayWindow::layOut()
{
    const auto place = [](QPushButton* button, std::optional<ButtonRect> rect) {
        if (button == nullptr)
            return;
        button->setVisible(rect.has_value());
        if (rect)
            button->setGeometry(rect->x, rect->y, rect->width, rect->height);
    };
    for (int group = 0; group < kHubCount; ++group)
        place(groupButton(group), m_model.groupRect(group));
    for (int slot = 0; slot < kMachineSlots; ++slot)
        place(machineButton(slot), m_model.machineRect(slot));
}

void MachineDisplayWindow::tick()
{
    const DisplayChanges changes = m_model.tick();
    for (const int slot : changes.machines)
        paintMachine(slot);
    for (const int group : changes.groups)
        paintGroup(group);
}

void MachineDisplayWindow::toggleSort()
{
    const DisplayChanges changes = m_model.sorted() ? m_model.unsort() : m_model.sort();
    if (!changes.layout)
        return;
    m_sortAction->setText(m_model.sorted() ? kUnsortText : kSortText);
    // The groups missed the ticks while sorted; they show what they held.
    for (int group = 0; group < kHubCount; ++group)
        paintGroup(group);
    layOut();
}

void MachineDisplayWindow::restorePlace()
{
    const auto place =
        readMonitorWindowPlace(m_env.workDir.file(kMachineDisplayPlaceFile), kPlaceExtras);
    if (!place)
        return;
    if (place->rect && place->rect->hasArea())
        setGeometry(place->rect->left, place->rect->top, place->rect->width(),
                    place->rect->height());
    if (!place->extras.empty())
        m_scrollBar->setValue(place->extras.front());
}

void MachineDisplayWindow::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    if (!isMinimized()) {
        const QRect frame = geometry();
        writeMonitorWindowPlace(m_env.workDir.file(kMachineDisplayPlaceFile),
                                {frame.left(), frame.top(), frame.left() + frame.width(),
                                 frame.top() + frame.height()},
                                {m_scrollBar->value()});
    }
    unregister();
    QMainWindow::closeEvent(event);
}

void MachineDisplayWindow::wheelEvent(QWheelEvent* event)
{
    QApplication::sendEvent(m_scrollBar, event);
}

}  // namespace quillon
