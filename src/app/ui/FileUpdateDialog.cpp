#include "app/ui/FileUpdateDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

#include "platform/Notifier.h"
#include "platform/WorkDir.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

// Room for the ten pairs without scrolling, and for two folder paths side by side.
constexpr int kVisibleEntries = kDirectoryPairCount;
constexpr int kListWidthInCharacters = 64;
// The report is a list of paths: a small size keeps a long path on one printed line.
constexpr int kReportPointSize = 10;

}  // namespace

FileUpdateDialog::FileUpdateDialog(const WorkDir& workDir, Notifier& notifier, QWidget* parent)
    : QDialog(parent),
      m_workDir(workDir),
      m_notifier(notifier),
      m_list(new QListWidget(this)),
      m_entry(new QLineEdit(this)),
      m_printAfterUpdate(new QCheckBox("Print after update", this))
{
    setWindowTitle("File update");
    m_entry->setObjectName("entry");
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    const QFontMetrics metrics = m_list->fontMetrics();
    m_list->setMinimumSize(metrics.averageCharWidth() * kListWidthInCharacters,
                           metrics.lineSpacing() * (kVisibleEntries + 1));

    auto* insert = new QPushButton("Insert", this);
    auto* remove = new QPushButton("Delete", this);
    auto* save = new QPushButton("Save", this);
    // Enter in the edit line inserts what was typed, rather than starting the update
    // without it.
    insert->setDefault(true);
    connect(insert, &QPushButton::clicked, this, &FileUpdateDialog::insertEntry);
    connect(remove, &QPushButton::clicked, this, &FileUpdateDialog::deleteEntry);
    connect(save, &QPushButton::clicked, this, &FileUpdateDialog::save);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("Start", QDialogButtonBox::AcceptRole)->setAutoDefault(false);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(m_list);
    listColumn->addWidget(m_entry);
    auto* listButtons = new QVBoxLayout;
    listButtons->addWidget(insert);
    listButtons->addWidget(remove);
    listButtons->addSpacing(metrics.lineSpacing());
    listButtons->addWidget(save);
    listButtons->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(listColumn, 1);
    top->addLayout(listButtons);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_printAfterUpdate);
    bottom->addStretch();
    bottom->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addSpacing(metrics.lineSpacing() / 2);
    layout->addLayout(bottom);

    showSettings(readFileUpdateSettings(m_workDir));
    m_entry->setFocus();
}

FileUpdateSettings FileUpdateDialog::settings() const
{
    return settingsFromList(entries(), m_printAfterUpdate->isChecked());
}

void FileUpdateDialog::showSettings(const FileUpdateSettings& settings)
{
    m_list->clear();
    for (const auto& entry : listEntries(settings))
        m_list->addItem(fromBytes(entry));
    m_printAfterUpdate->setChecked(settings.printAfterUpdate);
}

std::vector<std::string> FileUpdateDialog::entries() const
{
    std::vector<std::string> texts;
    for (int row = 0; row < m_list->count(); ++row)
        texts.push_back(toBytes(m_list->item(row)->text()));
    return texts;
}

void FileUpdateDialog::insertEntry()
{
    m_list->addItem(m_entry->text());
}

void FileUpdateDialog::deleteEntry()
{
    const auto selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    QListWidgetItem* item = selected.front();
    m_entry->setText(item->text());
    delete m_list->takeItem(m_list->row(item));
}

void FileUpdateDialog::save()
{
    // After a failed save the list stays as typed, so nothing is lost for a second try.
    if (saveFileUpdateSettings(m_workDir, settings(), m_notifier))
        showSettings(readFileUpdateSettings(m_workDir));
}

std::unique_ptr<QTextDocument> reportDocument(const std::string& report)
{
    auto document = std::make_unique<QTextDocument>();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(kReportPointSize);
    document->setDefaultFont(font);
    QString text = fromBytes(report);
    // Every report line ends with a line end; the last one would only add an empty row.
    if (text.endsWith('\n'))
        text.chop(1);
    document->setPlainText(text);
    QTextCursor all(document.get());
    all.select(QTextCursor::Document);
    QTextCharFormat black;
    black.setForeground(Qt::black);
    all.mergeCharFormat(black);
    return document;
}

void printReport(const std::string& report, QPagedPaintDevice& device)
{
    reportDocument(report)->print(&device);
}

void printReportWithDialog(const std::string& report, QWidget* parent)
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted)
        printReport(report, printer);
}

void runFileUpdateTool(const WorkDir& workDir, Notifier& notifier, QWidget* parent,
                       const ReportPrinter& printer)
{
    FileUpdateDialog dialog(workDir, notifier, parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const FileUpdateSettings settings = dialog.settings();
    runFileUpdate(settings, notifier, [&](const DirectoryPair&, const std::string& report) {
        notifier.show({report, std::string(kUpdatedFilesTitle), NoticeIcon::Exclamation});
        if (settings.printAfterUpdate)
            printer(report, parent);
    });
}

}  // namespace quillon
