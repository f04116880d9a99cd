#pragma once
// Single-byte text with CR LF line ends: the results, log, grid and exchange
// files are read by Windows programs (the scoring program among them), so every
// line korvel writes goes through here. Writes are whole or not at all, and a
// failure comes back as a reason the operator can read.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>

namespace korvel
{

// Latin-1, with Windows-1252's extra characters (euro, curly quotes, dashes)
// in 0x80..0x9F; anything else becomes "?".
QByteArray toSingleByte(const QString& text);
QString fromSingleByte(const QByteArray& bytes);

// A skier's name goes into file names and into every line korvel writes, so
// it must be the same in both: a name is made single-byte where it is typed
// or read, never turned into "?" on the way out. Letters of the code page
// stay; others become their base letter ("ř" -> "r", "ễ" -> "e", "Ł" -> "L"),
// and what has none ("Ж", "中") is left out. changes lists each altered
// character once, as "Ł" -> "L" ("ж" -> "" for one left out), in text order.
struct SingleByteText {
    QString text;
    QList<std::pair<QString, QString>> changes;
};
SingleByteText singleByteText(const QString& text);

// The changes of singleByteText for a message: "Ł" becomes "L", "ж" is left out.
QString describeSingleByteChanges(const QList<std::pair<QString, QString>>& changes);

// Lines joined, each ended by CR LF.
QByteArray crlfLines(const QStringList& lines);

// Outcome of a file operation: empty when it worked, else the system's reason.
struct FileResult {
    QString error;
    explicit operator bool() const { return error.isEmpty(); }
};

// Replaces the file whole: a temporary file in the same folder is written and
// renamed over the old one, so a reader never sees half a file and a failed
// write leaves the old file as it was. A target that exists and is no plain
// file (a pipe, a device) is refused, never replaced by one.
FileResult writeFileAtomically(const QString& path, const QByteArray& bytes);

// Replaces files that belong together (a grid's two files) as one: all are
// written beside their targets first, then renamed into place; when a rename
// fails, the files already replaced get their old content back (or go, when
// they did not exist). The error starts with the path that failed. While the
// renames go on, a note beside the first file lists them, so a program killed
// between two renames has its replacement finished at the next read
// (completeInterruptedReplace) instead of leaving one new and one old file.
struct FileContent {
    QString path;
    QByteArray bytes;
};
FileResult replaceFilesTogether(const QList<FileContent>& files);

// The file a path names in the end, through any links; the path itself when
// it is no link. Replacing a linked file replaces the file the link names.
QString linkTarget(const QString& path);

// Appends bytes to the file (created when missing). Either all of it is
// written or the error is returned; the file's earlier content is never touched.
FileResult appendToFile(const QString& path, const QByteArray& bytes);

FileResult writeLines(const QString& path, const QStringList& lines);
FileResult appendLines(const QString& path, const QStringList& lines);

// Called before every write that goes through here, with the target's path.
// Tests of what a kill leaves behind stop a child program at a chosen write
// and kill it there; the program itself never sets one.
using WriteWatcher = std::function<void(const QString& path)>;
void setWriteWatcher(WriteWatcher watcher);
// Called before each rename of files replaced together, with the target.
void setRenameWatcher(WriteWatcher watcher);

// Finishes a replacement of files together (firstPath: the first of them)
// that was cut short by a kill or a power cut between its renames, so they
// are all new, and clears away the temporary files such a stop left in the
// folder. Empty when there was nothing to finish; else a sentence for the
// operator saying what was done, or what could not be.
QString completeInterruptedReplace(const QString& firstPath);

// Reads a text file into lines; CR LF and LF both end a line, a missing final
// line end is accepted. nullopt with the reason in *error when unreadable, not
// a plain file (a pipe, a device) or larger than maxBytes: the default holds
// years of a results file or a log.
inline constexpr qint64 kTextFileLimit = 64LL * 1024 * 1024;
std::optional<QStringList> readLines(const QString& path, QString* error = nullptr,
                                     qint64 maxBytes = kTextFileLimit);

} // namespace korvel
