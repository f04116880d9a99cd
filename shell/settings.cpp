#include "shell/settings.h"

#include "shell/prompt.h"
#include "shell/settingkeys.h"
#include "shell/textrules.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

#include <cmath>

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

QString Settings::get(const QString& key, const QString& defaultValue) const
{
    const QVariant v = m_settings->value(normalisedKey(key));
    if (!v.isValid())
        return defaultValue;
    // A hand-written value with a comma comes back from the INI reader as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QStringLiteral(", "));
    return v.toString();
}

QString Settings::get(const QString& key) const
{
    return get(key, settingDefault(key));
}

bool Settings::contains(const QString& key) const
{
    return m_settings->contains(normalisedKey(key));
}

bool Settings::save(const QString& key, const QString& value)
{
    m_settings->setValue(normalisedKey(key), value);
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

QString GetSetting(const Settings& settings, const QString& key, const QString& defaultValue)
{
    return settings.get(key, defaultValue);
}

bool SaveSetting(Settings& settings, const QString& key, const QString& value)
{
    return settings.save(key, value);
}

} // namespace korvel
