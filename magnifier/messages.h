#pragma once
// The magnifier's message table. Every failure names what failed and ends with
// the system's error code, so an operator can tell a full disk from a missing
// permission. Texts use "\r" as the line break; displayText() turns that into
// lines for a message box.

#include <QString>

namespace lensor
{

enum class Message {
    Accelerators = 60002,
    WindowClass = 60003,
    OpenWindow = 60004,
    Timer = 60006,
    ClipboardOpen = 60045,
    ClipboardDevice = 60046,
    ClipboardBitmap = 60047,
    ClipboardCopy = 60050,
    // Ours: writing the options file or a menu, desktop or autostart entry.
    WriteFile = 60090,
    RemoveFile = 60091,
    OpenFile = 60092,
};

// The format text of a message: "%s" for the item named, "%d" for the code.
QString messageFormat(Message m);
// The message with its item (if the text names one) and the error code filled in.
QString messageText(Message m, int code, const QString& item = QString());
// The failed shutter sound: "PlayWave(sndPlaySound): ..." with its resource id.
QString playWaveText(unsigned resourceId, int code);
// "\r" line breaks as the message box shows them.
QString displayText(const QString& text);

// The program's title, the caption of every message box.
inline const char* kTitle = "Lensor";

} // namespace lensor
