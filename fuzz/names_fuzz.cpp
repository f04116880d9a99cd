// A skier names file as a tournament office sends it (plain text in any
// encoding, rich text from a word processor, or a wrong file chosen by
// mistake): brought in as the main screen's import does, and read as the
// skier list and the configuration's names file are.

#include "fuzz/fuzzfiles.h"
#include "shell/textfile.h"
#include "viewers/skiernames.h"

#include <QGuiApplication>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvel;
    // Rich text is laid out with fonts, which need the application object.
    static QGuiApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "names-fuzz";
        static char* argv[] = {name, nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;

    const QString source = fuzz::scratchFile(QStringLiteral("names.txt"));
    const QString target = fuzz::scratchFile(QStringLiteral("SkierNames.txt"));
    if (!fuzz::writeFile(source, reinterpret_cast<const char*>(data), size))
        return 0;
    QFile::remove(target);
    const NamesImport imported = importSkierNames(source, target);
    const SkierNames read = readSkierNames(source);
    // The first name the import hands to the capture screen is the first of
    // the list the same file gives, and every name is single-byte already.
    if (imported && !imported.firstName.trimmed().isEmpty() &&
        (read.names.isEmpty() || read.names.first() != imported.firstName))
        __builtin_trap();
    for (const QString& name : read.names)
        if (fromSingleByte(toSingleByte(name)) != name)
            __builtin_trap();
    if (imported)
        (void)readSkierNames(target);
    return 0;
}
