// Feeds arbitrary bytes to the hub's reading of a request file and to the name rules a
// request passes. Besides crashes it checks what they promise: a request the hub accepts
// is one a station could have written (it formats back to the same bytes, its slot
// exists, its name passes the checks), and Browse never hands back a relative name that
// the checks would let out of the machine's folder unless the chosen path was one.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "monitoring/MachineSlot.h"
#include "monitoring/RemoteRequest.h"

namespace {

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (const auto request = quillon::parseRemoteRequest(bytes)) {
        FUZZ_CHECK(quillon::formatRemoteRequest(*request) == bytes);
        FUZZ_CHECK(request->machineIndex >= 0 && request->machineIndex < quillon::kMachineSlots);
        FUZZ_CHECK(!quillon::checkRequestFileName(request->fileName, request->fullPath));
    }
    quillon::checkMachineName(bytes);

    // The first line is the chosen path, the rest the machine's folder.
    const auto lineEnd = bytes.find('\n');
    const auto chosen = bytes.substr(0, lineEnd);
    const auto folder =
        lineEnd == std::string_view::npos ? std::string_view{} : bytes.substr(lineEnd + 1);
    const std::string relative = quillon::browsedRequestName(chosen, folder, false);
    FUZZ_CHECK(relative.size() <= chosen.size());
    FUZZ_CHECK(chosen.ends_with(relative));
    FUZZ_CHECK(quillon::browsedRequestName(chosen, folder, true) == chosen);
    return 0;
}
