#include "charting/ChartWidget.h"

#include <QContextMenuEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

#include "platform/FilePrompter.h"
#include "platform/ui/Latin1.h"
#include "platform/ui/QtFilePrompter.h"
#include "platform/ui/QtNotifier.h"

namespace quillon {

namespace {

// One notch of the wheel zooms by this factor.
constexpr double kWheelZoom = 1.25;
// Degrees the 3D view turns per pixel dragged.
constexpr double kDegreesPerPixel = 0.5;
// The zoom keeps the data under the pointer in place even when the new tick labels
// change the plot's width: a few corrections converge well below a pixel.
constexpr int kAnchorCorrections = 3;

}  // namespace

ChartWidget::ChartWidget(ChartKind kind, QWidget* parent) : QWidget(parent), m_data(kind)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(80, 60);
    m_renderer.setFont(font());
    followParent();
}

ChartWidget::~ChartWidget() = default;

void ChartWidget::reinitialize()
{
    m_renderer.clearCaches();
    update();
}

ChartView& ChartWidget::view()
{
    currentView();
    m_viewIsInitial = false;
    return m_view;
}

const ChartView& ChartWidget::view() const
{
    return currentView();
}

const ChartView& ChartWidget::currentView() const
{
    if (m_viewIsInitial)
        m_view = ChartView::initialFor(m_data);
    return m_view;
}

void ChartWidget::resetView()
{
    m_viewIsInitial = true;
    update();
    emit viewChanged();
}

ChartHit ChartWidget::hitTest(QPointF pixel)
{
    return m_renderer.hitTest(m_data, currentView(), size(), pixel);
}

bool ChartWidget::exportPng(const QString& path, QSize size)
{
    return quillon::exportPng(m_data, currentView(), path, size.isEmpty() ? this->size() : size,
                              m_renderer.font());
}

bool ChartWidget::exportSvg(const QString& path, QSize size)
{
    return quillon::exportSvg(m_data, currentView(), path, size.isEmpty() ? this->size() : size,
                              m_renderer.font());
}

QMenu* ChartWidget::createContextMenu()
{
    auto* menu = new QMenu(this);
    connect(menu->addAction(tr("Export as PNG...")), &QAction::triggered, this,
            &ChartWidget::exportPngPrompted);
    connect(menu->addAction(tr("Export as SVG...")), &QAction::triggered, this,
            &ChartWidget::exportSvgPrompted);
    menu->addSeparator();
    connect(menu->addAction(tr("Reset view")), &QAction::triggered, this, &ChartWidget::resetView);
    return menu;
}

void ChartWidget::exportPngPrompted()
{
    exportPrompted(false);
}

void ChartWidget::exportSvgPrompted()
{
    exportPrompted(true);
}

void ChartWidget::exportPrompted(bool svg)
{
    if (!m_prompter && !m_ownPrompter)
        m_ownPrompter = std::make_unique<QtFilePrompter>(this);
    FilePrompter& prompter = m_prompter ? *m_prompter : *m_ownPrompter;
    FilePrompt prompt;
    prompt.title = svg ? "Export as SVG" : "Export as PNG";
    prompt.fileName = svg ? "chart.svg" : "chart.png";
    prompt.filter = svg ? "SVG image (*.svg)|*.svg||" : "PNG image (*.png)|*.png||";
    const auto chosen = prompter.saveFile(prompt);
    if (!chosen || chosen->empty())
        return;
    QString path = fromBytes(*chosen);
    if (QFileInfo(path).suffix().isEmpty())
        path += svg ? QStringLiteral(".svg") : QStringLiteral(".png");
    if (svg ? exportSvg(path) : exportPng(path))
        return;
    if (!m_notifier && !m_ownNotifier)
        m_ownNotifier = std::make_unique<QtNotifier>(this);
    Notifier& notifier = m_notifier ? *m_notifier : *m_ownNotifier;
    notifier.warning("The chart could not be written to " + toBytes(path) + ".");
}

void ChartWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_renderer.paint(painter, size(), m_data, currentView());
}

void ChartWidget::zoomAt(QPointF pixel, double factor)
{
    if (m_data.kind() == ChartKind::Pie)
        return;
    view();  // the user's from now on
    if (m_data.kind() == ChartKind::Chart3D) {
        const ChartLayout layout = m_renderer.layout(m_data, m_view, size());
        zoomAbout(m_view, layout.projection3D, pixel, factor);
    } else {
        const QPointF anchor =
            m_renderer.layout(m_data, m_view, size()).projection2D.fractionAt(pixel);
        m_view.zoomAbout(anchor, factor);
        // New tick labels may have moved the plot's left edge: pan the anchor back under
        // the pointer.
        for (int i = 0; i < kAnchorCorrections; ++i) {
            const QPointF now =
                m_renderer.layout(m_data, m_view, size()).projection2D.fractionAt(pixel);
            if (now == anchor)
                break;
            m_view.panBy(anchor - now);
        }
    }
    update();
    emit viewChanged();
}

