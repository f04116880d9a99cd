#include "shell/sharedstate.h"

namespace korvel
{

namespace
{

constexpr NameRow<ScreenTag> kScreenTags[] = {
    {ScreenTag::None, ""},
    {ScreenTag::Setup, "Setup"},
    {ScreenTag::Capture, "Capture"},
    {ScreenTag::CaptureGoToTimer, "CaptureGoToTimer"},
    {ScreenTag::Timer, "Timer"},
    {ScreenTag::SelectFrame, "SelectFrame"},
    {ScreenTag::View, "View"},
    {ScreenTag::Measure, "Measure"},
    {ScreenTag::PictureLoadMenu, "PictureLoadMenu"},
    {ScreenTag::PictureLog, "PictureLog"},
};
constexpr NameRow<WstimsLink> kWstims[] = {
    {WstimsLink::Off, "WSTIMS OFF"},
    {WstimsLink::On, "WSTIMS ON"},
};
constexpr NameRow<SavePolicy> kSavePolicies[] = {
    {SavePolicy::Ask, "Ask"},
    {SavePolicy::Save, "Save"},
    {SavePolicy::NoSave, "NoSave"},
};
constexpr NameRow<Direction> kDirections[] = {
    {Direction::Right, "right"},
    {Direction::Left, "left"},
};
constexpr NameRow<Tournament> kTournaments[] = {
    {Tournament::Normal, "normal"},
    {Tournament::Barefoot, "barefoot"},
    {Tournament::SitSki, "sitski"},
};
constexpr NameRow<MarkerStyle> kMarkerStyles[] = {
    {MarkerStyle::Circle, "circle"},
    {MarkerStyle::Cross, "cross"},
};
constexpr NameRow<LineControl> kLineControls[] = {
    {LineControl::On, "line_on"},
    {LineControl::Off, "line_off"},
};

} // namespace

std::span<const NameRow<ScreenTag>> names(ScreenTag)
{
    return kScreenTags;
}
std::span<const NameRow<WstimsLink>> names(WstimsLink)
{
    return kWstims;
}
std::span<const NameRow<SavePolicy>> names(SavePolicy)
{
    return kSavePolicies;
}
std::span<const NameRow<Direction>> names(Direction)
{
    return kDirections;
}
std::span<const NameRow<Tournament>> names(Tournament)
{
    return kTournaments;
}
std::span<const NameRow<MarkerStyle>> names(MarkerStyle)
{
    return kMarkerStyles;
}
std::span<const NameRow<LineControl>> names(LineControl)
{
    return kLineControls;
}

std::optional<SavePolicy> savePolicyFromSetting(QStringView text)
{
    if (text.trimmed().isEmpty())
        return SavePolicy::Ask;
    return parseName<SavePolicy>(text);
}

MarkerStyle markerStyleFromSetting(QStringView text)
{
    return parseName<MarkerStyle>(text) == MarkerStyle::Cross ? MarkerStyle::Cross
                                                              : MarkerStyle::Circle;
}

} // namespace korvel
