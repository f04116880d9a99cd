#include "shell/settings.h"

#include "shell/prompt.h"
#include "shell/readfile.h"
#include "shell/settingkeys.h"
#include "shell/textfile.h"
#include "shell/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

#include <sys/stat.h>

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

// The number rounded to a whole one, when it is a number that fits an int.
std::optional<int> wholeNumber(const QString& text)
{
    const auto v = parseNumber(text);
    if (!v)
        return std::nullopt;
    const double r = std::round(*v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        return std::nullopt;
    return static_cast<int>(r);
}

bool isOurSection(const IniLine& l)
{
    return l.section.compare(kSection, Qt::CaseInsensitive) == 0;
}

QString ownSpelling(const QString& key)
{
    return key.trimmed().toLower();
}

} // namespace

QString Settings::defaultPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base + QStringLiteral("/KV05/korvel.ini");
}

Settings::Settings(const QString& iniPath) : m_path(iniPath)
{
    struct stat st {
    };
    m_existed = ::lstat(QFile::encodeName(m_path).constData(), &st) == 0;
    if (m_existed)
        read();
}

Settings::~Settings() = default;

Settings::Stamp Settings::stampOnDisk() const
{
    struct stat st {
    };
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return {};
    return {qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            qint64(st.st_ino)};
}

void Settings::read()
{
    m_lines.clear();
    m_problems.clear();
    m_fileProblem.clear();
    m_rawBytes.clear();
    m_keptAside = false;
    m_stamp = stampOnDisk();
    QString why;
    std::optional<QByteArray> bytes = readPlainFile(m_path, kMaxFileBytes, &why);
    if (!bytes) {
        if (QFileInfo::exists(m_path) || QFileInfo(m_path).isSymLink())
            m_fileProblem = why;
        return;
    }
    m_rawBytes = std::move(*bytes);
    IniText text = parseIni(m_rawBytes);
    m_lines = std::move(text.lines);
    m_problems = std::move(text.problems);
}

bool Settings::damagedFileInPlace() const
{
    // Writing over a damaged file before a copy of it is kept would lose
    // the lines korvel could not read, or a file it could not read at all.
    return damaged() && !m_keptAside;
}

void Settings::refreshIfChangedOnDisk()
{
    // Another store on the same file, or the operator's editor, wrote it
    // since: their keys are kept, as the file now holds them.
    if (stampOnDisk() != m_stamp)
        read();
}

QStringList Settings::unreadableLines() const
{
    QStringList out;
    for (const IniProblem& p : m_problems)
        out << QStringLiteral("line %1 (%2)").arg(p.line).arg(p.why);
    return out;
}

std::vector<std::size_t> Settings::entriesOf(const QString& key) const
{
    const QString wanted = key.trimmed();
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const IniLine& l = m_lines[i];
        if (l.kind == IniLine::Kind::Entry && isOurSection(l) &&
            l.key.compare(wanted, Qt::CaseInsensitive) == 0)
            found.push_back(i);
    }
    return found;
}

QString Settings::get(Setting key, const QString& defaultValue) const
{
    const auto found = entriesOf(settingName(key));
    // A key typed twice by hand: the last line wins, as it would for any
    // reader of such a file.
    return found.empty() ? defaultValue : m_lines[found.back()].value;
}

QString Settings::get(Setting key) const
{
    return get(key, settingDefault(key));
}

bool Settings::contains(Setting key) const
{
    return !entriesOf(settingName(key)).empty();
}

bool Settings::save(Setting id, const QString& value)
{
    const QString key = settingName(id);
    refreshIfChangedOnDisk();
    IniLine entry;
    entry.kind = IniLine::Kind::Entry;
    entry.section = kSection;
    entry.key = ownSpelling(key);
    entry.value = value;
    entry.text = iniEntryLine(entry.key, value);

    // One entry per key: other spellings of it go when korvel writes it.
    const auto found = entriesOf(key);
    if (!found.empty()) {
        entry.section = m_lines[found.front()].section;
        m_lines[found.front()] = entry;
        for (auto it = found.rbegin(); it != found.rend() - 1; ++it)
            m_lines.erase(m_lines.begin() + std::ptrdiff_t(*it));
    } else {
        // After the last entry of the last "Settings" section, or in a new one.
        std::optional<std::size_t> header;
        for (std::size_t i = 0; i < m_lines.size(); ++i) {
            if (m_lines[i].kind == IniLine::Kind::Section && isOurSection(m_lines[i]))
                header = i;
        }
        if (!header) {
            if (!m_lines.empty() && !m_lines.back().text.trimmed().isEmpty())
                m_lines.push_back(IniLine{});
            IniLine section;
            section.kind = IniLine::Kind::Section;
            section.section = kSection;
            section.text = QLatin1Char('[') + kSection + QLatin1Char(']');
            m_lines.push_back(section);
            m_lines.push_back(entry);
        } else {
            std::size_t at = *header + 1;
            for (std::size_t i = *header + 1;
                 i < m_lines.size() && m_lines[i].kind != IniLine::Kind::Section; ++i) {
                if (m_lines[i].kind == IniLine::Kind::Entry)
                    at = i + 1;
            }
            entry.section = m_lines[*header].section;
            m_lines.insert(m_lines.begin() + std::ptrdiff_t(at), entry);
        }
    }

    if (write()) {
        m_saveProblemTold = false;
        return true;
    }
    if (!m_saveProblemTold && m_onSaveProblem) {
        m_saveProblemTold = true;
        m_onSaveProblem(QStringLiteral("The settings could not be saved in %1: %2\n"
                                       "Changes made now hold only until korvel ends.")
                            .arg(m_path, m_saveError));
    }
    return false;
}

