// Finding the hub computer's address from its name, with the system's resolver (DNS, the
// hosts file, whatever the machine is set up with). The name is never handed to a shell.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QObject;

namespace quillon {

// Calls `done` once, later, with the first IPv4 address of the name, or nothing when the
// name cannot be resolved (or is blank). `context`: the answer is dropped when it is gone.
using HostResolver = std::function<void(const std::string& name, QObject* context,
                                        std::function<void(std::optional<std::int32_t>)> done)>;

HostResolver systemHostResolver();

}  // namespace quillon
