#include "monitoring/ui/ReportDateDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

#include "monitoring/HubSetup.h"
#include "monitoring/ui/ReportWindows.h"
#include "monitoring/ui/SpanCalendar.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

QString shortDate(const std::optional<ReportDate>& date)
{
    if (!date)
        return {};
    return QDate(date->year, date->month, date->day).toString("MM/dd/yy");
}

QGroupBox* column(QWidget* parent, const QString& title, std::initializer_list<QWidget*> widgets)
{
    auto* box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    layout->setSpacing(2);
    for (QWidget* widget : widgets)
        layout->addWidget(widget);
    return box;
}

}  // namespace

QString reportSpanText(const std::optional<ReportDate>& start,
                       const std::optional<ReportDate>& end)
{
    return shortDate(start) + " - " + shortDate(end);
}

ReportDate toReportDate(QDate date)
{
    return {date.year(), date.month(), date.day()};
}

ReportDateDialog::ReportDateDialog(ReportWindows& windows, QDate today, QWidget* parent)
    : QDialog(parent),
      m_windows(windows),
      m_calendar(new SpanCalendar(today, this)),
      m_span(new QLabel(this)),
      m_machines(new QListWidget(this)),
      m_compressed(new QCheckBox("Compressed shift", this)),
      m_percent(new QRadioButton("Data as [%]", this)),
      m_minutes(new QRadioButton("Data as [min]", this)),
      m_graph(new QRadioButton("Graph", this)),
      m_pie(new QRadioButton("Piechart", this)),
      m_perDate(new QRadioButton("Per date", this)),
      m_perMachine(new QRadioButton("Per machine", this))
{
    setWindowTitle(kReportDateTitle);
    setModal(false);

    // The span: the calendar, the buttons that take its one selected day, the span chosen.
    connect(m_calendar, &SpanCalendar::selectionChanged, this, &ReportDateDialog::spanChosen);
    m_span->setObjectName("span");
    m_span->setAlignment(Qt::AlignCenter);
    m_span->setFrameShape(QFrame::StyledPanel);
    m_span->setMinimumWidth(m_span->fontMetrics().horizontalAdvance("00/00/00 - 00/00/00  "));
    auto* startEnd = new QHBoxLayout;
    startEnd->addWidget(addButton("Start", &ReportDateDialog::takeStart));
    startEnd->addWidget(addButton("End", &ReportDateDialog::takeEnd));
    auto* spanLayout = new QVBoxLayout;
    spanLayout->addWidget(m_calendar);
    spanLayout->addLayout(startEnd);
    spanLayout->addWidget(m_span);
    spanLayout->addStretch();
    showSpan();

    // The machines.
    m_machines->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_machines->setMinimumWidth(m_machines->fontMetrics().horizontalAdvance(QString(24, 'M')));
    auto* machineLayout = new QVBoxLayout;
    machineLayout->addWidget(new QLabel("Machines", this));
    machineLayout->addWidget(m_machines, 1);
    machineLayout->addWidget(addButton("MCH from setup", &ReportDateDialog::machinesFromSetup));
    machineLayout->addWidget(addButton("MCH from date", &ReportDateDialog::machinesFromDate));

    // Which lines, how they are shown.
    for (int shift = 1; shift <= 3; ++shift) {
        m_shifts[static_cast<std::size_t>(shift - 1)] =
            new QCheckBox(QString("Shift %1").arg(shift), this);
        m_shifts[static_cast<std::size_t>(shift - 1)]->setChecked(true);
    }
    for (int station = 1; station <= 2; ++station) {
        m_stations[static_cast<std::size_t>(station - 1)] =
            new QCheckBox(QString("Head/Pallet %1").arg(station), this);
        m_stations[static_cast<std::size_t>(station - 1)]->setChecked(true);
    }
    // Each pair of choices is a group of its own, wherever its buttons are laid out.
    auto* units = new QButtonGroup(this);
    units->addButton(m_minutes);
    units->addButton(m_percent);
    m_minutes->setChecked(true);
    m_graph->setChecked(true);
    auto* kinds = new QButtonGroup(this);
    kinds->addButton(m_graph);
    kinds->addButton(m_pie);
    // The pies' grouping is a choice of its own, made when "Piechart" is.
    auto* groupings = new QButtonGroup(this);
    groupings->addButton(m_perDate);
    groupings->addButton(m_perMachine);
    const auto enableGroupings = [this] {
        m_perDate->setEnabled(m_pie->isChecked());
        m_perMachine->setEnabled(m_pie->isChecked());
    };
    connect(m_pie, &QRadioButton::toggled, this, enableGroupings);
    enableGroupings();
    auto* pieOptions = new QWidget(this);
    auto* pieLayout = new QVBoxLayout(pieOptions);
    pieLayout->setContentsMargins(18, 0, 0, 0);
    pieLayout->setSpacing(2);
    pieLayout->addWidget(m_perDate);
    pieLayout->addWidget(m_perMachine);

    auto* options = new QGridLayout;
    options->addWidget(column(this, "Shifts", {m_shifts[0], m_shifts[1], m_shifts[2]}), 0, 0);
    options->addWidget(column(this, "Stations", {m_stations[0], m_stations[1], m_compressed}), 1,
                       0);
    options->addWidget(column(this, "Data", {m_minutes, m_percent}), 0, 1);
    options->addWidget(column(this, "Report", {m_graph, m_pie, pieOptions}), 1, 1);
    options->setRowStretch(2, 1);

    auto* commands = new QVBoxLayout;
    QPushButton* view = addButton("View selection", &ReportDateDialog::viewSelection);
    view->setDefault(true);
    commands->addWidget(view);
    commands->addWidget(addButton("Save as .CSV", &ReportDateDialog::saveAsCsv));
    commands->addWidget(addButton("View saved .CSV", &ReportDateDialog::viewSaved));
    commands->addStretch();
    auto* exit = new QPushButton("Exit", this);
    connect(exit, &QPushButton::clicked, this, &QDialog::close);
    m_buttons.push_back(exit);
    commands->addWidget(exit);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(spanLayout);
    layout->addLayout(machineLayout, 1);
    layout->addLayout(options);
    layout->addLayout(commands);
}

