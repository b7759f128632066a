// "Monitoring Display/Detailed": one row of live figures per machine of MonList.sys, with
// the list's titles between them. The window paints its model's rows in a table of its own
// (128 rows repaint in a few milliseconds), brings it forward every second, and starts a
// status change when the user clicks a machine's status.
#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>
#include <vector>

#include "monitoring/DetailedViewModel.h"
#include "monitoring/DetailedViewPlace.h"
#include "monitoring/HubLink.h"
#include "monitoring/ui/MonitorEnvironment.h"

class QPainter;
class QScrollArea;

namespace quillon {

class NewPartNumberDialog;
class SetMachineStatusDialog;

// Column widths and row heights of the table, in pixels.
struct DetailedLayout {
    static constexpr int kHeaderHeight = 40;
    static constexpr int kMachineRowHeight = 44;
    static constexpr int kTitleRowHeight = 28;

    std::vector<DetailedColumn> columns;
    std::vector<int> widths;
    // The top of each row below the header, and the bottom of the last.
    std::vector<int> tops;

    static DetailedLayout of(const DetailedViewModel& model);
    int width() const;
    int height() const { return tops.empty() ? kHeaderHeight : tops.back(); }
    QRect rowRect(std::size_t row) const;
    std::optional<QRect> cellRect(std::size_t row, DetailedColumn column) const;
    // The row under a point of the table, if any.
    std::optional<std::size_t> rowAt(int y) const;
};

// The header and the rows that meet `clip`, painted with the table's colours.
void paintDetailedView(QPainter& painter, const DetailedViewModel& model,
                       const DetailedLayout& layout, const StatusTable& statuses,
                       const QRect& clip);

// The painted table inside the window's scroll area.
class DetailedViewTable : public QWidget {
    Q_OBJECT
public:
    DetailedViewTable(const DetailedViewModel& model, const StatusTable& statuses,
                      QWidget* parent);

    const DetailedLayout& layout() const { return m_layout; }
    // The rows or columns changed: sizes anew and repaints all.
    void relayout();
    void repaintRow(std::size_t row);

signals:
    void statusClicked(std::size_t row);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    const DetailedViewModel& m_model;
    const StatusTable& m_statuses;
    DetailedLayout m_layout;
};

class DetailedViewWindow : public QMainWindow, public DatagramReceiver {
    Q_OBJECT
public:
    explicit DetailedViewWindow(const MonitorEnvironment& env, QWidget* owner = nullptr);
    ~DetailedViewWindow() override;

    void datagramArrived(std::string_view bytes) override;
    // The 1-second timer's work.
    void tick();
    // A click on a machine's status cell.
    void statusClicked(std::size_t row);

    const DetailedViewModel& model() const { return *m_model; }
    DetailedViewTable* table() const { return m_table; }
    QScrollArea* scrollArea() const { return m_scroll; }
    QTimer& timer() { return m_timer; }
    // The dialogs of a status change while they are open.
    SetMachineStatusDialog* statusDialog() const;
    NewPartNumberDialog* partNumberDialog() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void apply(const DetailedChanges& changes);
    void offerStatuses(MachineSlot slot, std::vector<std::string> statuses);
    void statusChosen(MachineSlot slot, const std::string& status);
    void unregister();
    DetailedViewPlace place() const;

    MonitorEnvironment m_env;
    std::unique_ptr<DetailedViewModel> m_model;
    QScrollArea* m_scroll;
    DetailedViewTable* m_table;
    QTimer m_timer;
    // The machine whose status list was asked for.
    std::optional<MachineSlot> m_statusRequest;
    QPointer<SetMachineStatusDialog> m_statusDialog;
    QPointer<NewPartNumberDialog> m_partNumberDialog;
    // The scroll position the view had, taken once its rows are there.
    std::optional<QPoint> m_restoreScroll;
    bool m_registered = false;
};

}  // namespace quillon
