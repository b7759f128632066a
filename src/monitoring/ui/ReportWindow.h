// What the report graph and the report pie windows share: each works on its own copy of
// the report in the temporary folder ("0CSV.csv" .. "3CSV.csv", "ACSV.csv" .. "DCSV.csv"),
// reads it once to draw its chart, and removes it when it closes, so that no copy outlives
// the window that "Save as .CSV" would take it from.
#pragma once

#include <QMainWindow>
#include <QString>

#include <optional>
#include <string>

#include "monitoring/StatusReport.h"
#include "monitoring/StatusTable.h"

namespace quillon {

class ChartWidget;

// What a report window shows, besides its copy's lines.
struct ReportView {
    ReportKind kind = ReportKind::Graph;  // Graph, PiePerDate or PiePerMachine
    bool percent = false;                 // "Data as [%]" (the bars only)
    QString subtitle;                     // the span, or the saved file's name
};

class ReportWindow : public QMainWindow {
    Q_OBJECT
public:
    ~ReportWindow() override;

    ReportWindowKind windowKind() const { return m_windowKind; }
    int number() const { return m_number; }
    // The window's copy of the report.
    const std::string& copyPath() const { return m_copyPath; }
    const ReportView& view() const { return m_view; }
    const ReportSums& sums() const { return m_sums; }
    ChartWidget* chart() const { return m_chart; }

    // Reads the copy and draws it; false when the copy cannot be read or holds no minutes
    // to draw (the window is then not to be shown).
    bool load(const StatusTable& table);

signals:
    // The window became the active one: "Save as .CSV" takes its copy.
    void activated(quillon::ReportWindow* window);
    void closing(quillon::ReportWindow* window);

protected:
    ReportWindow(ReportWindowKind windowKind, int number, std::string copyPath, ReportView view,
                 QWidget* owner);

    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    ReportWindowKind m_windowKind;
    int m_number;
    std::string m_copyPath;
    ReportView m_view;
    ReportSums m_sums;
    ChartWidget* m_chart;
    bool m_closed = false;
};

}  // namespace quillon
