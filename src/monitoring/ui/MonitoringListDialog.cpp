#include "monitoring/ui/MonitoringListDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

#include "monitoring/ui/ListTitleDialog.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// The edits take whole seconds; the limits of the views are applied when the list is
// written, so that a value typed out of range is brought into it rather than refused.
constexpr int kMaxTypedSeconds = 9999;

QListWidget* newList(QWidget* parent)
{
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setMinimumSize(180, 240);
    return list;
}

std::vector<std::string> itemTexts(const std::vector<ListEntry>& entries)
{
    std::vector<std::string> texts;
    for (const auto& entry : entries)
        texts.push_back(entry.itemText());
    return texts;
}

QLineEdit* secondsEdit(int seconds, const QString& objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(QString::number(seconds), parent);
    edit->setObjectName(objectName);
    edit->setValidator(new QIntValidator(0, kMaxTypedSeconds, edit));
    edit->setMaximumWidth(80);
    return edit;
}

int secondsOf(const QLineEdit* edit)
{
    return edit->text().toInt();
}

// The highlighted rows (the edit puts them in order).
std::vector<int> selectedRows(const QListWidget* list)
{
    std::vector<int> rows;
    for (const QListWidgetItem* item : list->selectedItems())
        rows.push_back(list->row(item));
    return rows;
}

// Where a new row goes: before the current row, or at the end when asked for or when the
// list has no current row.
std::optional<int> insertionRow(const QListWidget* list, bool beforeCurrent)
{
    const int current = list->currentRow();
    return beforeCurrent && current >= 0 ? std::optional(current) : std::nullopt;
}

}  // namespace

MonitoringListDialog::MonitoringListDialog(const WorkDir& workDir, HubConfiguration configuration,
                                           MonitorSetup setup, Notifier& notifier, QWidget* parent)
    : QDialog(parent),
      m_workDir(workDir),
      m_configuration(std::move(configuration)),
      m_setup(std::move(setup)),
      m_notifier(notifier),
      m_monitored(newList(this)),
      m_pieces(new QCheckBox("Display 'Piece' instead of 'Cycle'", this))
{
    setWindowTitle(kMonitoringListTitle);
    const TimelineList timeline = readTimelineList(m_workDir);
    m_edit.emplace(monitoredMachineNames(m_configuration, m_setup),
                   itemTexts(readMonitorList(m_workDir)), itemTexts(timeline.entries));
    for (const auto& name : m_edit->monitored())
        m_monitored->addItem(fromBytes(name));

    const MonitorViewSettings& settings = timeline.settings;
    m_written = settings;
    m_detailedRotation = secondsEdit(settings.detailedRotation, "detailedRotation", this);
    m_graphRotation = secondsEdit(settings.graphRotation, "graphRotation", this);
    m_timelineRotation = secondsEdit(settings.timelineRotation, "timelineRotation", this);
    m_refresh = secondsEdit(settings.refreshSeconds, "refresh", this);
    m_pieces->setChecked(settings.pieces);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Machines monitored", this), 0, 0, Qt::AlignBottom);
    layout->addWidget(m_monitored, 1, 0);
    const auto addTarget = [&](Target& target, const QString& label, int column) {
        target.list = newList(this);
        target.add = new QPushButton("Add", this);
        target.insert = new QPushButton("Insert", this);
        target.remove = new QPushButton("Delete", this);
        layout->addWidget(new QLabel(label, this), 0, column, Qt::AlignBottom);
        layout->addWidget(target.list, 1, column);
        auto* row = new QHBoxLayout;
        row->addWidget(target.add);
        row->addWidget(target.insert);
        row->addWidget(target.remove);
        layout->addLayout(row, 2, column);
    };
    addTarget(m_detailed, "Machines displayed\nDetailed/Graph", 1);
    addTarget(m_timeline, "Machines displayed\nTimeLine", 2);
    showRows(DisplayedList::DetailedGraph);
    showRows(DisplayedList::TimeLine);

    for (const DisplayedList which : {DisplayedList::DetailedGraph, DisplayedList::TimeLine}) {
        const Target& t = target(which);
        connect(t.add, &QPushButton::clicked, this, [this, which] { addSelected(which, false); });
        connect(t.insert, &QPushButton::clicked, this,
                [this, which] { addSelected(which, true); });
        connect(t.remove, &QPushButton::clicked, this, [this, which] { deleteSelected(which); });
    }

    auto* titles = new QGridLayout;
    const struct {
        const char* text;
        std::string_view marker;
        const char* prompt;
        bool beforeCurrent;
        int row;
        int column;
    } titleButtons[] = {
        {"Add MainTitle", kMainTitleMarker, kMainTitlePrompt, false, 0, 0},
        {"Insert MainTitle", kMainTitleMarker, kMainTitlePrompt, true, 0, 1},
        {"Add SubTitle", kSubTitleMarker, kSubTitlePrompt, false, 1, 0},
        {"Insert SubTitle", kSubTitleMarker, kSubTitlePrompt, true, 1, 1},
    };
    for (const auto& button : titleButtons) {
        auto* push = new QPushButton(button.text, this);
        titles->addWidget(push, button.row, button.column);
        connect(push, &QPushButton::clicked, this,
                [this, button] { addTitle(button.marker, button.prompt, button.beforeCurrent); });
    }
    layout->addLayout(titles, 3, 1, Qt::AlignTop);

    auto* times = new QFormLayout;
    times->addRow("Detailed rotation time [sec]:", m_detailedRotation);
    times->addRow("Graph rotation time [sec]:", m_graphRotation);
    times->addRow("TimeLine rotation time [sec]:", m_timelineRotation);
    times->addRow("TimeLine refresh period [sec]:", m_refresh);
    times->addRow(m_pieces);
    layout->addLayout(times, 3, 2);
    auto* note = new QLabel(
        "Rotation times run from 10 to 300 seconds; 0 leaves the view out "
        "of the rotation. The refresh period runs from 5 to 120 seconds.",
        this);
    note->setWordWrap(true);
    layout->addWidget(note, 3, 0, Qt::AlignTop);
    connect(m_pieces, &QCheckBox::clicked, this, &MonitoringListDialog::piecesClicked);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &MonitoringListDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons, 4, 0, 1, 3);
}