bool Settings::write()
{
    if (damagedFileInPlace()) {
        m_saveError =
            QStringLiteral("the damaged file is left as it was until a copy of it is kept");
        return false;
    }
    const QString folder = QFileInfo(m_path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_saveError = QStringLiteral("the folder %1 could not be made").arg(folder);
        return false;
    }
    const FileResult r = writeFileAtomically(m_path, iniBytes(m_lines));
    if (!r) {
        m_saveError = r.error;
        return false;
    }
    m_saveError.clear();
    m_stamp = stampOnDisk();
    return true;
}

void Settings::setSaveProblemHandler(std::function<void(const QString&)> handler)
{
    m_onSaveProblem = std::move(handler);
}

std::optional<QString> Settings::keepDamagedCopy(const QDate& today, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<QString> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QString base = m_path + QStringLiteral(".damaged-") + today.toString(Qt::ISODate);
    QString copy = base;
    for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n)
        copy = base + QLatin1Char('-') + QString::number(n);

    if (!m_fileProblem.isEmpty()) {
        // Not read at all: the file itself moves aside, however large.
        if (const QString kind = notAPlainFile(m_path); !kind.isEmpty())
            return fail(kind);
        if (::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(copy).constData()) !=
            0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
    } else if (const FileResult r = writeFileAtomically(copy, m_rawBytes); !r) {
        return fail(r.error);
    }
    m_keptAside = true;
    // What was read, in place of the damaged file: the next start reads it
    // without a word, and a settings file is still there (no first run).
    if (!write())
        return fail(QStringLiteral("the copy %1 was made, but the settings could not be written "
                                   "back: %2")
                        .arg(copy, m_saveError));
    return copy;
}

void reportDamagedSettings(Settings& settings, Prompt& prompt, const QDate& today)
{
    if (!settings.damaged())
        return;
    QString what;
    if (!settings.fileProblem().isEmpty()) {
        what = QStringLiteral("it could not be read (%1), so korvel starts without it")
                   .arg(settings.fileProblem());
    } else {
        const QStringList lines = settings.unreadableLines();
        QString shown = lines.mid(0, 5).join(QStringLiteral(", "));
        if (lines.size() > 5)
            shown += QStringLiteral(" and %1 more").arg(lines.size() - 5);
        what = QStringLiteral("%1 could not be read and %2 left out, every other setting was "
                              "read: %3")
                   .arg(lines.size() == 1 ? QStringLiteral("one line")
                                          : QStringLiteral("%1 lines").arg(lines.size()),
                        lines.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"), shown);
    }
    QString error;
    const auto copy = settings.keepDamagedCopy(today, &error);
    const QString kept =
        copy ? QStringLiteral("The file as it was is kept as %1.").arg(*copy)
             : QStringLiteral("The file as it was could not be kept aside: %1.").arg(error);
    prompt.message(
        QStringLiteral("The settings file %1 is damaged: %2.\n%3").arg(settings.path(), what, kept),
        QStringLiteral("Settings"), Icon::Exclamation);
}

bool Settings::saveIfChanged(Setting key, const QString& value)
{
    if (contains(key) && get(key, QString()) == value)
        return true;
    return save(key, value);
}

int Settings::getWhole(Setting key, int defaultValue, Prompt& prompt) const
{
    const QString text = get(key, QString::number(defaultValue));
    const auto v = wholeNumber(text);
    if (!v) {
        reportBadValue(prompt, settingName(key), text, QStringLiteral("a whole number"),
                       QString::number(defaultValue));
        return defaultValue;
    }
    return *v;
}

std::optional<int> Settings::getChosenWhole(Setting key, const QString& usedInstead,
                                            Prompt& prompt) const
{
    const QString text = get(key, QString()).trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const auto v = wholeNumber(text);
    if (!v)
        reportBadValue(prompt, settingName(key), text, QStringLiteral("a whole number"),
                       usedInstead);
    return v;
}

bool Settings::getBool(Setting key, bool defaultValue, Prompt& prompt) const
{
    const QString text = get(key, boolText(defaultValue)).trimmed();
    if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    if (const auto v = parseNumber(text))
        return *v != 0;
    reportBadValue(prompt, settingName(key), text, QStringLiteral("True or False"),
                   boolText(defaultValue));
    return defaultValue;
}

bool Settings::getChecked(Setting key, Prompt& prompt) const
{
    return getWhole(key, 0, prompt) != 0;
}

int configuredGridCount(const Settings& settings, Prompt& prompt)
{
    const Setting key = Setting::Grids;
    if (settings.get(key, QString()).trimmed().isEmpty())
        return 1;
    const int n = settings.getWhole(key, 1, prompt);
    return n >= 1 && n <= 3 ? n : 1;
}

QString GetSetting(const Settings& settings, Setting key, const QString& defaultValue)
{
    return settings.get(key, defaultValue);
}

} // namespace korvel
