#include "monitoring/ui/GraphViewWindow.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QRadialGradient>
#include <QScrollArea>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>

#include "platform/Clock.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtColorRef.h"
#include "platform/ui/QtFilePrompter.h"
#include "platform/ui/QtWindowRect.h"

namespace quillon {
namespace {

// How near a right click must come to a line to delete it.
constexpr double kLineGrip = 6;
constexpr int kNameHeight = 18;
constexpr int kTitleHeight = 30;

std::vector<MachineSlot> listedSlots(const std::vector<ListEntry>& entries)
{
    std::vector<MachineSlot> listed;
    for (const auto& entry : entries)
        if (entry.kind == ListEntryKind::Machine && entry.slot)
            listed.push_back(*entry.slot);
    return listed;
}

bool overlaps(const WindowRect& a, const WindowRect& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

double distanceToSegment(QPointF p, const GraphLine& line)
{
    const QPointF a(line.x1, line.y1);
    const QPointF b(line.x2, line.y2);
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    const double t =
        length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, ab) / length2, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

}  // namespace

// The floor plan at its scale: picture, titles, lines and pies; a left drag moves a pie
// or, while "Draw &Line" is on, draws a line; a right click deletes the line under it.
class GraphCanvas final : public QWidget {
public:
    explicit GraphCanvas(GraphViewWindow& view) : QWidget(&view), m_view(view) { resizeToScale(); }

    void resizeToScale()
    {
        setFixedSize(static_cast<int>(kGraphCanvasWidth * scale()),
                     static_cast<int>(kGraphCanvasHeight * scale()));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(scale(), scale());
        const QRect canvas(0, 0, kGraphCanvasWidth, kGraphCanvasHeight);
        const StatusTable& table = m_view.m_env.statuses;
        if (m_view.hasBackground())
            painter.drawImage(canvas, m_view.m_background);
        else
            painter.fillRect(canvas, toQColor(table.background));

        const QColor foreground = toQColor(table.foreground);
        int y = 0;
        for (const auto& title : m_view.m_content.titles) {
            QFont font = painter.font();
            font.setPointSize(title.main ? 16 : 11);
            font.setBold(title.main);
            painter.setFont(font);
            painter.setPen(foreground);
            painter.drawText(QRect(10, y, kGraphCanvasWidth - 20, kTitleHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, fromBytes(title.text));
            y += title.main ? kTitleHeight : kTitleHeight - 8;
        }

        painter.setPen(QPen(foreground, 3));
        for (const auto& line : m_view.m_place.lines)
            painter.drawLine(line.x1, line.y1, line.x2, line.y2);
        if (m_drawing)
            painter.drawLine(m_pressed, m_current);

        QFont nameFont = painter.font();
        nameFont.setPointSize(9);
        nameFont.setBold(true);
        painter.setFont(nameFont);
        for (const auto& pie : m_view.m_content.pies)
            if (const auto rect = m_view.pieRect(pie.slot))
                paintPie(painter, pie, toQRect(*rect), table);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        const QPoint at = toCanvas(event->position());
        if (event->button() == Qt::RightButton) {
            if (m_view.deleteLineAt(at))
                update();
            return;
        }
        if (event->button() != Qt::LeftButton)
            return;
        m_pressed = m_current = at;
        if (m_view.m_lineAction->isChecked()) {
            m_drawing = true;
            return;
        }
        for (auto it = m_view.m_content.pies.rbegin(); it != m_view.m_content.pies.rend(); ++it) {
            const auto rect = m_view.pieRect(it->slot);
            if (rect && toQRect(*rect).contains(at)) {
                m_dragged = it->slot;
                m_grip = at - QPoint(rect->left, rect->top);
                break;
            }
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        m_current = toCanvas(event->position());
        if (m_dragged)
            m_view.movePie(*m_dragged, m_current - m_grip);
        if (m_dragged || m_drawing)
            update();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        m_current = toCanvas(event->position());
        if (m_drawing && m_current != m_pressed)
            m_view.addLine({m_pressed.x(), m_pressed.y(), m_current.x(), m_current.y()});
        m_drawing = false;
        m_dragged.reset();
        update();
    }

private:
    double scale() const { return m_view.m_place.scale / 100.0; }

    QPoint toCanvas(QPointF widgetPoint) const
    {
        return QPoint(static_cast<int>(widgetPoint.x() / scale()),
                      static_cast<int>(widgetPoint.y() / scale()));
    }

    static void paintPie(QPainter& painter, const GraphPie& pie, QRect box,
                         const StatusTable& table)
    {
        const QRect name(box.left(), box.top(), box.width(), kNameHeight);
        painter.fillRect(name, QColor(0, 0, 128));
        painter.setPen(Qt::white);
        // A name longer than its label keeps its start, as the shop reads it.
        const QString text = painter.fontMetrics().elidedText(fromBytes(pie.name), Qt::ElideRight,
                                                              name.width() - 4);
        painter.drawText(name, Qt::AlignCenter, text);

        const int side = std::max(0, std::min(box.width(), box.height() - kNameHeight) - 4);
        const QRect disc(box.left() + (box.width() - side) / 2, name.bottom() + 3, side, side);
        const std::int64_t total =
            std::accumulate(pie.seconds.begin(), pie.seconds.end(), std::int64_t{0});
        painter.setPen(QPen(Qt::black, 1));
        if (total <= 0) {
            painter.setBrush(Qt::lightGray);
            painter.drawEllipse(disc);
            painter.setBrush(Qt::NoBrush);
            return;
        }
        // Qt counts angles in sixteenths of a degree, counter-clockwise from three o'clock:
        // the slices go clockwise from twelve.
        constexpr int kFullCircle = 360 * 16;
        int start = 90 * 16;
        std::int64_t done = 0;
        for (int i = 0; i < kStatusCount; ++i) {
            if (pie.seconds[i] <= 0)
                continue;
            const int end =
                static_cast<int>(std::llround(static_cast<double>(done + pie.seconds[i]) /
                                              static_cast<double>(total) * kFullCircle));
            const int before = static_cast<int>(std::llround(
                static_cast<double>(done) / static_cast<double>(total) * kFullCircle));
            done += pie.seconds[i];
            const QColor color = toQColor(table.colors[i]);
            if (table.gradient) {
                // The charts' gradient look: each slice lit from the pie's upper left.
                QRadialGradient shine(disc.center(), side / 2.0,
                                      disc.center() - QPointF(side / 5.0, side / 5.0));
                shine.setColorAt(0, color.lighter(150));
                shine.setColorAt(1, color);
                painter.setBrush(shine);
            } else {
                painter.setBrush(color);
            }
            painter.drawPie(disc, start - before, -(end - before));
        }
        painter.setBrush(Qt::NoBrush);
    }

    GraphViewWindow& m_view;
    std::optional<MachineSlot> m_dragged;
    QPoint m_grip;
    QPoint m_pressed;
    QPoint m_current;
    bool m_drawing = false;
};

GraphViewWindow::GraphViewWindow(const MonitorEnvironment& env, QWidget* owner)
    : QMainWindow(owner, Qt::Window),
      m_env(env),
      m_entries(readMonitorList(env.workDir)),
      m_startup(listedSlots(m_entries), env.link, [&link = env.link] { return link.now(); }),
      m_place(readGraphPlace(env.workDir)),
      m_ownPrompter(std::make_unique<QtFilePrompter>(this)),
      m_prompter(m_ownPrompter.get())
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kGraphViewTitle);

