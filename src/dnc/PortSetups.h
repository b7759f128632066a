// The ten port setups, the selected one and its working copy, which a communication
// window reads when it starts.
#pragma once

#include <array>

#include "dnc/PortSetup.h"

namespace quillon {

class PortSetups {
public:
    PortSetups();

    PortSetup& record(int index) { return m_records.at(static_cast<std::size_t>(index)); }
    const PortSetup& record(int index) const
    {
        return m_records.at(static_cast<std::size_t>(index));
    }
    std::array<PortSetup, kPortCount>& records() { return m_records; }
    const std::array<PortSetup, kPortCount>& records() const { return m_records; }

    PortSetup& workingCopy() { return m_workingCopy; }
    const PortSetup& workingCopy() const { return m_workingCopy; }

    int selectedIndex() const { return m_selected; }
    // Working copy := record[index]; the index becomes the selected one.
    void select(int index);
    // Working copy := record[selected index].
    void refreshWorkingCopy() { m_workingCopy = record(m_selected); }

    // Every record back to its defaults; the open port handles stay with their records.
    void resetToDefaults();

private:
    std::array<PortSetup, kPortCount> m_records;
    PortSetup m_workingCopy;
    int m_selected = 0;
};

}  // namespace quillon
