#include "engine_text.h"

std::string toEngineText(const QString &text)
{
    // QString::toLatin1 would turn an unknown character into "?", a plain 7-bit character the
    // device would receive and obey.
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar c : text)
        bytes.push_back(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : kUntransmittable);
    return bytes;
}

QString fromEngineText(const std::string &text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
