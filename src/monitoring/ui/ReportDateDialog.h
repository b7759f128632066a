// "Select Report date": the span, machines, shifts, stations and kind of a status report,
// and the buttons that show it ("View selection"), save the last report window's copy
// ("Save as .CSV") and show a saved report ("View saved .CSV"). It stays open beside the
// report windows it opens, so that one selection after another can be looked at.
#pragma once

#include <QDate>
#include <QDialog>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "monitoring/StatusReport.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace quillon {

class ReportWindows;
class SpanCalendar;

inline constexpr char kReportDateTitle[] = "Select Report date";
inline constexpr char kOnlyOneStartDate[] = "Select only one start date";
inline constexpr char kOnlyOneEndDate[] = "Select only one end date";

// "12/01/26 - 12/31/26": the span as the dialog shows it; either side blank until chosen.
QString reportSpanText(const std::optional<ReportDate>& start,
                       const std::optional<ReportDate>& end);

ReportDate toReportDate(QDate date);

class ReportDateDialog : public QDialog {
    Q_OBJECT
public:
    // today: the calendar's first month and its marked day.
    ReportDateDialog(ReportWindows& windows, QDate today, QWidget* parent = nullptr);

    // The dialog's choices as the selector takes them (the "Monthly .CSV file" setting is
    // the windows' owner's).
    ReportSelection selection() const;
    bool percent() const;
    std::optional<ReportDate> start() const { return m_start; }
    std::optional<ReportDate> end() const { return m_end; }

    // Replaces the machine list (nothing selected).
    void setMachines(const std::vector<std::string>& names);

    SpanCalendar* calendar() const { return m_calendar; }
    QLabel* spanLabel() const { return m_span; }
    QListWidget* machines() const { return m_machines; }
    QPushButton* button(const QString& text) const;
    QCheckBox* shift(int number) const { return m_shifts[static_cast<std::size_t>(number - 1)]; }
    QCheckBox* station(int number) const
    {
        return m_stations[static_cast<std::size_t>(number - 1)];
    }
    QCheckBox* compressed() const { return m_compressed; }
    QRadioButton* percentOption() const { return m_percent; }
    QRadioButton* minutesOption() const { return m_minutes; }
    QRadioButton* graphOption() const { return m_graph; }
    QRadioButton* pieOption() const { return m_pie; }
    QRadioButton* perDateOption() const { return m_perDate; }
    QRadioButton* perMachineOption() const { return m_perMachine; }

    // The buttons' commands.
    void takeStart();
    void takeEnd();
    void machinesFromSetup();
    void machinesFromDate();
    void viewSelection();
    void saveAsCsv();
    void viewSaved();

private:
    ReportKind kind() const;
    void spanChosen();
    // The calendar's one selected day as the start or the end; a span is refused.
    void takeDay(std::optional<ReportDate>& side, const char* refusal);
    void showSpan();
    QPushButton* addButton(const QString& text, void (ReportDateDialog::*command)());

    ReportWindows& m_windows;
    std::optional<ReportDate> m_start;
    std::optional<ReportDate> m_end;
    SpanCalendar* m_calendar;
    QLabel* m_span;
    QListWidget* m_machines;
    std::array<QCheckBox*, 3> m_shifts{};
    std::array<QCheckBox*, 2> m_stations{};
    QCheckBox* m_compressed;
    QRadioButton* m_percent;
    QRadioButton* m_minutes;
    QRadioButton* m_graph;
    QRadioButton* m_pie;
    QRadioButton* m_perDate;
    QRadioButton* m_perMachine;
    std::vector<QPushButton*> m_buttons;
};

}  // namespace quillon
