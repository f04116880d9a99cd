// A skier names file as a tournament office sends it (plain text in any
// encoding, rich text from a word processor, or a wrong file chosen by
// mistake): brought in as the configuration screen does, then read back as
// the skier list the capture screen offers.

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
    const SkierNames read = readSkierNames(imported ? target : source);
    // The list shows a name for every line that holds one, the first of them
    // being the name the import handed to the capture screen (as the
    // single-byte file holds it).
    const QString first = fromSingleByte(toSingleByte(imported.firstName));
    if (imported && !first.trimmed().isEmpty() &&
        (read.names.isEmpty() || read.names.first() != first))
        __builtin_trap();
    for (const QString& name : read.names)
        (void)skierDisplayName(name);
    return 0;
}
