// "Display/List": one of the monitored machines, picked by name, for the views of a single
// machine's shift and OEE; the machine is given with its slot and its station kind.
#pragma once

#include <QDialog>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitoring/MachineSlot.h"
#include "monitoring/StationKind.h"

class QListWidget;
class QPushButton;

namespace quillon {

class HubConfiguration;
class MonitorSetup;
class Notifier;

inline constexpr char kDisplayListTitle[] = "Display/List";
// The list holds one machine fewer than the hub addresses, as the remote request list does.
inline constexpr std::size_t kDisplayListLimit = 127;

struct DisplayedMachine {
    MachineSlot slot;
    StationKind kind = StationKind::Single;
    bool operator==(const DisplayedMachine&) const = default;
};

class DisplayListDialog : public QDialog {
    Q_OBJECT
public:
    // Lists the names as given, the first kDisplayListLimit of them.
    explicit DisplayListDialog(const std::vector<std::string>& names, QWidget* parent = nullptr);

    QListWidget* machines() const { return m_machines; }
    QPushButton* selectButton() const { return m_select; }
    // The highlighted name.
    std::optional<std::string> chosen() const;

private:
    QListWidget* m_machines;
    QPushButton* m_select;
};

// The slot of the first NM: line with the name and the station kind of that slot's TH:
// line. Nothing when the hub does not name the machine, when its block has no TH: line or
// when the line gives no kind this program knows: the views would show it wrongly.
std::optional<DisplayedMachine> identifyMachine(std::string_view name,
                                                const HubConfiguration& configuration,
                                                const MonitorSetup& setup);

// Reads the hub's configuration and monitoring setup (each missing one said), offers the
// monitored machines and identifies the chosen one ("Can not identify machine" when it
// cannot be). Nothing on Cancel or on any of these failures.
std::optional<DisplayedMachine> chooseDisplayedMachine(std::string_view hubDirectory,
                                                       Notifier& notifier, QWidget* parent);

}  // namespace quillon
