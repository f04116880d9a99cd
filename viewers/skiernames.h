#pragma once
// The skier names file "SkierNames.txt" in the program folder: one skier a
// line, written surname, comma, given name, as the tournament office types
// it. The operator picks the next skier from it on the capture screen, and
// brings a new one in from any text or rich-text file.

#include "shell/controls.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <utility>

namespace korvel
{

inline const QString kSkierNamesFile = QStringLiteral("SkierNames.txt");

// "Select A Skier" (frmSelectSkier).
enum class SelectSkierControl {
    Skiers,
    Hint,
    NoSelection,
};
inline constexpr ControlRow<SelectSkierControl> kSelectSkierControls[] = {
    {SelectSkierControl::Skiers, "lstSkiers"},
    {SelectSkierControl::Hint, "Label1", "Double Click on Skier Name to select it"},
    {SelectSkierControl::NoSelection, "cmdNoSelect", "No Selection"},
};
static_assert(controlsInEnumOrder(kSelectSkierControls));
constexpr std::span<const ControlRow<SelectSkierControl>> controlTable(SelectSkierControl)
{
    return kSelectSkierControls;
}

// program folder + "SkierNames.txt".
QString skierNamesPath();

// A start list of thousands of skiers, even as rich text, is far smaller.
inline constexpr qint64 kNamesFileLimit = 16LL * 1024 * 1024;

// The name as the operator sees it: while there is a comma, the text after
// it, a blank, and the text before it. "Doe,John" -> "John Doe", "Doe, John"
// -> " John Doe"; a line without a comma stays as it is.
QString skierDisplayName(const QString& line);

// The names one line of a names file holds. A line with quotes lists names
// separated by commas, each quoted one kept whole with the commas inside it
// ("\"Roe, Jane\",Cher" -> "Roe, Jane" and "Cher", as the scoring program
// writes them); any other line is one name by the name rule. An empty or
// blank-only line holds none.
QStringList namesOfLine(const QString& line);

// A names file read as the tournament office saved it: rich text through the
// reader, plain text as UTF-8 when it is valid UTF-8 and else as Windows-1252.
// Every line is made single-byte (singleByteText), so a name is written in the
// results, the log and the exchange files exactly as the picture and video
// named after it; mended holds each name that changed, before and after.
// The selection dialog, the import and the configuration's skier name file all
// read through here. error tells why the file could not be read (the file's
// path is in it); then the rest is empty.
struct SkierNames {
    QStringList lines;
    QStringList names;
    QList<std::pair<QString, QString>> mended;
    QString error;
};
SkierNames readSkierNames(const QString& path = skierNamesPath());

// For the operator: which names of path were changed and into what; empty
// when none was.
QString mendedNamesMessage(const QString& path, const QList<std::pair<QString, QString>>& mended);

// Bringing in a names file: its lines as readSkierNames gives them replace
// SkierNames.txt whole. firstName is the first line's name, for the capture
// screen; mended says which names were changed (empty when none). A file
// that cannot be read, is not text, or cannot be written gives error, and
// the old names file stays as it was.
struct NamesImport {
    QString firstName;
    QString mended;
    QString error;
    explicit operator bool() const { return error.isEmpty(); }
};
NamesImport importSkierNames(const QString& sourcePath,
                             const QString& targetPath = skierNamesPath());

// The first line's name of the names file, for the capture screen's start;
// nullopt when the file is missing or unreadable or its first line is empty.
std::optional<QString> firstSkierName(const QString& path = skierNamesPath());

// Type-ahead in the selection list: the first name that starts with typed,
// else the first with a later word that does (the surname after the given
// name); case and accents do not count ("zoe" finds "Anna Zoë"). -1 when
// none does or typed is blank.
int typeAheadMatch(const QStringList& names, const QString& typed);

} // namespace korvel
