#include "magnifier/options.h"

#include "magnifier/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>

namespace lensor
{

namespace
{
const std::array<OptionRule, kOptionCount> kRules = {{
    {Option::Zoom, "Zoom", 0, 3, false},
    {Option::Refresh, "Refresh", 1, 2, false},
    {Option::TopMost, "TopMost", 1, 1, true},
    {Option::CrossHair, "CrossHair", 0, 1, true},
    {Option::Position, "Position", 1, 1, true},
    {Option::Shutter, "Shutter", 0, 1, true},
    {Option::LockSound, "LockSound", 1, 1, true},
    {Option::Multiple, "Multiple", 0, 1, true},
    {Option::TaskTray, "TaskTray", 0, 1, true},
    {Option::Html, "HTML", 0, 1, true},
    {Option::Splash, "Splash", 1, 1, true},
}};

const char* const kSections[kSectionCount] = {
    "DeskTop/Window",      "DeskTop/Options", "DeskTop/SysInfo",  "DeskTop/ASCII Chart",
    "DeskTop/Error Codes", "DeskTop/HRuler",  "DeskTop/VRuler",   "DeskTop/GetFile",
    "DeskTop/PutFile",     "DeskTop/Setup",   "DeskTop/Property",
};

const QString kOptionsGroup = QStringLiteral("Options");

int readNumber(const QSettings& s, const QString& key, int defaultValue)
{
    bool ok = false;
    const int v = s.value(key).toString().trimmed().toInt(&ok);
    return ok ? v : defaultValue;
}

// The system's reason why path cannot be written, found afresh: errno after a
// settings write is whatever the library last left there, often EEXIST from a
// folder that already existed.
int writeErrorCode(const QString& path)
{
    errno = 0;
    if (std::FILE* f = std::fopen(QFile::encodeName(path).constData(), "ab")) {
        std::fclose(f);
        return EIO;
    }
    return errno != 0 ? errno : EIO;
}

std::optional<QString> finish(QSettings& s, const QString& path)
{
    s.sync();
    bool written = s.status() == QSettings::NoError;
    if (s.status() == QSettings::FormatError) {
        // The file was damaged when it was read; the write replaced it. Only
        // a file that still does not read cleanly is a failure.
        QSettings again(path, QSettings::IniFormat);
        again.allKeys();
        written = again.status() == QSettings::NoError;
    }
    if (written)
        return std::nullopt;
    return messageText(Message::WriteFile, writeErrorCode(path), path);
}
} // namespace

const std::array<OptionRule, kOptionCount>& optionRules()
{
    return kRules;
}

const OptionRule& ruleOf(Option option)
{
    return kRules[static_cast<int>(option)];
}

int refreshPeriodMs(int refresh)
{
    if (refresh <= 0)
        return 100;
    return refresh == 1 ? 33 : 20;
}

Options::Options()
{
    for (const OptionRule& r : kRules)
        m_values[static_cast<int>(r.option)] = r.defaultValue;
}

void Options::set(Option o, int value)
{
    const OptionRule& r = ruleOf(o);
    if (r.flag)
        value = value != 0 ? 1 : 0;
    else if (value < 0 || value > r.high)
        value = r.defaultValue;
    m_values[static_cast<int>(o)] = value;
}

QString sectionName(Section s)
{
    return QString::fromLatin1(kSections[static_cast<int>(s)]);
}

void placeForFirstRun(LensorState& state, QSize screen)
{
    WindowRecord& main = state.window(Section::Window);
    main.width = 170;
    main.height = 245;
    main.left = (screen.width() - 170) / 2;
    main.top = (screen.height() - 245) / 2;
    WindowRecord& sheet = state.window(Section::Options);
    sheet.left = (screen.width() - 500) / 2;
    sheet.top = (screen.height() - 375) / 2;
}

QPoint keptOnScreen(QPoint topLeft, const QRect& screen)
{
    return {std::max(std::min(topLeft.x(), screen.right() + 1 - 70), screen.left()),
            std::max(std::min(topLeft.y(), screen.bottom() + 1 - 70), screen.top())};
}

QRect placedOnScreens(const QRect& stored, const std::vector<QRect>& screens)
{
    if (screens.empty())
        return stored;
    QRect screen = screens.front();
    for (const QRect& s : screens)
        if (s.contains(stored.topLeft())) {
            screen = s;
            break;
        }
    return {keptOnScreen(stored.topLeft(), screen),
            stored.size().boundedTo(screen.size()).expandedTo({0, 0})};
}

OptionsStore::OptionsStore(QString path) : m_path(std::move(path)) {}

QString OptionsStore::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/lensor/lensor.ini");
}

bool OptionsStore::exists() const
{
    return QFileInfo::exists(m_path);
}

LensorState OptionsStore::load(QSize screen, QString* error) const
{
    LensorState state;
    if (!exists()) {
        placeForFirstRun(state, screen);
        const auto failed = save(state);
        if (failed && error)
            *error = *failed;
        return state;
    }
    QSettings s(m_path, QSettings::IniFormat);
    s.beginGroup(kOptionsGroup);
    for (const OptionRule& r : kRules)
        state.options.set(r.option, readNumber(s, QString::fromLatin1(r.name), r.defaultValue));
    s.endGroup();
    for (int i = 0; i < kSectionCount; ++i) {
        WindowRecord& w = state.windows[i];
        const WindowRecord d;
        s.beginGroup(QString::fromLatin1(kSections[i]));
        w.top = readNumber(s, QStringLiteral("Top"), d.top);
        w.left = readNumber(s, QStringLiteral("Left"), d.left);
        w.width = readNumber(s, QStringLiteral("Width"), d.width);
        w.height = readNumber(s, QStringLiteral("Height"), d.height);
        w.show = readNumber(s, QStringLiteral("Show"), d.show ? 1 : 0) != 0;
        s.endGroup();
    }
    return state;
}

std::optional<QString> OptionsStore::save(const LensorState& state) const
{
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return messageText(Message::WriteFile, writeErrorCode(m_path), m_path);
    QSettings s(m_path, QSettings::IniFormat);
    s.beginGroup(kOptionsGroup);
    for (const OptionRule& r : kRules)
        s.setValue(QString::fromLatin1(r.name), state.options.value(r.option));
    s.endGroup();
    for (int i = 0; i < kSectionCount; ++i) {
        const WindowRecord& w = state.windows[i];
        s.beginGroup(QString::fromLatin1(kSections[i]));
        s.setValue(QStringLiteral("Top"), w.top);
        s.setValue(QStringLiteral("Left"), w.left);
        s.setValue(QStringLiteral("Width"), w.width);
        s.setValue(QStringLiteral("Height"), w.height);
        s.setValue(QStringLiteral("Show"), w.show ? 1 : 0);
        s.endGroup();
    }
    return finish(s, m_path);
}

std::optional<QString> OptionsStore::saveVersion() const
{
    QSettings s(m_path, QSettings::IniFormat);
    s.beginGroup(QStringLiteral("Version"));
    s.setValue(QStringLiteral("Name"), QStringLiteral("Screen Lensor for Windows 95/NT"));
    s.setValue(QStringLiteral("Version"), QStringLiteral("v3.4"));
    s.endGroup();
    return finish(s, m_path);
}

} // namespace lensor
