// Report files in the user's spreadsheet program: the remote menu's "View report &file", the
// "EXCEL.EXE Path" dialog that chooses the program (Settings > "E&XCEL.EXE path"), and the
// start of the program with the report file.
#pragma once

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QLineEdit;

namespace quillon {

class FilePrompter;
class Notifier;
class WorkDir;

// "EXCEL.EXE Path": the program's path, typed or browsed for. OK takes only a file that
// exists and may be run.
class SpreadsheetPathDialog : public QDialog {
    Q_OBJECT
public:
    SpreadsheetPathDialog(const std::string& path, Notifier& notifier, FilePrompter& files,
                          QWidget* parent = nullptr);

    QLineEdit* pathEdit() const { return m_path; }
    // The path as typed, without the blanks around it.
    std::string path() const;
    void browse();
    void accept() override;

private:
    Notifier& m_notifier;
    FilePrompter& m_files;
    QLineEdit* m_path;
};

class SpreadsheetView {
public:
    // Starts the program with the file as its one argument in that folder: nothing when it
    // started, else the system's reason.
    using Starter = std::function<std::optional<std::string>(
        const std::string& program, const std::string& file, const std::string& folder)>;
    // Opens the file in the desktop's own application for it; false when none took it.
    using DefaultOpener = std::function<bool(const std::string& file)>;
    // Asks for the program's path, proposing the one given; nothing when cancelled.
    using PathAsker = std::function<std::optional<std::string>(const std::string& proposed)>;

    SpreadsheetView(const WorkDir& workDir, Notifier& notifier, FilePrompter& files,
                    QWidget* owner);
    // The path dialog it opens by default refers back to this object.
    SpreadsheetView(const SpreadsheetView&) = delete;
    SpreadsheetView& operator=(const SpreadsheetView&) = delete;

    // The system's own ways unless a test brings its own.
    void setStarter(Starter starter) { m_start = std::move(starter); }
    void setDefaultOpener(DefaultOpener opener) { m_openDefault = std::move(opener); }
    void setPathAsker(PathAsker asker) { m_askPath = std::move(asker); }

    // Settings > "E&XCEL.EXE path": the dialog over EXCEL.SYS.
    void editPath();
    // "View report &file": a report file of the hub's _REPORTS, then openReport.
    void viewReportFile(std::string_view hubDirectory);
    // The file in the program EXCEL.SYS names, else in the desktop's application for it.
    // A program that is missing or fails to start is asked for again (and kept).
    void openReport(const std::string& file);

    // QProcess::startDetached, with no shell between: blanks, quotes and ";" in the file's
    // name reach the program as they are.
    static std::optional<std::string> startDetached(const std::string& program,
                                                    const std::string& file,
                                                    const std::string& folder);

private:
    // The path dialog; an accepted path is stored in EXCEL.SYS.
    std::optional<std::string> askForProgram(const std::string& proposed);

    const WorkDir& m_workDir;
    Notifier& m_notifier;
    FilePrompter& m_files;
    QWidget* m_owner;
    Starter m_start;
    DefaultOpener m_openDefault;
    PathAsker m_askPath;
};

}  // namespace quillon
