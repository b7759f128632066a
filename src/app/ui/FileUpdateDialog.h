// The "File update" dialog of Tools > File update, and the tool run behind it.
#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FileUpdate.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPagedPaintDevice;
class QTextDocument;

namespace quillon {

class Notifier;
class WorkDir;

// Collects the directory pairs and "Print after update". Save writes them at once; Start
// closes with OK and leaves settings() to the caller, unsaved.
class FileUpdateDialog : public QDialog {
    Q_OBJECT
public:
    FileUpdateDialog(const WorkDir& workDir, Notifier& notifier, QWidget* parent = nullptr);

    // The list and the check box as Start takes them (see settingsFromList).
    FileUpdateSettings settings() const;

    QListWidget* pairList() const { return m_list; }
    QLineEdit* entryEdit() const { return m_entry; }
    QCheckBox* printAfterUpdateBox() const { return m_printAfterUpdate; }

private:
    void showSettings(const FileUpdateSettings& settings);
    std::vector<std::string> entries() const;
    void insertEntry();
    void deleteEntry();
    void save();

    const WorkDir& m_workDir;
    Notifier& m_notifier;
    QListWidget* m_list;
    QLineEdit* m_entry;
    QCheckBox* m_printAfterUpdate;
};

// How a report is put on paper; printReportWithDialog, or a recorder in tests.
using ReportPrinter = std::function<void(const std::string& report, QWidget* parent)>;

// The report as plain black text in a small fixed-pitch font, ready to print.
std::unique_ptr<QTextDocument> reportDocument(const std::string& report);
// Prints the report on the device (a printer, a PDF writer).
void printReport(const std::string& report, QPagedPaintDevice& device);
// The print dialog, then the report on the chosen printer.
void printReportWithDialog(const std::string& report, QWidget* parent);

// The tool once the settings lock has been passed: the dialog, and after Start every pair's
// report in an "Updated files" box, printed when "Print after update" is on.
void runFileUpdateTool(const WorkDir& workDir, Notifier& notifier, QWidget* parent,
                       const ReportPrinter& printer = printReportWithDialog);

}  // namespace quillon
