#pragma once
// "Record Jump" writes one jump to several files: the results file, korvel's
// jump trace and, with WSTIMS on, the scoring program's kvresult.dst and
// kvraw.dst. A Record cut short (korvel killed, the power gone) would leave
// them disagreeing: the scoring program without a jump the results file
// holds. So a Record first writes what it is about to write into a small
// journal, then writes the files, then removes the journal; the next start
// finds a journal left behind, writes what is still missing, and says what
// it completed or which file misses which line.

#include "shell/textfile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvel
{

struct PlannedWrite {
    enum class Mode { Append, Replace };
    Mode mode = Mode::Append;
    QString path;
    QString line; // one line, without its line end
};

// The journal of the Record in progress, in the folder given (beside the
// settings: one per operator, whatever the day's folders).
class RecordJournal
{
public:
    explicit RecordJournal(QString folder);

    QString path() const;

    // Notes the Record (a one-line description and its writes) on the disk
    // before any of them is made.
    FileResult begin(const QString& what, const QList<PlannedWrite>& writes) const;
    // The Record is complete (or its failures were told): nothing to finish.
    void end() const;

private:
    QString m_folder;
};

// What the start found of an interrupted Record.
struct RecordRecovery {
    QString what;          // the jump, as the journal describes it
    QStringList completed; // writes made now: "file: line"
    QStringList missing;   // writes that still failed: "file misses: line (reason)"
    bool damaged = false;  // the journal itself could not be read whole
};

// The folder of the operator's journal: beside the settings file.
class Settings;
QString recordJournalFolder(const Settings& settings);

// Looks for a journal left in the folder; when there is one, makes every
// write it lists that the files do not show yet (an appended line is done
// when the file holds it, a replaced file when it holds exactly the line),
// removes it, and says what it did. nullopt when no Record was interrupted.
std::optional<RecordRecovery> completeInterruptedRecord(const QString& folder);

// The operator's message for a recovery.
QString recoveryMessage(const RecordRecovery& r);

} // namespace korvel
