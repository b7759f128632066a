// Byte strings of the core shown and typed 1:1 as Latin-1.
//
// NC programs and protocol data are bytes, not text: every byte maps to the code point of
// the same value and back, so nothing is lost between the document and the screen.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace quillon {

inline QString fromBytes(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string toBytes(const QString& text)
{
    const QByteArray latin1 = text.toLatin1();
    return std::string(latin1.constData(), static_cast<std::size_t>(latin1.size()));
}

}  // namespace quillon