    QAction* background = menuBar()->addAction("&Background");
    connect(background, &QAction::triggered, this, &GraphViewWindow::chooseBackground);
    m_lineAction = menuBar()->addAction("Draw &Line");
    m_lineAction->setCheckable(true);
    QAction* clear = menuBar()->addAction("&Delete Lines");
    connect(clear, &QAction::triggered, this, [this] {
        m_place.lines.clear();
        m_canvas->update();
    });

    m_canvas = new GraphCanvas(*this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_canvas);
    setCentralWidget(scroll);

    // Without a saved place the window is left unplaced, for its owner to put it.
    if (m_place.window && m_place.window->hasArea())
        setGeometry(toQRect(withoutNegativeCorner(*m_place.window)));

    loadBackground();
    rebuild();

    m_env.link.monitoringViewOpened(MonitoringView::Graph, *this);
    m_startup.start();

    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &GraphViewWindow::tick);
    m_timer.start();
}

GraphViewWindow::~GraphViewWindow() = default;

QWidget* GraphViewWindow::canvas() const
{
    return m_canvas;
}

void GraphViewWindow::datagramArrived(std::string_view bytes)
{
    const StartupReport report = m_startup.datagramArrived(bytes);
    if (report.rowsReady || (m_startup.rowsBuilt() && report.refreshed))
        rebuild();
}

void GraphViewWindow::tick()
{
    if (m_startup.rowsBuilt())
        rebuild();
}

void GraphViewWindow::rebuild()
{
    const auto record = [this](MachineSlot slot) -> const MachineRecord& {
        return m_startup.record(slot);
    };
    m_content = buildGraphView(m_entries, record, m_env.statuses, m_env.clock.now());
    // Until every machine came in, the pies would show start-up defaults: titles only.
    if (!m_startup.rowsBuilt())
        m_content.pies.clear();
    for (const auto& pie : m_content.pies)
        placeOf(pie.slot);
    m_canvas->update();
}

WindowRect GraphViewWindow::placeOf(MachineSlot slot)
{
    for (const auto& pie : m_place.pies)
        if (pie.slot == slot)
            return pie.rect;
    // A machine new to the view goes to the first free place of the grid.
    WindowRect rect = newPiePlace(static_cast<int>(m_place.pies.size()));
    for (int n = 0; n < kMachineSlots; ++n) {
        const WindowRect candidate = newPiePlace(n);
        const bool taken =
            std::any_of(m_place.pies.begin(), m_place.pies.end(),
                        [&](const PiePlace& p) { return overlaps(p.rect, candidate); });
        if (!taken) {
            rect = candidate;
            break;
        }
    }
    m_place.pies.push_back({slot, rect});
    return rect;
}

std::optional<WindowRect> GraphViewWindow::pieRect(MachineSlot slot) const
{
    for (const auto& pie : m_place.pies)
        if (pie.slot == slot)
            return pie.rect;
    return std::nullopt;
}

void GraphViewWindow::movePie(MachineSlot slot, QPoint topLeft)
{
    for (auto& pie : m_place.pies) {
        if (pie.slot != slot)
            continue;
        const int width = pie.rect.width();
        const int height = pie.rect.height();
        const int left = std::clamp(topLeft.x(), 0, std::max(0, kGraphCanvasWidth - width));
        const int top = std::clamp(topLeft.y(), 0, std::max(0, kGraphCanvasHeight - height));
        pie.rect = {left, top, left + width, top + height};
        m_canvas->update();
        return;
    }
}

bool GraphViewWindow::addLine(const GraphLine& line)
{
    if (m_place.lines.size() >= kGraphLineLimit)
        return false;
    m_place.lines.push_back(line);
    m_canvas->update();
    return true;
}

bool GraphViewWindow::deleteLineAt(QPoint canvasPoint)
{
    for (auto it = m_place.lines.begin(); it != m_place.lines.end(); ++it) {
        if (distanceToSegment(canvasPoint, *it) <= kLineGrip) {
            m_place.lines.erase(it);
            m_canvas->update();
            return true;
        }
    }
    return false;
}

GraphPlace GraphViewWindow::currentPlace() const
{
    GraphPlace place = m_place;
    place.window = fromQRect(isMaximized() ? normalGeometry() : geometry());
    // Only the machines on show are kept; one taken off the list gets a fresh place if it
    // comes back.
    if (m_startup.rowsBuilt()) {
        std::erase_if(place.pies, [this](const PiePlace& pie) {
            return !std::any_of(m_content.pies.begin(), m_content.pies.end(),
                                [&](const GraphPie& shown) { return shown.slot == pie.slot; });
        });
    }
    return place;
}

void GraphViewWindow::loadBackground()
{
    // A missing or unreadable picture leaves the plain background: the view goes on
    // without one rather than stopping the wall display with a message.
    QImage picture(fromBytes(readBackgroundPath(m_env.workDir)));
    m_background = picture.isNull()
                       ? QImage()
                       : picture.scaled(kGraphCanvasWidth, kGraphCanvasHeight,
                                        Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void GraphViewWindow::chooseBackground()
{
    FilePrompt prompt;
    prompt.title = std::string(kBackgroundPromptTitle);
    prompt.directory = m_env.workDir.rootWithoutSeparator();
    prompt.filter = std::string(kBackgroundFilter);
    const auto chosen = m_prompter->openFile(prompt);
    if (!chosen)
        return;
    std::error_code error;
    const bool exists = std::filesystem::is_regular_file(*chosen, error);
    if (const auto refusal = backgroundRefusal(*chosen, exists)) {
        m_env.notifier.message(std::string(*refusal));
        return;
    }
    if (const WriteResult written = writeBackgroundPath(m_env.workDir, *chosen); !written.ok) {
        m_env.notifier.message(written.error);
        return;
    }
    loadBackground();
    m_canvas->update();
    m_env.link.sendWord(kRemoteViewWord);
}

void GraphViewWindow::closeEvent(QCloseEvent* event)
{
    m_timer.stop();
    if (!isMinimized())
        writeGraphPlace(m_env.workDir, currentPlace());
    m_env.link.monitoringViewClosed(MonitoringView::Graph, isMinimized());
    QMainWindow::closeEvent(event);
}

}  // namespace quillon
