// "New Part Number": the job a SETUP starts on a machine, its part number(s), cycle time
// range(s) in the machine's unit and pieces per cycle, prefilled from the machine's record.
// OK keeps the dialog open with a message while the entry cannot go.
#pragma once

#include <QDialog>

#include <map>
#include <optional>

#include "monitoring/MachineRecord.h"
#include "monitoring/StatusChange.h"

class QLineEdit;

namespace quillon {

class Notifier;

class NewPartNumberDialog : public QDialog {
    Q_OBJECT
public:
    NewPartNumberDialog(const MachineRecord& record, Notifier& notifier,
                        QWidget* parent = nullptr);

    // After OK: what to send.
    const std::optional<ConfirmedSetup>& setup() const { return m_setup; }
    // The field of the entry; nothing for a station-2 field of a single-station machine.
    QLineEdit* field(PartNumberField which) const;

    void accept() override;

private:
    PartNumberForm typed() const;

    MachineRecord m_record;
    Notifier& m_notifier;
    std::map<PartNumberField, QLineEdit*> m_fields;
    std::optional<ConfirmedSetup> m_setup;
};

}  // namespace quillon
