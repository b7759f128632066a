// Feeds arbitrary bytes to every settings-file reader. Besides crashes it checks that a
// saved ComConf.sys reads back to what was saved: no stored value may break a line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "app/FontSettings.h"
#include "app/MainWindowRect.h"
#include "app/MarginsSettings.h"
#include "dnc/ComConfFile.h"
#include "dnc/PortSetup.h"

namespace {

std::array<quillon::PortSetup, quillon::kPortCount> records(std::string_view bytes)
{
    std::array<quillon::PortSetup, quillon::kPortCount> result;
    for (int i = 0; i < quillon::kPortCount; ++i)
        result[static_cast<std::size_t>(i)] = quillon::PortSetup::defaults(i);
    quillon::parseComConf(bytes, result);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    const auto read = records(bytes);
    for (const auto& setup : read)
        quillon::setupSummaryLines(setup);
    const std::string saved = quillon::formatComConf(read);
    const std::string again = quillon::formatComConf(records(saved));
    if (quillon::formatComConf(records(again)) != again)
        std::abort();

    quillon::MarginsSettings margins;
    quillon::parseMargins(bytes, margins);
    quillon::FontSet fonts;
    quillon::parseFonts(bytes, fonts);
    quillon::parseMainWindowRect(bytes);
    quillon::parseCharacterEdit(bytes);
    quillon::parseNullCount(bytes);
    return 0;
}
