#include "magnifier/messages.h"

namespace lensor
{

QString messageFormat(Message m)
{
    switch (m) {
    case Message::Accelerators:
        return QStringLiteral("\rError detected loading application accelerator keys\r\rCode %d");
    case Message::WindowClass:
        return QStringLiteral("\rError detected creating %s window class\r\rCode %d");
    case Message::OpenWindow:
        return QStringLiteral("\rError detected opening the %s window\r\rCode %d");
    case Message::Timer:
        return QStringLiteral("\rError detected scheduling a Windows background timer\r\rCode %d");
    case Message::ClipboardOpen:
        return QStringLiteral("\rCannot open the MS Windows Clipboard.\rAnother application may "
                              "be using it.\r\rCode %d");
    case Message::ClipboardDevice:
        return QStringLiteral("\rError detected creating a temporary device\rcontext for "
                              "Clipboard operations\r\rCode %d");
    case Message::ClipboardBitmap:
        return QStringLiteral("\rError detected creating a temporary\rbitmap for Clipboard "
                              "operations\r\rCode %d");
    case Message::ClipboardCopy:
        return QStringLiteral("\rError detected while copying bitmap to the Clipboard\r\rCode %d");
    case Message::WriteFile:
        return QStringLiteral("File: %s\r\rError detected writing the file\rCode %d");
    case Message::OpenFile:
        return QStringLiteral("File: %s\r\rError detected opening the file\rCode %d");
    case Message::RemoveFile:
        return QStringLiteral("File: %s\r\rError detected removing the file\rCode %d");
    }
    return {};
}

QString messageText(Message m, int code, const QString& item)
{
    QString text = messageFormat(m);
    // The code first: a file name may hold "%d" itself.
    text.replace(QLatin1String("%d"), QString::number(code));
    text.replace(QLatin1String("%s"), item);
    return text;
}

QString playWaveText(unsigned resourceId, int code)
{
    return QStringLiteral("PlayWave(sndPlaySound): Cannot play WAVE resource (ID:%1)\rCode %2")
        .arg(resourceId)
        .arg(code);
}

QString displayText(const QString& text)
{
    QString lines = text;
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (lines.startsWith(QLatin1Char('\n')))
        lines.remove(0, 1);
    return lines;
}

} // namespace lensor