void ChartWidget::dragTo(QPointF pixel)
{
    const QPointF delta = pixel - m_lastAt;
    m_lastAt = pixel;
    view();  // the user's from now on
    if (m_drag == Drag::Rotate) {
        // Grabbing the model: dragging right brings its front to the right.
        m_view.rotate(-delta.x() * kDegreesPerPixel, delta.y() * kDegreesPerPixel);
    } else if (m_data.kind() == ChartKind::Chart3D) {
        const ChartLayout layout = m_renderer.layout(m_data, m_view, size());
        m_view.pan += delta / layout.projection3D.pixelsPerBoxUnit();
    } else {
        const Projection2D projection = m_renderer.layout(m_data, m_view, size()).projection2D;
        m_view.panBy(projection.fractionAt(pixel - delta) - projection.fractionAt(pixel));
    }
    update();
    emit viewChanged();
}

void ChartWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_pressAt = m_lastAt = event->position();
    // 3D: the left button turns, the middle button or Shift pans. 2D: every drag pans.
    const bool pan = event->button() == Qt::MiddleButton ||
                     (event->modifiers() & Qt::ShiftModifier) ||
                     m_data.kind() != ChartKind::Chart3D;
    m_drag = Drag::None;
    m_dragOnMove = pan ? Drag::Pan : Drag::Rotate;
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed || m_data.kind() == ChartKind::Pie)
        return;
    if (m_drag == Drag::None) {
        if ((event->position() - m_pressAt).manhattanLength() <= kClickSlop)
            return;
        m_drag = m_dragOnMove;
        setCursor(m_drag == Drag::Pan ? Qt::ClosedHandCursor : Qt::SizeAllCursor);
    }
    dragTo(event->position());
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_pressed)
        return;
    m_pressed = false;
    if (m_drag != Drag::None) {
        m_drag = Drag::None;
        unsetCursor();
        return;
    }
    if (event->button() != Qt::LeftButton ||
        (event->position() - m_pressAt).manhattanLength() > kClickSlop)
        return;
    const ChartHit hit = hitTest(event->position());
    emit clicked(hit);
    switch (hit.target) {
    case ChartHit::Target::Point:
        emit pointClicked(hit.series, hit.point);
        break;
    case ChartHit::Target::Series:
        emit seriesClicked(hit.series);
        break;
    case ChartHit::Target::Category:
        emit categoryClicked(hit.point);
        break;
    case ChartHit::Target::Nothing:
        emit nothingClicked();
        break;
    }
}

void ChartWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first click of the pair was reported; the second only resets the view, and only
    // over the background.
    m_pressed = false;
    if (event->button() == Qt::LeftButton &&
        hitTest(event->position()).target == ChartHit::Target::Nothing)
        resetView();
}

void ChartWidget::wheelEvent(QWheelEvent* event)
{
    const QPoint delta = event->angleDelta();
    const int steps = delta.y() != 0 ? delta.y() : delta.x();
    if (steps == 0)
        return;
    zoomAt(event->position(), std::pow(kWheelZoom, steps / 120.0));
    event->accept();
}

void ChartWidget::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Home:
    case Qt::Key_R:
        resetView();
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAt(rect().center(), kWheelZoom);
        return;
    case Qt::Key_Minus:
        zoomAt(rect().center(), 1 / kWheelZoom);
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ChartWidget::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->exec(event->globalPos());
    delete menu;
}

void ChartWidget::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange) {
        m_renderer.setFont(font());
        update();
    }
    QWidget::changeEvent(event);
}

bool ChartWidget::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange)
        followParent();
    return QWidget::event(event);
}

void ChartWidget::followParent()
{
    if (m_watchedParent)
        m_watchedParent->removeEventFilter(this);
    m_watchedParent = parentWidget();
    if (!m_watchedParent)
        return;
    m_watchedParent->installEventFilter(this);
    if (!m_watchedParent->layout())
        setGeometry(m_watchedParent->contentsRect());
}

bool ChartWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedParent && event->type() == QEvent::Resize &&
        !m_watchedParent->layout())
        setGeometry(m_watchedParent->contentsRect());
    return QWidget::eventFilter(watched, event);
}

}  // namespace quillon
