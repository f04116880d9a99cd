#include "shell/inifile.h"

#include <QStringDecoder>

namespace korvel
{

namespace
{

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QString withoutBlanks(const QString& s)
{
    qsizetype a = 0, b = s.size();
    while (a < b && isBlank(s[a]))
        ++a;
    while (b > a && isBlank(s[b - 1]))
        --b;
    return s.mid(a, b - a);
}

// The text inside a value that starts with a double quote; false when the
// quote is never closed. A closing quote before the end of the value leaves
// the value as typed: that is a hand edit, not korvel's quoting.
bool unquote(const QString& value, QString* out)
{
    QString inner;
    for (qsizetype i = 1; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == QLatin1Char('\\') && i + 1 < value.size()) {
            const QChar next = value[i + 1];
            if (next == QLatin1Char('"') || next == QLatin1Char('\\')) {
                inner += next;
                ++i;
                continue;
            }
            if (next == QLatin1Char('n') || next == QLatin1Char('r') || next == QLatin1Char('t')) {
                inner += next == QLatin1Char('n')   ? QLatin1Char('\n')
                         : next == QLatin1Char('r') ? QLatin1Char('\r')
                                                    : QLatin1Char('\t');
                ++i;
                continue;
            }
        }
        if (c == QLatin1Char('"')) {
            *out = i == value.size() - 1 ? inner : value;
            return true;
        }
        inner += c;
    }
    return false;
}

bool needsQuotes(const QString& value)
{
    if (value.isEmpty())
        return false;
    if (isBlank(value.front()) || isBlank(value.back()) || value.front() == QLatin1Char('"'))
        return true;
    for (QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    }
    return false;
}

bool keyReadable(const QString& key)
{
    if (key.isEmpty())
        return false;
    for (QChar c : key) {
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            return false;
    }
    return true;
}

} // namespace

IniText parseIni(const QByteArray& bytes)
{
    IniText out;
    QString section;
    qsizetype start = 0;
    int number = 0;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        start = 3; // the mark some editors put at the start of a UTF-8 file
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArray raw = bytes.mid(start, end - start);
        start = end + 1;
        ++number;
        if (raw.endsWith('\r'))
            raw.chop(1);
        auto refuse = [&](const char* why) {
            out.problems.push_back({number, QString::fromLatin1(why)});
        };

        QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString line = utf8.decode(raw);
        bool control = false;
        for (QChar c : line)
            control =
                control || (c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F;
        if (utf8.hasError() || control) {
            refuse("not text");
            continue;
        }
        const QString trimmed = withoutBlanks(line);
        IniLine l;
        l.text = line;
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
            trimmed.startsWith(QLatin1Char('#'))) {
            out.lines.push_back(l);
            continue;
        }
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']')) || trimmed.size() < 3) {
                refuse("a section name without its closing bracket");
                continue;
            }
            l.kind = IniLine::Kind::Section;
            section = withoutBlanks(trimmed.mid(1, trimmed.size() - 2));
            l.section = section;
            out.lines.push_back(l);
            continue;
        }
        const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
        if (eq < 0) {
            refuse("no \"=\" between a key and its value");
            continue;
        }
        l.kind = IniLine::Kind::Entry;
        l.section = section;
        l.key = withoutBlanks(trimmed.left(eq));
        if (!keyReadable(l.key)) {
            refuse("no key before the \"=\"");
            continue;
        }
        const QString value = withoutBlanks(trimmed.mid(eq + 1));
        if (value.startsWith(QLatin1Char('"'))) {
            if (!unquote(value, &l.value)) {
                refuse("a quote that is never closed");
                continue;
            }
        } else {
            l.value = value;
        }
        out.lines.push_back(l);
    }
    return out;
}

QString iniEntryLine(const QString& key, const QString& value)
{
    if (!needsQuotes(value))
        return key + QLatin1Char('=') + value;
    QString quoted = QStringLiteral("\"");
    for (QChar c : value) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('\n'))
            quoted += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            quoted += QStringLiteral("\\r");
        else if (c == QLatin1Char('\t'))
            quoted += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            quoted += QLatin1Char(' '); // no line of the file may hold one
        else
            quoted += c;
    }
    return key + QStringLiteral("=") + quoted + QLatin1Char('"');
}

QByteArray iniBytes(const std::vector<IniLine>& lines)
{
    QByteArray out;
    for (const IniLine& l : lines) {
        out += l.text.toUtf8();
        out += '\n';
    }
    return out;
}

} // namespace korvel
