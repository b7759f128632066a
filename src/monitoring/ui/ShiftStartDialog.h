// The "Shift start" dialog: when each machine's shift began and its first cycle started,
// with a selection to save as a CSV file; and the two remote-menu commands that fill it.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/ShiftStartList.h"

class QTreeWidget;

namespace quillon {

class FilePrompter;
class Notifier;
class WorkDir;

class ShiftStartDialog : public QDialog {
    Q_OBJECT
public:
    ShiftStartDialog(std::vector<ShiftStartRow> rows, Notifier& notifier, FilePrompter& files,
                     QWidget* parent = nullptr);

    QTreeWidget* list() const { return m_list; }
    // The selected rows in the list's order.
    std::vector<ShiftStartRow> selectedRows() const;
    // "&Save": the selection, then a CSV name, then the file.
    void save();

private:
    std::vector<ShiftStartRow> m_rows;
    Notifier& m_notifier;
    FilePrompter& m_files;
    QTreeWidget* m_list;
};

// "&Start of current shift": the machines of MonList.sys in the working directory.
void showCurrentShiftStarts(const WorkDir& workDir, std::string_view hubDirectory,
                            Notifier& notifier, FilePrompter& files, QWidget* owner);

// "Start &of previous shift": an archived file chosen in the month folder of now, then the
// machines of that shift.
void showPreviousShiftStarts(std::string_view hubDirectory, std::int64_t now, Notifier& notifier,
                             FilePrompter& files, QWidget* owner);

}  // namespace quillon
