#pragma once
// The text of the settings file: "[Section]" headers, "key=value" entries,
// comments and blank lines. Operators edit it by hand, often with Windows
// paths for a scoring program run under a compatibility layer, so a value is
// taken as the line holds it, backslashes and all ("Z:\kvio",
// "\\server\share\grids", a folder ending in "\"). Only a value wholly in
// double quotes is unquoted, with \" and \\ inside it: korvel's own form for a
// value with blanks at its ends, a quote at its start or a line break in it.
//
// A line that cannot be read (not text, a quote never closed, no "=") costs
// that line alone; it is listed in the problems, and every line after it is
// read as usual.

#include <QByteArray>
#include <QString>

#include <vector>

namespace korvel
{

struct IniLine {
    enum class Kind {
        Other,   // blank or comment, written back as it was
        Section, // "[name]"
        Entry,   // "key=value"
    };
    Kind kind = Kind::Other;
    QString text;    // the line as read, without its line end
    QString section; // Section: its name; Entry: the section it stands in ("" before any)
    QString key;     // Entry: the key, blanks around it dropped
    QString value;   // Entry: the value, decoded
};

struct IniProblem {
    int line = 0; // counted from 1
    QString why;
};

struct IniText {
    std::vector<IniLine> lines; // the lines that could be read, in file order
    std::vector<IniProblem> problems;
};

IniText parseIni(const QByteArray& bytes);

// An entry line as korvel writes it: the value as it is, or quoted when it
// needs to be to read back the same (other control characters than line
// breaks and tabs become blanks).
QString iniEntryLine(const QString& key, const QString& value);

// The lines joined, each ended by a line feed, in UTF-8.
QByteArray iniBytes(const std::vector<IniLine>& lines);

} // namespace korvel
