#include "dnc/PortSetups.h"

#include <utility>

namespace quillon {

PortSetups::PortSetups()
{
    resetToDefaults();
    refreshWorkingCopy();
}

void PortSetups::select(int index)
{
    m_workingCopy = record(index);
    m_selected = index;
}

void PortSetups::resetToDefaults()
{
    for (int i = 0; i < kPortCount; ++i) {
        auto handle = std::move(record(i).handle);
        record(i) = PortSetup::defaults(i);
        record(i).handle = std::move(handle);
    }
}

}  // namespace quillon
