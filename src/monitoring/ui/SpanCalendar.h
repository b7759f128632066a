// A month calendar that selects a span of days: a drag from one day to another, or a
// click and a shift-click, which may lie in different months (the month can be turned
// between them).
#pragma once

#include <QDate>
#include <QRectF>
#include <QWidget>

class QLabel;
class QToolButton;

namespace quillon {

class SpanCalendar : public QWidget {
    Q_OBJECT
public:
    // Shows the month of today, with today marked and selected.
    explicit SpanCalendar(QDate today, QWidget* parent = nullptr);

    // The selected days, first <= last; a single day has first == last.
    QDate first() const { return std::min(m_anchor, m_current); }
    QDate last() const { return std::max(m_anchor, m_current); }
    bool singleDay() const { return m_anchor == m_current; }
    // Selects the days from anchor to other (either way round) and shows other's month.
    void select(QDate anchor, QDate other);

    // The first day of the month shown.
    QDate shownMonth() const { return m_month; }
    void showMonth(QDate day);
    QToolButton* previousButton() const { return m_previous; }
    QToolButton* nextButton() const { return m_next; }

    // The grid's day under a point of the widget (invalid outside the grid), and the cell
    // of a shown day (empty when the day is not in the grid).
    QDate dateAt(QPointF point) const;
    QRectF cellRect(QDate day) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A press, a drag or a shift-click has chosen the selection (sent on release).
    void selectionChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // The grid below the month's title: a row of day names, then six weeks.
    QRectF gridRect() const;
    QDate firstShownDay() const;
    void updateTitle();

    QDate m_today;
    QDate m_month;
    QDate m_anchor;
    QDate m_current;
    bool m_dragging = false;
    QToolButton* m_previous;
    QToolButton* m_next;
    QLabel* m_title;
};

}  // namespace quillon
