#pragma once
// The menu commands with their ids, captions and keys (Ctrl + key unless the
// table says otherwise), in the order the menus list them.

#include <QKeySequence>
#include <QList>
#include <QString>

#include <array>

namespace lensor
{

enum class Command {
    Options = 133,
    Exit = 199,
    Copy = 211,
    Position = 309,
    Crosshair = 310,
    NormalSize = 312,
    Zoom2x = 313,
    Zoom4x = 314,
    Zoom8x = 315,
    LockView = 319,
    FixedView = 320,
    Minimize = 398,
    AlwaysOnTop = 399,
    HorizontalRuler = 360,
    VerticalRuler = 361,
    AsciiChart = 350,
    ErrorCodes = 351,
    SystemInformation = 103,
    Help = 901,
    Setup = 134,
    About = 999,
};

enum class MenuName { File, Edit, View, Tools };

struct CommandInfo {
    Command command;
    const char* name;    // the action's objectName
    const char* caption; // "\t" and what follows is the key shown beside it
    MenuName menu;
    bool checkable;
    QList<QKeySequence> keys;
};
const std::array<CommandInfo, 21>& commandTable();
QString menuCaption(MenuName m);
// The caption as the menu shows it, without the "\tCtrl+X" part.
QString commandText(const CommandInfo& c);

} // namespace lensor
