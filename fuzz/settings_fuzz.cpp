// The settings file as an operator's editor, a crash or a full disk left it:
// read line by line, every key asked for, one key saved, and the file read
// again. What korvel writes must read back as it was written.

#include "fuzz/fuzzfiles.h"
#include "shell/inifile.h"
#include "shell/settingkeys.h"
#include "shell/settings.h"

#include <QFile>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace korvel;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    // Every value read is written by korvel in a form that reads back the same.
    const IniText text = parseIni(bytes);
    for (const IniLine& l : text.lines) {
        if (l.kind != IniLine::Kind::Entry)
            continue;
        const IniText again = parseIni(iniEntryLine(l.key, l.value).toUtf8());
        if (again.lines.size() != 1 || !again.problems.empty() || again.lines[0].value != l.value ||
            again.lines[0].key != l.key)
            __builtin_trap();
    }

    const QString path = fuzz::scratchFile(QStringLiteral("korvel.ini"));
    if (!fuzz::writeFile(path, bytes.constData(), size))
        return 0;
    // Every key but the one saved reads the same after the save.
    auto othersOf = [](const Settings& s) {
        QStringList values;
        for (const SettingKey& k : settingKeys())
            if (k.id != Setting::LogPath)
                values << s.get(k.id);
        return values;
    };
    const QString saved = QStringLiteral(" C:\\Jumps\\ \"x\"");
    QStringList before;
    {
        Settings settings(path);
        before = othersOf(settings);
        if (settings.damaged()) {
            QString error;
            const auto copy = settings.keepDamagedCopy(QDate(2000, 1, 1), &error);
            if (!copy)
                __builtin_trap(); // a plain file in a folder of our own is always kept
            QFile::remove(*copy);
        }
        if (!settings.save(Setting::LogPath, saved))
            __builtin_trap();
    }
    const Settings reread(path);
    if (reread.damaged() || reread.get(Setting::LogPath) != saved || othersOf(reread) != before)
        __builtin_trap();
    return 0;
}
