// The report windows' charts built from a report's sums: the bars of "Report Graph" and the
// pies of "Pie report", in the status colours. The windows and the command line's pictures
// draw the same data.
#pragma once

#include <QColor>
#include <QString>

#include <cstddef>
#include <optional>
#include <string>

#include "monitoring/StatusReport.h"
#include "monitoring/StatusTable.h"

namespace quillon {

class ChartData;

inline constexpr char kReportGraphTitle[] = "Report Graph";
inline constexpr char kReportPieTitle[] = "Pie report";

// The colour a status is painted in: its place's in the status table; a status the table
// does not know takes the palette's colour of its place in the report.
QColor reportStatusColor(const std::string& status, const StatusTable& table, int index);

// The bar chart: the dates across (X), one row of bars per status in depth (Z, the status
// with the least time in front), minutes or each status's share of its date in percent up
// (Y); axis titles "Date", "[min]" or "[%]" and "Item". subtitle: what the report covers
// (its span or its file); what the sums had no room for is added to it. With onlyStatus
// just that status's bars are drawn (its shares still of each date's whole).
void fillReportBars(ChartData& chart, const ReportSums& sums, bool percent,
                    const StatusTable& table, const QString& subtitle = {},
                    std::optional<std::size_t> onlyStatus = std::nullopt);

// The pies: one per date or machine, labelled "<key> / Total: <n> [min]", with a slice
// per status of the report (a pie without minutes in a status has no slice for it).
void fillReportPies(ChartData& chart, const ReportSums& sums, const StatusTable& table,
                    const QString& subtitle = {});

// Either of the two for a report kind (nothing is drawn for ReportKind::None).
void fillReportChart(ChartData& chart, ReportKind kind, const ReportSums& sums, bool percent,
                     const StatusTable& table, const QString& subtitle = {});

}  // namespace quillon