QPushButton* ReportDateDialog::addButton(const QString& text, void (ReportDateDialog::*command)())
{
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, command);
    m_buttons.push_back(button);
    return button;
}

QPushButton* ReportDateDialog::button(const QString& text) const
{
    for (QPushButton* button : m_buttons) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

void ReportDateDialog::spanChosen()
{
    // One day alone is only a candidate for "Start" or "End"; a span of days is the span.
    if (m_calendar->singleDay())
        return;
    m_start = toReportDate(m_calendar->first());
    m_end = toReportDate(m_calendar->last());
    showSpan();
}

void ReportDateDialog::showSpan()
{
    m_span->setText(reportSpanText(m_start, m_end));
}

void ReportDateDialog::takeDay(std::optional<ReportDate>& side, const char* refusal)
{
    if (!m_calendar->singleDay()) {
        m_windows.notifier().message(refusal);
        return;
    }
    side = toReportDate(m_calendar->first());
    showSpan();
}

void ReportDateDialog::takeStart()
{
    takeDay(m_start, kOnlyOneStartDate);
}

void ReportDateDialog::takeEnd()
{
    takeDay(m_end, kOnlyOneEndDate);
}

void ReportDateDialog::setMachines(const std::vector<std::string>& names)
{
    m_machines->clear();
    for (const std::string& name : names)
        m_machines->addItem(fromBytes(name));
}

void ReportDateDialog::machinesFromSetup()
{
    const std::string& hub = m_windows.hubDirectory();
    const auto configuration = hub.empty() ? std::nullopt : readHubConfiguration(hub);
    if (!configuration) {
        m_windows.notifier().message(std::string(kHubSetupNotFound));
        return;
    }
    const auto setup = readMonitorSetup(hub);
    if (!setup) {
        m_windows.notifier().message(std::string(kMonitorSetupNotFound));
        return;
    }
    setMachines(monitoredMachineNames(*configuration, *setup));
}

void ReportDateDialog::machinesFromDate()
{
    if (!m_start) {
        m_windows.notifier().message(std::string(kNoDateSelection));
        return;
    }
    const auto names = reportFileMachines(m_windows.hubDirectory(), *m_start, m_windows.monthly());
    if (!names) {
        // Named as "View selection" names it: below the hub folder, in its separators.
        std::string name = statusReportFileName(*m_start, m_windows.monthly());
        if (m_windows.hubDirectory().ends_with('/'))
            std::ranges::replace(name, '\\', '/');
        m_windows.notifier().message(m_windows.hubDirectory() + name +
                                     std::string(kReportFileNotFound));
        return;
    }
    setMachines(*names);
}

ReportKind ReportDateDialog::kind() const
{
    if (m_graph->isChecked())
        return ReportKind::Graph;
    if (m_perDate->isChecked())
        return ReportKind::PiePerDate;
    if (m_perMachine->isChecked())
        return ReportKind::PiePerMachine;
    return ReportKind::None;
}

ReportSelection ReportDateDialog::selection() const
{
    ReportSelection selection;
    selection.start = m_start;
    selection.end = m_end;
    for (int row = 0; row < m_machines->count(); ++row) {
        const QListWidgetItem* item = m_machines->item(row);
        selection.machines.push_back({toBytes(item->text()), item->isSelected()});
    }
    for (std::size_t shift = 0; shift < m_shifts.size(); ++shift)
        selection.shifts[shift] = m_shifts[shift]->isChecked();
    selection.station1 = m_stations[0]->isChecked();
    selection.station2 = m_stations[1]->isChecked();
    selection.monthly = m_windows.monthly();
    selection.compressed = m_compressed->isChecked();
    selection.kind = kind();
    return selection;
}

bool ReportDateDialog::percent() const
{
    return m_percent->isChecked();
}

void ReportDateDialog::viewSelection()
{
    m_windows.viewSelection(selection(), percent());
}

void ReportDateDialog::saveAsCsv()
{
    m_windows.saveAsCsv(m_start);
}

void ReportDateDialog::viewSaved()
{
    m_windows.viewSaved(kind(), percent());
}

}  // namespace quillon
