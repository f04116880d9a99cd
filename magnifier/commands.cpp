#include "magnifier/commands.h"

namespace lensor
{

namespace
{
QKeySequence ctrl(Qt::Key k)
{
    return QKeySequence(Qt::CTRL | k);
}
} // namespace

const std::array<CommandInfo, 21>& commandTable()
{
    using C = Command;
    using M = MenuName;
    static const std::array<CommandInfo, 21> table = {{
        {C::Options, "Options", "&Options...", M::File, false, {}},
        {C::Exit, "Exit", "E&xit\tCtrl+Q", M::File, false, {ctrl(Qt::Key_Q)}},
        {C::Copy, "Copy", "&Copy\tCtrl+C", M::Edit, false, {ctrl(Qt::Key_C)}},
        {C::Position, "Position", "&Position", M::View, true, {}},
        {C::Crosshair, "Crosshair", "&Crosshair", M::View, true, {}},
        {C::NormalSize,
         "Normal Size",
         "&Normal Size\tCtrl+1",
         M::View,
         true,
         {ctrl(Qt::Key_1), ctrl(Qt::Key_N)}},
        {C::Zoom2x, "2x Zoom", "&2x Zoom\tCtrl+2", M::View, true, {ctrl(Qt::Key_2)}},
        {C::Zoom4x, "4x Zoom", "&4x Zoom\tCtrl+4", M::View, true, {ctrl(Qt::Key_4)}},
        {C::Zoom8x, "8x Zoom", "&8x Zoom\tCtrl+8", M::View, true, {ctrl(Qt::Key_8)}},
        {C::LockView, "Lock View", "Loc&k View\tCtrl+K", M::View, true, {ctrl(Qt::Key_K)}},
        {C::FixedView, "Fixed View", "&Fixed View\tCtrl+F", M::View, true, {ctrl(Qt::Key_F)}},
        {C::Minimize, "Minimize", "&Minimize\tCtrl+Y", M::View, false, {ctrl(Qt::Key_Y)}},
        {C::AlwaysOnTop,
         "Always on Top",
         "Always on &Top\tCtrl+T",
         M::View,
         true,
         {ctrl(Qt::Key_T)}},
        {C::HorizontalRuler,
         "Horizontal Ruler",
         "&Horizontal Ruler\tCtrl+R",
         M::Tools,
         false,
         {ctrl(Qt::Key_R)}},
        {C::VerticalRuler,
         "Vertical Ruler",
         "&Vertical Ruler\tCtrl+L",
         M::Tools,
         false,
         {ctrl(Qt::Key_L)}},
        {C::AsciiChart, "ASCII Chart", "&ASCII Chart\tCtrl+A", M::Tools, false, {ctrl(Qt::Key_A)}},
        {C::ErrorCodes, "Error Codes", "&Error Codes\tCtrl+E", M::Tools, false, {ctrl(Qt::Key_E)}},
        {C::SystemInformation,
         "System Information",
         "&System Information\tCtrl+S",
         M::Tools,
         false,
         {ctrl(Qt::Key_S)}},
        {C::Help, "Help", "Hel&p...\tF1", M::Tools, false, {QKeySequence(Qt::Key_F1)}},
        {C::Setup, "Setup", "Set&up...", M::Tools, false, {}},
        {C::About, "About", "About &Lensor...", M::Tools, false, {}},
    }};
    return table;
}

QString menuCaption(MenuName m)
{
    switch (m) {
    case MenuName::File:
        return QStringLiteral("&File");
    case MenuName::Edit:
        return QStringLiteral("&Edit");
    case MenuName::View:
        return QStringLiteral("&View");
    case MenuName::Tools:
        return QStringLiteral("&Tools");
    }
    return {};
}

QString commandText(const CommandInfo& c)
{
    return QString::fromLatin1(c.caption).section(QLatin1Char('\t'), 0, 0);
}

} // namespace lensor
