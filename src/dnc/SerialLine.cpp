#include "dnc/SerialLine.h"

#include "dnc/PortSetup.h"

namespace quillon {

LineSettings lineSettings(const PortSetup& setup, CommWindowKind kind)
{
    LineSettings settings;
    // A damaged baud code keeps the speed the setup dialog starts with.
    settings.baudRate = baudEntry(setup.baud).value_or(kBaudTable[5]).rate;
    // ISO travels as 7 data bits with even parity; so does HEIDENHAIN's exchange, except in
    // the terminal, which shows what comes as it comes.
    const bool sevenEven =
        setup.code == CharacterCode::Iso ||
        (kind != CommWindowKind::Terminal && setup.handshake == Handshake::Heidenhain);
    settings.dataBits = sevenEven ? 7 : 8;
    settings.parity = sevenEven ? LineParity::Even : LineParity::None;
    settings.stopBits = kind == CommWindowKind::Transmit ? 2 : 1;
    settings.hardwareFlow = setup.hardwareHandshake != 0;
    settings.softwareFlow = setup.handshake != Handshake::None;
    return settings;
}

std::string lineErrorText(std::uint32_t errors)
{
    std::string text;
    if (errors & LineError::Frame)
        text = "Framing error";
    if (errors & LineError::Parity)
        text = "Parity error";
    if (errors & LineError::Overrun)
        text = "Overrun error";
    if (errors & LineError::IoError)
        text = "General I/O error";
    return text;
}

std::string genericReceiveErrorText(int error)
{
    return "Generic Receive Error " + std::to_string(error);
}

std::string ioWriteErrorText(int error)
{
    return "I/O write error: " + std::to_string(error);
}

}  // namespace quillon
