#pragma once
// The settings store: text values under application "KV05", section
// "Settings", one per-user INI file. Screens write a key the moment the
// operator changes a control, so the file is written whole after every
// change, through a new file renamed over the old one: a kill or a full disk
// leaves the old settings, never half of them.
//
// Values are kept as the file holds them (see shell/inifile.h): an operator's
// hand edit such as "kviodir=Z:\kvio" reads back with its backslash, and a
// line korvel cannot read costs that line alone.

#include "shell/inifile.h"
#include "shell/settingkeys.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace korvel
{

class Prompt;

class Settings
{
public:
    // The per-user file: $XDG_CONFIG_HOME/KV05/korvel.ini.
    static QString defaultPath();
    // More than any settings file korvel writes could ever hold.
    static constexpr qint64 kMaxFileBytes = qint64{1024} * 1024;

    explicit Settings(const QString& iniPath = defaultPath());
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    QString path() const { return m_path; }

    // Whether the file was there when the store was made. A first run is a
    // run without one; a file that is there, damaged or not, is the day's.
    bool existedAtStart() const { return m_existed; }

    // What could not be read when the store was made: the lines left out
    // ("line 3 (a quote that is never closed)"), or why the file was not
    // read at all (fileProblem). Both empty when it read whole.
    QStringList unreadableLines() const;
    QString fileProblem() const { return m_fileProblem; }
    bool damaged() const { return !m_problems.empty() || !m_fileProblem.isEmpty(); }

    // Keys are matched in the file without regard to letter case: an older
    // file may spell "VideoResolution" as "videoresolution".
    QString get(Setting key, const QString& defaultValue) const;
    // With the key's own default from the key table.
    QString get(Setting key) const;
    bool contains(Setting key) const;
    // False when the file could not be written; the value holds in this
    // run all the same. The first failure goes to the save-problem handler.
    // A damaged file is never written over before keepDamagedCopy kept it.
    bool save(Setting key, const QString& value);
    // Writes the key the moment its control changes; a key that already holds
    // the value is not written again, so a screen's load (which runs every
    // handler) does not rewrite the file twenty times at each start.
    bool saveIfChanged(Setting key, const QString& value);

    // Told once, with the reason, when the settings cannot be saved (a
    // read-only or full configuration folder): a change that does not last
    // should not go unnoticed, nor should every click repeat it. A save that
    // works again re-arms it.
    void setSaveProblemHandler(std::function<void(const QString&)> handler);
    QString lastSaveError() const { return m_saveError; }

    // A whole-number key. A value that is not a number (a hand-edited file, a
    // damaged one) is shown to the operator with the key's name and the
    // default is used instead, rather than stopping the program.
    int getWhole(Setting key, int defaultValue, Prompt& prompt) const;
    // A whole-number key that may never have been chosen: nothing when it is
    // absent or empty; a value that is not a number is shown to the operator
    // as above, naming usedInstead, and gives nothing too.
    std::optional<int> getChosenWhole(Setting key, const QString& usedInstead,
                                      Prompt& prompt) const;
    // A boolean key: "True"/"False" (any case) or a number, 0 being false.
    bool getBool(Setting key, bool defaultValue, Prompt& prompt) const;
    // A checkbox key: "1" checked, "0" unchecked.
    bool getChecked(Setting key, Prompt& prompt) const;

    static QString boolText(bool v) { return v ? QStringLiteral("True") : QStringLiteral("False"); }

    // The damaged file as it was, kept beside it under the date (the
    // original bytes, or the file itself when it was not read at all), and
    // what could be read written back in its place, so the next start reads
    // a clean file. The copy's path, or nullopt with the reason in *error.
    std::optional<QString> keepDamagedCopy(const QDate& today, QString* error);

private:
    void read();
    bool damagedFileInPlace() const;
    void refreshIfChangedOnDisk();
    bool write();
    struct Stamp {
        qint64 size = -1, mtimeNs = -1, inode = -1;
        bool operator==(const Stamp&) const = default;
    };
    Stamp stampOnDisk() const;
    // Indexes of the key's entries in a "Settings" section, in file order.
    std::vector<std::size_t> entriesOf(const QString& key) const;

    QString m_path;
    bool m_existed = false;
    std::vector<IniLine> m_lines;
    std::vector<IniProblem> m_problems;
    QString m_fileProblem;
    QByteArray m_rawBytes;    // the file as read, for the copy of a damaged one
    bool m_keptAside = false; // a damaged file's copy is kept: it may be written over
    Stamp m_stamp;            // the file as last read or written
    std::function<void(const QString&)> m_onSaveProblem;
    bool m_saveProblemTold = false;
    QString m_saveError;
};

// At start, before anything else reads or writes a setting: a damaged
// settings file is reported, with the lines left out, and kept beside as a
// dated copy.
void reportDamagedSettings(Settings& settings, Prompt& prompt,
                           const QDate& today = QDate::currentDate());

// The number of grids in use from the key "grids": 1, 2 or 3. Any other
// number, and the empty text of a key never set, mean one grid without a word;
// a text that is no number at all is shown to the operator first.
int configuredGridCount(const Settings& settings, Prompt& prompt);

// The value of a key, or defaultValue when the key was never written.
QString GetSetting(const Settings& settings, Setting key, const QString& defaultValue = {});

} // namespace korvel
