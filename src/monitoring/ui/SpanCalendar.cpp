#include "monitoring/ui/SpanCalendar.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

namespace quillon {

namespace {

constexpr int kWeeks = 6;
constexpr int kDaysPerWeek = 7;
// The grid's rows: the day names, then the weeks.
constexpr int kGridRows = kWeeks + 1;
constexpr int kCellWidth = 34;
constexpr int kCellHeight = 24;
// The month title's bar above the grid.
constexpr int kTitleHeight = 30;

// Weeks start on Sunday, as in the shop's dates (MM/DD/YYYY).
int columnOf(QDate day)
{
    return day.dayOfWeek() % kDaysPerWeek;
}

}  // namespace

SpanCalendar::SpanCalendar(QDate today, QWidget* parent)
    : QWidget(parent),
      m_today(today),
      m_month(today.year(), today.month(), 1),
      m_anchor(today),
      m_current(today),
      m_previous(new QToolButton(this)),
      m_next(new QToolButton(this)),
      m_title(new QLabel(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_previous->setArrowType(Qt::LeftArrow);
    m_next->setArrowType(Qt::RightArrow);
    m_previous->setAutoRaise(true);
    m_next->setAutoRaise(true);
    m_previous->setToolTip("Previous month");
    m_next->setToolTip("Next month");
    m_title->setAlignment(Qt::AlignCenter);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    connect(m_previous, &QToolButton::clicked, this, [this] { showMonth(m_month.addMonths(-1)); });
    connect(m_next, &QToolButton::clicked, this, [this] { showMonth(m_month.addMonths(1)); });
    updateTitle();
}

void SpanCalendar::select(QDate anchor, QDate other)
{
    m_anchor = anchor;
    m_current = other;
    showMonth(other);
    update();
}

void SpanCalendar::showMonth(QDate day)
{
    m_month = QDate(day.year(), day.month(), 1);
    updateTitle();
    update();
}

void SpanCalendar::updateTitle()
{
    m_title->setText(QLocale(QLocale::English).toString(m_month, "MMMM yyyy"));
}

void SpanCalendar::resizeEvent(QResizeEvent*)
{
    const int button = kTitleHeight - 6;
    m_previous->setGeometry(3, 3, button, button);
    m_next->setGeometry(width() - 3 - button, 3, button, button);
    m_title->setGeometry(button + 6, 0, std::max(0, width() - 2 * (button + 6)), kTitleHeight);
}

QRectF SpanCalendar::gridRect() const
{
    return QRectF(0, kTitleHeight, width(), std::max(0, height() - kTitleHeight));
}

QDate SpanCalendar::firstShownDay() const
{
    return m_month.addDays(-columnOf(m_month));
}

QDate SpanCalendar::dateAt(QPointF point) const
{
    const QRectF grid = gridRect();
    if (!grid.contains(point))
        return {};
    const int column = static_cast<int>((point.x() - grid.left()) * kDaysPerWeek / grid.width());
    const int row = static_cast<int>((point.y() - grid.top()) * kGridRows / grid.height());
    if (row < 1 || row >= kGridRows || column < 0 || column >= kDaysPerWeek)
        return {};
    return firstShownDay().addDays((row - 1) * kDaysPerWeek + column);
}

QRectF SpanCalendar::cellRect(QDate day) const
{
    const qint64 index = firstShownDay().daysTo(day);
    if (index < 0 || index >= kWeeks * kDaysPerWeek)
        return {};
    const QRectF grid = gridRect();
    const double width = grid.width() / kDaysPerWeek;
    const double height = grid.height() / kGridRows;
    return QRectF(grid.left() + double(index % kDaysPerWeek) * width,
                  grid.top() + double(index / kDaysPerWeek + 1) * height, width, height);
}

QSize SpanCalendar::sizeHint() const
{
    return {kCellWidth * kDaysPerWeek, kTitleHeight + kCellHeight * kGridRows};
}

QSize SpanCalendar::minimumSizeHint() const
{
    return sizeHint();
}

void SpanCalendar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPalette& colors = palette();
    painter.fillRect(rect(), colors.base());
    painter.fillRect(QRectF(0, 0, width(), kTitleHeight), colors.window());

    const QRectF grid = gridRect();
    const double cellHeight = grid.height() / kGridRows;
    const double cellWidth = grid.width() / kDaysPerWeek;
    const QLocale english(QLocale::English);
    for (int column = 0; column < kDaysPerWeek; ++column) {
        const QDate day = firstShownDay().addDays(column);
        const QRectF cell(grid.left() + column * cellWidth, grid.top(), cellWidth, cellHeight);
        painter.setPen(colors.color(QPalette::Text));
        painter.drawText(cell, Qt::AlignCenter,
                         english.dayName(day.dayOfWeek(), QLocale::ShortFormat));
    }
    painter.setPen(colors.color(QPalette::Mid));
    painter.drawLine(QPointF(grid.left() + 4, grid.top() + cellHeight),
                     QPointF(grid.right() - 4, grid.top() + cellHeight));

    for (int index = 0; index < kWeeks * kDaysPerWeek; ++index) {
        const QDate day = firstShownDay().addDays(index);
        const QRectF cell = cellRect(day);
        const bool selected = day >= first() && day <= last();
        if (selected)
            painter.fillRect(cell.adjusted(1, 1, -1, -1), colors.highlight());
        QColor text = colors.color(selected ? QPalette::HighlightedText : QPalette::Text);
        if (!selected && day.month() != m_month.month())
            text = colors.color(QPalette::Disabled, QPalette::Text);
        painter.setPen(text);
        painter.drawText(cell, Qt::AlignCenter, QString::number(day.day()));
        if (day == m_today) {
            painter.setPen(QPen(QColor(200, 0, 0), 1.5));
            painter.drawRect(cell.adjusted(2, 2, -2, -2));
        }
    }
    if (hasFocus()) {
        painter.setPen(QPen(colors.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void SpanCalendar::mousePressEvent(QMouseEvent* event)
{
    const QDate day = dateAt(event->position());
    if (event->button() != Qt::LeftButton || !day.isValid()) {
        QWidget::mousePressEvent(event);
        return;
    }
    // A shift-click keeps the anchor: the span runs from the day clicked before.
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = day;
    m_current = day;
    m_dragging = true;
    update();
}

void SpanCalendar::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    const QDate day = dateAt(event->position());
    if (day.isValid() && day != m_current) {
        m_current = day;
        update();
    }
}

void SpanCalendar::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    // A day of the next or previous month brings its month in.
    if (m_current.month() != m_month.month())
        showMonth(m_current);
    emit selectionChanged();
}

void SpanCalendar::keyPressEvent(QKeyEvent* event)
{
    int days = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        days = -1;
        break;
    case Qt::Key_Right:
        days = 1;
        break;
    case Qt::Key_Up:
        days = -kDaysPerWeek;
        break;
    case Qt::Key_Down:
        days = kDaysPerWeek;
        break;
    case Qt::Key_PageUp:
        showMonth(m_month.addMonths(-1));
        return;
    case Qt::Key_PageDown:
        showMonth(m_month.addMonths(1));
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    const QDate day = m_current.addDays(days);
    select(event->modifiers() & Qt::ShiftModifier ? m_anchor : day, day);
    emit selectionChanged();
}

}  // namespace quillon
