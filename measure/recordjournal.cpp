#include "measure/recordjournal.h"

#include "shell/paths.h"
#include "shell/settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace korvel
{

namespace
{

const QString kJournalName = QStringLiteral("record-in-progress.journal");
const QByteArray kHeader = "korvel record journal 1";

QByteArray field(const QString& text)
{
    return QUrl::toPercentEncoding(text);
}

QString unfield(const QByteArray& bytes)
{
    return QUrl::fromPercentEncoding(bytes);
}

// Whether the write is on the disk already.
bool done(const PlannedWrite& w)
{
    const auto lines = readLines(w.path);
    if (!lines)
        return false;
    if (w.mode == PlannedWrite::Mode::Replace)
        return *lines == QStringList{w.line};
    return lines->contains(w.line);
}

} // namespace

QString recordJournalFolder(const Settings& settings)
{
    return QFileInfo(settings.path()).absolutePath();
}

RecordJournal::RecordJournal(QString folder) : m_folder(std::move(folder)) {}

QString RecordJournal::path() const
{
    return joinPath(m_folder, kJournalName);
}

FileResult RecordJournal::begin(const QString& what, const QList<PlannedWrite>& writes) const
{
    QByteArray bytes = kHeader + '\n' + field(what) + '\n';
    for (const PlannedWrite& w : writes)
        bytes += (w.mode == PlannedWrite::Mode::Append ? "append\t" : "replace\t") + field(w.path) +
                 '\t' + field(w.line) + '\n';
    // The end mark shows the journal was written whole.
    bytes += "end\n";
    if (!QDir().mkpath(m_folder))
        return {QStringLiteral("the folder %1 cannot be made").arg(m_folder)};
    return writeFileAtomically(path(), bytes);
}

void RecordJournal::end() const
{
    QFile::remove(path());
}

std::optional<RecordRecovery> completeInterruptedRecord(const QString& folder)
{
    const RecordJournal journal(folder);
    QFile file(journal.path());
    if (!file.exists())
        return std::nullopt;
    RecordRecovery r;
    if (!file.open(QIODevice::ReadOnly)) {
        r.damaged = true;
        r.missing << journal.path() + QStringLiteral(": ") + file.errorString();
        return r;
    }
    // A journal is small: a header, a line, a few writes.
    const QList<QByteArray> lines = file.read(1 << 20).split('\n');
    file.close();
    QList<PlannedWrite> writes;
    bool whole = lines.size() >= 3 && lines[0] == kHeader;
    if (whole) {
        r.what = unfield(lines[1]);
        whole = false;
        for (qsizetype i = 2; i < lines.size(); ++i) {
            if (lines[i] == "end") {
                whole = true;
                break;
            }
            const QList<QByteArray> f = lines[i].split('\t');
            if (f.size() != 3 || (f[0] != "append" && f[0] != "replace"))
                break;
            writes << PlannedWrite{f[0] == "append" ? PlannedWrite::Mode::Append
                                                    : PlannedWrite::Mode::Replace,
                                   unfield(f[1]), unfield(f[2])};
        }
    }
    if (!whole) {
        // Killed while the journal itself was written: no file was touched yet.
        r.damaged = true;
        QFile::remove(journal.path());
        return r;
    }
    for (const PlannedWrite& w : writes) {
        if (done(w))
            continue;
        const FileResult result = w.mode == PlannedWrite::Mode::Append
                                      ? appendLines(w.path, {w.line})
                                      : writeLines(w.path, {w.line});
        if (result)
            r.completed << QFileInfo(w.path).fileName() + QStringLiteral(": ") + w.line;
        else
            r.missing
                << QStringLiteral("%1 misses the line: %2 (%3)").arg(w.path, w.line, result.error);
    }
    QFile::remove(journal.path());
    return r;
}

QString recoveryMessage(const RecordRecovery& r)
{
    if (r.damaged && r.missing.isEmpty())
        return QStringLiteral("korvel was stopped while it began to record a jump; nothing of "
                              "it had been written. Measure and record that jump again.");
    QString text = QStringLiteral("korvel was stopped while recording %1.").arg(r.what);
    if (r.completed.isEmpty() && r.missing.isEmpty())
        return text + QStringLiteral(" Every file had its line already.");
    if (!r.completed.isEmpty())
        text += QStringLiteral("\nCompleted now:\n") + r.completed.join(QLatin1Char('\n'));
    if (!r.missing.isEmpty())
        text += QStringLiteral("\nStill missing:\n") + r.missing.join(QLatin1Char('\n'));
    return text;
}

} // namespace korvel
