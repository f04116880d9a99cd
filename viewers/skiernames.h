#pragma once
// The skier names file "SkierNames.txt" in the program folder: one skier a
// line, written surname, comma, given name, as the tournament office types
// it. The operator picks the next skier from it on the capture screen, and
// brings a new one in from any text or rich-text file.

#include "shell/controls.h"

#include <QString>
#include <QStringList>

#include <span>

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

// The list of the selection dialog: every line that holds a name, in file
// order, by the name rule. Empty and blank-only lines are not names.
QStringList skierList(const QStringList& lines);

// The names file as a list; error tells why it could not be read.
struct SkierNames {
    QStringList names;
    QString error;
};
SkierNames readSkierNames(const QString& path = skierNamesPath());

// Bringing in a names file: its text (a rich-text file through the reader)
// replaces SkierNames.txt whole. firstName is the first line by the name
// rule, for the capture screen. A file that cannot be read, is not text, or
// cannot be written gives error, and the old names file stays as it was.
struct NamesImport {
    QString firstName;
    QString error;
    explicit operator bool() const { return error.isEmpty(); }
};
NamesImport importSkierNames(const QString& sourcePath,
                             const QString& targetPath = skierNamesPath());

} // namespace korvel
