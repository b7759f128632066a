#include "app/OpenFileQueue.h"

#include <algorithm>
#include <utility>

#include "app/HandOff.h"

namespace quillon {

bool OpenFileQueue::add(std::string_view path)
{
    if (path.empty())
        return false;
    const auto slot =
        std::find_if(m_slots.begin(), m_slots.end(), [](const auto& s) { return s.empty(); });
    if (slot == m_slots.end())
        return false;
    *slot = path.substr(0, kPathLimit);
    return true;
}

std::optional<std::string> OpenFileQueue::takeNext()
{
    const auto slot =
        std::find_if(m_slots.begin(), m_slots.end(), [](const auto& s) { return !s.empty(); });
    if (slot == m_slots.end())
        return std::nullopt;
    return std::exchange(*slot, std::string{});
}

bool OpenFileQueue::empty() const
{
    return freeSlots() == kSlots;
}

std::size_t OpenFileQueue::freeSlots() const
{
    return static_cast<std::size_t>(
        std::count_if(m_slots.begin(), m_slots.end(), [](const auto& s) { return s.empty(); }));
}

bool queueDropIn(const WorkDir& workDir, OpenFileQueue& queue)
{
    const auto file = takeDropIn(workDir);
    return file && queue.add(*file);
}

}  // namespace quillon
