#include "monitoring/ui/ShiftStartDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "monitoring/MachineLists.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

constexpr char kSaveTitle[] = "Save shift start list";
constexpr char kSaveFilter[] = "CSV file (*.CSV)|*.CSV||";

}  // namespace

ShiftStartDialog::ShiftStartDialog(std::vector<ShiftStartRow> rows, Notifier& notifier,
                                   FilePrompter& files, QWidget* parent)
    : QDialog(parent),
      m_rows(std::move(rows)),
      m_notifier(notifier),
      m_files(files),
      m_list(new QTreeWidget(this))
{
    setWindowTitle(QString::fromLatin1(kShiftStartTitle.data(), kShiftStartTitle.size()));
    m_list->setObjectName("shiftStarts");
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setHeaderLabels({"Machine", "Shift date", "Shift start", "Cycle start"});
    for (const ShiftStartRow& row : m_rows) {
        new QTreeWidgetItem(m_list, {fromBytes(row.machine), fromBytes(row.shiftDate),
                                     fromBytes(row.shiftStart), fromBytes(row.cycleStart)});
    }
    // Each column as wide as its longest text with some air, so the times stand apart.
    const int air = m_list->fontMetrics().averageCharWidth() * 3;
    for (int column = 0; column < m_list->columnCount(); ++column) {
        m_list->resizeColumnToContents(column);
        m_list->setColumnWidth(column, m_list->columnWidth(column) + air);
    }
    m_list->setMinimumWidth(m_list->header()->length() + air);

    auto* selectAll = new QPushButton("Select &All", this);
    auto* clear = new QPushButton("&Clear selection", this);
    auto* saveButton = new QPushButton("&Save", this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(selectAll, &QPushButton::clicked, m_list, &QTreeWidget::selectAll);
    connect(clear, &QPushButton::clicked, m_list, &QTreeWidget::clearSelection);
    connect(saveButton, &QPushButton::clicked, this, &ShiftStartDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(selectAll);
    row->addWidget(clear);
    row->addWidget(saveButton);
    row->addStretch();
    row->addWidget(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(row);
}

std::vector<ShiftStartRow> ShiftStartDialog::selectedRows() const
{
    std::vector<ShiftStartRow> selected;
    for (int index = 0; index < m_list->topLevelItemCount(); ++index) {
        if (m_list->topLevelItem(index)->isSelected())
            selected.push_back(m_rows[static_cast<std::size_t>(index)]);
    }
    return selected;
}

void ShiftStartDialog::save()
{
    const std::vector<ShiftStartRow> selected = selectedRows();
    // Told before the file dialog: the user would name a file for nothing.
    if (selected.empty()) {
        m_notifier.message(std::string(kNoItemsSelected));
        return;
    }
    const auto path = m_files.saveFile(FilePrompt{kSaveTitle, {}, {}, kSaveFilter});
    if (!path)
        return;
    if (const auto refusal = saveShiftStarts(*path, selected))
        m_notifier.message(*refusal);
}

namespace {

void showList(const ShiftStartLoad& load, Notifier& notifier, FilePrompter& files, QWidget* owner)
{
    if (!load.error.empty()) {
        notifier.message(load.error);
        return;
    }
    ShiftStartDialog dialog(load.rows, notifier, files, owner);
    dialog.exec();
}

}  // namespace

void showCurrentShiftStarts(const WorkDir& workDir, std::string_view hubDirectory,
                            Notifier& notifier, FilePrompter& files, QWidget* owner)
{
    showList(currentShiftStarts(readFile(workDir.file(kMonitorListFile)), hubDirectory), notifier,
             files, owner);
}

void showPreviousShiftStarts(std::string_view hubDirectory, std::int64_t now, Notifier& notifier,
                             FilePrompter& files, QWidget* owner)
{
    const auto chosen = files.openFile(previousShiftPrompt(hubDirectory, now));
    if (!chosen)
        return;
    showList(previousShiftStarts(*chosen), notifier, files, owner);
}

}  // namespace quillon