const MonitoringListDialog::Target& MonitoringListDialog::target(DisplayedList which) const
{
    return which == DisplayedList::DetailedGraph ? m_detailed : m_timeline;
}

QListWidget* MonitoringListDialog::list(DisplayedList which) const
{
    return target(which).list;
}

QPushButton* MonitoringListDialog::addButton(DisplayedList which) const
{
    return target(which).add;
}

QPushButton* MonitoringListDialog::insertButton(DisplayedList which) const
{
    return target(which).insert;
}

QPushButton* MonitoringListDialog::deleteButton(DisplayedList which) const
{
    return target(which).remove;
}

std::vector<std::string> MonitoringListDialog::items(DisplayedList which) const
{
    return m_edit->rows(which);
}

void MonitoringListDialog::showRows(DisplayedList which)
{
    QListWidget* shown = list(which);
    const int current = shown->currentRow();
    shown->clear();
    for (const std::string& row : m_edit->rows(which))
        shown->addItem(fromBytes(row));
    if (current >= 0 && current < shown->count())
        shown->setCurrentRow(current, QItemSelectionModel::NoUpdate);
}

MonitorViewSettings MonitoringListDialog::settings() const
{
    MonitorViewSettings settings;
    settings.refreshSeconds = secondsOf(m_refresh);
    settings.detailedRotation = secondsOf(m_detailedRotation);
    settings.graphRotation = secondsOf(m_graphRotation);
    settings.timelineRotation = secondsOf(m_timelineRotation);
    settings.pieces = m_pieces->isChecked();
    return settings;
}

void MonitoringListDialog::addSelected(DisplayedList which, bool beforeCurrent)
{
    if (!m_edit->add(which, selectedRows(m_monitored), insertionRow(list(which), beforeCurrent))) {
        m_notifier.message(std::string(kNoListMachineSelected));
        return;
    }
    showRows(which);
}

void MonitoringListDialog::deleteSelected(DisplayedList which)
{
    if (!m_edit->remove(which, selectedRows(list(which)))) {
        m_notifier.message(std::string(kNoListMachineSelected));
        return;
    }
    showRows(which);
}

void MonitoringListDialog::addTitle(std::string_view marker, const QString& prompt,
                                    bool beforeCurrent)
{
    const auto title = askListTitle(prompt, this);
    if (!title)
        return;
    m_edit->addTitle(marker, *title, insertionRow(m_detailed.list, beforeCurrent));
    showRows(DisplayedList::DetailedGraph);
}

void MonitoringListDialog::piecesClicked(bool on)
{
    if (on && !m_notifier.askYesNo(std::string(kPiecesWarning), std::string(kPiecesWarningTitle),
                                   NoticeIcon::Exclamation))
        m_pieces->setChecked(false);
}

void MonitoringListDialog::accept()
{
    const MonitorViewSettings typed = settings();
    const auto said = [this](std::string_view file, const WriteResult& result) {
        if (!result.ok)
            m_notifier.error("Could not save " + std::string(file) + ": " + result.error);
        return result.ok;
    };
    if (!said(kMonitorListFile, writeMonitorList(m_workDir, items(DisplayedList::DetailedGraph),
                                                 m_configuration, m_setup)) ||
        !said(kTimelineListFile, writeTimelineList(m_workDir, items(DisplayedList::TimeLine),
                                                   typed, m_configuration, m_setup)))
        return;
    m_written = typed.limited();
    QDialog::accept();
}

std::optional<MonitorViewSettings> editMonitoringLists(const WorkDir& workDir,
                                                       std::string_view hubDirectory,
                                                       Notifier& notifier, QWidget* parent)
{
    auto configuration = hubDirectory.empty() ? std::nullopt : readHubConfiguration(hubDirectory);
    if (!configuration) {
        notifier.message(std::string(kHubSetupNotFound));
        return std::nullopt;
    }
    auto setup = readMonitorSetup(hubDirectory);
    if (!setup) {
        notifier.message(std::string(kMonitorSetupNotFoundForList));
        return std::nullopt;
    }
    MonitoringListDialog dialog(workDir, std::move(*configuration), std::move(*setup), notifier,
                                parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.written();
}

}  // namespace quillon
