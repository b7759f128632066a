// The five slots of files waiting to be opened in the editor, one per idle pass.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class WorkDir;

class OpenFileQueue {
public:
    static constexpr std::size_t kSlots = 5;
    static constexpr std::size_t kPathLimit = 260;

    // Puts the path into the first free slot; false (the path is dropped) when all five
    // are taken or the path is empty.
    bool add(std::string_view path);
    // Empties and returns the first taken slot.
    std::optional<std::string> takeNext();

    bool empty() const;
    std::size_t freeSlots() const;
    const std::array<std::string, kSlots>& entries() const { return m_slots; }

private:
    std::array<std::string, kSlots> m_slots;
};

// Queues the file named in DROPIN.TXT and deletes the file; false when there was none or
// the queue was full.
bool queueDropIn(const WorkDir& workDir, OpenFileQueue& queue);

}  // namespace quillon
