#include "shell/colours.h"

namespace korvel
{

std::optional<NamedColour> colourNamed(const QString& setting)
{
    const QString c = setting.trimmed();
    const struct {
        const char* name;
        NamedColour colour;
    } names[] = {{"white", NamedColour::White},
                 {"black", NamedColour::Black},
                 {"yellow", NamedColour::Yellow},
                 {"red", NamedColour::Red}};
    for (const auto& n : names)
        if (c.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.colour;
    return std::nullopt;
}

std::uint32_t rgbOf(NamedColour colour)
{
    switch (colour) {
    case NamedColour::Black:
        return 0x000000;
    case NamedColour::Yellow:
        return 0xFFFF00;
    case NamedColour::Red:
        return 0xFF0000;
    case NamedColour::White:
        break;
    }
    return kWhite;
}

std::uint32_t impactColour(const QString& impactcolor)
{
    const auto c = colourNamed(impactcolor);
    return c ? rgbOf(*c) : kWhite;
}

std::optional<std::uint32_t> messageColour(const QString& labelcolor)
{
    const auto c = colourNamed(labelcolor);
    if (!c || *c == NamedColour::Red)
        return std::nullopt;
    return rgbOf(*c);
}

std::uint32_t labelColour(const QString& labelcolor)
{
    return messageColour(labelcolor).value_or(kWhite);
}

} // namespace korvel
