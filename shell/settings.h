#pragma once
// The settings store: text values under application "KV05", section
// "Settings", one per-user INI file. Screens write a key the moment the
// operator changes a control, so the file is synced after every write.

#include <QString>

#include <memory>
#include <optional>

class QSettings;

namespace korvel
{

class Prompt;

class Settings
{
public:
    // The per-user file: $XDG_CONFIG_HOME/KV05/korvel.ini.
    static QString defaultPath();

    explicit Settings(const QString& iniPath = defaultPath());
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    QString path() const;

    // Keys are matched without regard to letter case: one screen writes
    // "videoresolution", another reads "VideoResolution".
    QString get(const QString& key, const QString& defaultValue) const;
    // With the key's own default from the key table.
    QString get(const QString& key) const;
    bool contains(const QString& key) const;
    // False when the file could not be written.
    bool save(const QString& key, const QString& value);

    // A whole-number key. A value that is not a number (a hand-edited file, a
    // damaged one) is shown to the operator with the key's name and the
    // default is used instead, rather than stopping the program.
    int getWhole(const QString& key, int defaultValue, Prompt& prompt) const;
    // A whole-number key that may never have been chosen: nothing when it is
    // absent or empty; a value that is not a number is shown to the operator
    // as above, naming usedInstead, and gives nothing too.
    std::optional<int> getChosenWhole(const QString& key, const QString& usedInstead,
                                      Prompt& prompt) const;
    // A boolean key: "True"/"False" (any case) or a number, 0 being false.
    bool getBool(const QString& key, bool defaultValue, Prompt& prompt) const;
    // A checkbox key: "1" checked, "0" unchecked.
    bool getChecked(const QString& key, Prompt& prompt) const;

    static QString boolText(bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); }

private:
    static QString normalisedKey(const QString& key);
    std::unique_ptr<QSettings> m_settings;
};

// The number of grids in use from the key "grids": 1, 2 or 3. Any other
// number, and the empty text of a key never set, mean one grid without a word;
// a text that is no number at all is shown to the operator first.
int configuredGridCount(const Settings& settings, Prompt& prompt);

// The value of a key, or defaultValue when the key was never written.
QString GetSetting(const Settings& settings, const QString& key, const QString& defaultValue = {});

} // namespace korvel
