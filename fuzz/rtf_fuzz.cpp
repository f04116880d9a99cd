// Rich text as it arrives from a tournament office (the names file) or sits
// beside the program (the manual): read for its plain text and into a
// document, as the names import and the manual viewer do.

#include "viewers/rtfreader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // A document lays its text out with fonts, which need the application
    // object; one offscreen application serves every input.
    static QGuiApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "rtf-fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString plain = korvel::readRichText(bytes);
    QTextDocument doc;
    const QString shown = korvel::readRichText(bytes, &doc);
    // Both readings give the same text.
    if (plain != shown)
        __builtin_trap();
    return 0;
}
