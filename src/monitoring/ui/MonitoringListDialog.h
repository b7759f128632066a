// "Monitoring list": which machines the detailed/graph views and the timeline view show, in
// which order and under which titles, and the settings of the views' rotation.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/HubSetup.h"
#include "monitoring/MachineLists.h"
#include "monitoring/MonitoringListEdit.h"
#include "platform/WorkDir.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace quillon {

class Notifier;

inline constexpr char kMonitoringListTitle[] = "Monitoring list";

class MonitoringListDialog : public QDialog {
    Q_OBJECT
public:
    // Offers the monitored machines of the hub and shows both lists and the settings as
    // they are in the working directory.
    MonitoringListDialog(const WorkDir& workDir, HubConfiguration configuration,
                         MonitorSetup setup, Notifier& notifier, QWidget* parent = nullptr);

    QListWidget* monitored() const { return m_monitored; }
    QListWidget* list(DisplayedList which) const;
    QPushButton* addButton(DisplayedList which) const;
    QPushButton* insertButton(DisplayedList which) const;
    QPushButton* deleteButton(DisplayedList which) const;
    QCheckBox* piecesBox() const { return m_pieces; }

    // The rows of a list as they are written: names and marker + title.
    std::vector<std::string> items(DisplayedList which) const;
    // The settings as typed, before the limits.
    MonitorViewSettings settings() const;
    // What OK wrote, with the limits applied.
    const MonitorViewSettings& written() const { return m_written; }

    // Writes both lists; a list that cannot be written is said and the dialog stays open.
    void accept() override;

private:
    struct Target {
        QListWidget* list = nullptr;
        QPushButton* add = nullptr;
        QPushButton* insert = nullptr;
        QPushButton* remove = nullptr;
    };

    const Target& target(DisplayedList which) const;
    // The list's rows anew from the edit, the current row kept where it can be.
    void showRows(DisplayedList which);
    // Puts the highlighted monitored machines in the list, at its end or before its current
    // row, leaving out those it has already.
    void addSelected(DisplayedList which, bool beforeCurrent);
    void deleteSelected(DisplayedList which);
    // Asks for a title and puts marker + title in the detailed/graph list, the only one whose
    // views show titles.
    void addTitle(std::string_view marker, const QString& prompt, bool beforeCurrent);
    void piecesClicked(bool on);

    WorkDir m_workDir;
    HubConfiguration m_configuration;
    MonitorSetup m_setup;
    Notifier& m_notifier;
    MonitorViewSettings m_written;
    std::optional<MonitoringListEdit> m_edit;
    QListWidget* m_monitored;
    Target m_detailed;
    Target m_timeline;
    QLineEdit* m_detailedRotation;
    QLineEdit* m_graphRotation;
    QLineEdit* m_timelineRotation;
    QLineEdit* m_refresh;
    QCheckBox* m_pieces;
};

// The "Create list to Display" command: reads the hub's configuration and monitoring setup
// below the hub directory (each missing one said, and then the dialog does not open) and
// shows the dialog. The settings written on OK; nothing when nothing was written.
std::optional<MonitorViewSettings> editMonitoringLists(const WorkDir& workDir,
                                                       std::string_view hubDirectory,
                                                       Notifier& notifier, QWidget* parent);

}  // namespace quillon
