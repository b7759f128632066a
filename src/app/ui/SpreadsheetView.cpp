#include "app/ui/SpreadsheetView.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/SpreadsheetPath.h"
#include "monitoring/HubFiles.h"
#include "platform/FilePrompter.h"
#include "platform/Notifier.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/WorkDir.h"
#include "platform/ui/Latin1.h"

namespace quillon {

namespace {

constexpr std::string_view kReportsFolder = "_REPORTS";
// Any program may be the spreadsheet: an executable's name says nothing of it here.
constexpr char kProgramFilter[] = "Program (*)|*||";

QString text(std::string_view bytes)
{
    return fromBytes(std::string(bytes));
}

}  // namespace

SpreadsheetPathDialog::SpreadsheetPathDialog(const std::string& path, Notifier& notifier,
                                             FilePrompter& files, QWidget* parent)
    : QDialog(parent), m_notifier(notifier), m_files(files), m_path(new QLineEdit(this))
{
    setWindowTitle(text(kSpreadsheetPathTitle));
    m_path->setObjectName("path");
    m_path->setText(fromBytes(path));
    m_path->setMinimumWidth(m_path->fontMetrics().averageCharWidth() * 60);
    auto* browseButton = new QPushButton("Browse...", this);
    connect(browseButton, &QPushButton::clicked, this, &SpreadsheetPathDialog::browse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SpreadsheetPathDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(m_path, 1);
    row->addWidget(browseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Spreadsheet program that opens the report files:", this));
    layout->addLayout(row);
    layout->addWidget(buttons);
}

std::string SpreadsheetPathDialog::path() const
{
    return std::string(trimmed(toBytes(m_path->text())));
}

void SpreadsheetPathDialog::browse()
{
    const std::string current = path();
    const auto chosen = m_files.openFile(
        FilePrompt{std::string(kSpreadsheetBrowseTitle), std::string(paths::directoryOf(current)),
                   std::string(paths::fileName(current)), kProgramFilter});
    if (chosen)
        m_path->setText(fromBytes(*chosen));
}

void SpreadsheetPathDialog::accept()
{
    if (!isRunnableProgram(path())) {
        m_notifier.message(std::string(kNotAProgram));
        m_path->setFocus();
        m_path->selectAll();
        return;
    }
    QDialog::accept();
}

SpreadsheetView::SpreadsheetView(const WorkDir& workDir, Notifier& notifier, FilePrompter& files,
                                 QWidget* owner)
    : m_workDir(workDir),
      m_notifier(notifier),
      m_files(files),
      m_owner(owner),
      m_start(&SpreadsheetView::startDetached),
      m_openDefault([](const std::string& file) {
          return QDesktopServices::openUrl(QUrl::fromLocalFile(fromBytes(file)));
      }),
      m_askPath([this](const std::string& proposed) -> std::optional<std::string> {
          SpreadsheetPathDialog dialog(proposed, m_notifier, m_files, m_owner);
          if (dialog.exec() != QDialog::Accepted)
              return std::nullopt;
          return dialog.path();
      })
{
}

std::optional<std::string> SpreadsheetView::askForProgram(const std::string& proposed)
{
    auto program = m_askPath(proposed);
    if (!program)
        return std::nullopt;
    // The program still opens the file this time when its path cannot be kept.
    if (const WriteResult written = writeSpreadsheetPath(m_workDir, *program); !written.ok)
        m_notifier.message(std::string(kSpreadsheetPathFile) + ": " + written.error);
    return program;
}

void SpreadsheetView::editPath()
{
    askForProgram(readSpreadsheetPath(m_workDir).value_or(std::string{}));
}

void SpreadsheetView::viewReportFile(std::string_view hubDirectory)
{
    const std::string reports = findHubFile(hubDirectory, kReportsFolder)
                                    .value_or(paths::join(hubDirectory, kReportsFolder));
    const auto file = m_files.openFile(
        FilePrompt{std::string(kViewReportTitle), reports, {}, std::string(kReportFileFilter)});
    if (!file)
        return;
    if (!paths::hasExtension(*file, "CSV")) {
        m_notifier.message(std::string(kReportExtensionRefusal));
        return;
    }
    openReport(*file);
}

void SpreadsheetView::openReport(const std::string& file)
{
    auto program = readSpreadsheetPath(m_workDir);
    if (!program) {
        // No program chosen: the desktop's application for spreadsheets, and only when the
        // desktop has none, the choice of one.
        if (m_openDefault(file))
            return;
        program = askForProgram({});
    } else if (!isRunnableProgram(*program)) {
        program = askForProgram(*program);
    }
    while (program) {
        const std::string folder = paths::withoutTrailingSeparator(paths::directoryOf(*program));
        const auto failure = m_start(*program, file, folder);
        if (!failure)
            return;
        m_notifier.message(*failure);
        program = askForProgram(*program);
    }
}

std::optional<std::string> SpreadsheetView::startDetached(const std::string& program,
                                                          const std::string& file,
                                                          const std::string& folder)
{
    QProcess process;
    process.setProgram(fromBytes(program));
    process.setArguments({fromBytes(file)});
    process.setWorkingDirectory(fromBytes(folder));
    if (process.startDetached())
        return std::nullopt;
    return toBytes(process.errorString());
}

}  // namespace quillon
