#include "shell/settings.h"

#include "shell/prompt.h"
#include "shell/settingkeys.h"
#include "shell/textrules.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cmath>
#include <optional>

namespace korvel
{

namespace
{
const QString kSection = QStringLiteral("Settings");

void reportBadValue(Prompt& prompt, const QString& key, const QString& value, const QString& what,
                    const QString& used)
{
    prompt.message(QStringLiteral("The setting \"%1\" holds \"%2\", which is not %3. "
                                  "korvel uses \"%4\" instead.")
                       .arg(key, value, what, used),
                   QStringLiteral("Settings"), Icon::Exclamation);
}
} // namespace

QString Settings::defaultPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/KV05/korvel.ini");
}

Settings::Settings(const QString& iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{
}

Settings::~Settings() = default;

QString Settings::path() const
{
    return m_settings->fileName();
}

QString Settings::normalisedKey(const QString& key)
{
    return kSection + QLatin1Char('/') + key.trimmed().toLower();
}

namespace
{

// Every spelling under which the key stands in the file ("Section/key"), in
// any letter case of section and key: a hand-edited "VideoResolution=4" is
// the same entry as the "videoresolution" korvel writes.
QStringList spellingsOf(QSettings& settings, const QString& key)
{
    const QString wanted = key.trimmed();
    QStringList found;
    for (const QString& group : settings.childGroups()) {
        if (group.compare(kSection, Qt::CaseInsensitive) != 0)
            continue;
        settings.beginGroup(group);
        const QStringList keys = settings.childKeys();
        settings.endGroup();
        for (const QString& k : keys) {
            if (k.compare(wanted, Qt::CaseInsensitive) == 0)
                found << group + QLatin1Char('/') + k;
        }
    }
    return found;
}

// The text after "=" on the key's line, as the file has it. The INI reader
// splits a hand-written value at a comma outside quotes and drops the blanks
// around it ("/mnt/score, share"); the line itself still holds them.
std::optional<QString> lineValue(const QString& path, const QString& spelling)
{
    const qsizetype slash = spelling.indexOf(QLatin1Char('/'));
    const QString section = spelling.left(slash);
    const QString key = spelling.mid(slash + 1);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString current;
    std::optional<QString> value;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            current = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (current == section && eq > 0 && line.left(eq).trimmed() == key)
            value = line.mid(eq + 1).trimmed(); // the last line wins, as for the reader
    }
    return value;
}

} // namespace

QString Settings::get(const QString& key, const QString& defaultValue) const
{
    const QStringList spellings = spellingsOf(*m_settings, key);
    if (spellings.isEmpty())
        return defaultValue;
    // korvel writes one spelling, the lower-case one; another one is the
    // operator's hand edit, made since.
    QString spelling = spellings.first();
    for (const QString& s : spellings) {
        if (s != normalisedKey(key))
            spelling = s;
    }
    const QVariant v = m_settings->value(spelling);
    if (v.typeId() == QMetaType::QStringList) {
        if (const auto line = lineValue(path(), spelling))
            return *line;
        return v.toStringList().join(QStringLiteral(", "));
    }
    return v.toString();
}

QString Settings::get(const QString& key) const
{
    return get(key, settingDefault(key));
}

bool Settings::contains(const QString& key) const
{
    return !spellingsOf(*m_settings, key).isEmpty();
}

bool Settings::save(const QString& key, const QString& value)
{
    // One entry per key: other spellings of it go when korvel writes it.
    const QString own = normalisedKey(key);
    for (const QString& s : spellingsOf(*m_settings, key)) {
        if (s != own)
            m_settings->remove(s);
    }
    m_settings->setValue(own, value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

int Settings::getWhole(const QString& key, int defaultValue, Prompt& prompt) const
{
    const QString text = get(key, QString::number(defaultValue));
    const auto v = parseNumber(text);
    if (!v || std::fabs(*v) > 2147483647.0) {
        reportBadValue(prompt, key, text, QStringLiteral("a whole number"),
                       QString::number(defaultValue));
        return defaultValue;
    }
    return static_cast<int>(std::lround(*v));
}

std::optional<int> Settings::getChosenWhole(const QString& key, const QString& usedInstead,
                                            Prompt& prompt) const
{
    const QString text = get(key, QString()).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const auto v = parseNumber(text);
    if (!v || std::fabs(*v) > 2147483647.0) {
        reportBadValue(prompt, key, text, QStringLiteral("a whole number"), usedInstead);
        return std::nullopt;
    }
    return static_cast<int>(std::lround(*v));
}

bool Settings::getBool(const QString& key, bool defaultValue, Prompt& prompt) const
{
    const QString text = get(key, boolText(defaultValue)).trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto v = parseNumber(text))
        return *v != 0;
    reportBadValue(prompt, key, text, QStringLiteral("True or False"), boolText(defaultValue));
    return defaultValue;
}

bool Settings::getChecked(const QString& key, Prompt& prompt) const
{
    return getWhole(key, 0, prompt) != 0;
}

int configuredGridCount(const Settings& settings, Prompt& prompt)
{
    const QString key = QStringLiteral("grids");
    if (settings.get(key, QString()).trimmed().isEmpty())
        return 1;
    const int n = settings.getWhole(key, 1, prompt);
    return n >= 1 && n <= 3 ? n : 1;
}

QString GetSetting(const Settings& settings, const QString& key, const QString& defaultValue)
{
    return settings.get(key, defaultValue);
}

} // namespace korvel
