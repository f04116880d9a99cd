// A Record cut short by a kill at any of its writes: the next start finds the
// journal, writes what is missing, and the results file and the scoring
// program's files agree again, each holding the jump once.

#include "measure/recordjournal.h"
#include "shell/textfile.h"
#include "tests/support/eventually.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>

using namespace korvel;

namespace
{

const QString kResult = "12-07-2026 14:03:11 Jane Roe  jump 3 -  45.3m  (IWSF) 149ft  (AWSA) "
                        "( 12.345/-6.789) ( 4530/ 3120) ( 45.2734)";
const QString kCurrent = "OK,  45.3,  149, 3";
const QString kRaw = "14:03:11 ,Jane Roe,OK,  45.3,  149, 3";

// Runs the Record in a child until it reaches the write of the file whose
// name ends so, and kills it there. False when it never got there.
bool killAtWrite(const QString& folder, const QString& ending)
{
    QProcess child;
    child.start(QStringLiteral(KORVEL_RECORDCHILD), {folder, ending});
    if (!child.waitForStarted(30000))
        return false;
    QByteArray said;
    test::eventually([&] {
        child.waitForReadyRead(50);
        said += child.readAllStandardOutput();
        return said.contains("stopped") || child.state() == QProcess::NotRunning;
    });
    if (!said.contains("stopped"))
        return false;
    ::kill(pid_t(child.processId()), SIGKILL);
    return child.waitForFinished(30000) && child.exitStatus() == QProcess::CrashExit;
}

} // namespace

TEST(RecordJournal, AKillAtAnyWriteIsCompletedAtTheNextStart)
{
    const struct {
        const char* killedAt;  // the write the kill came at
        QStringList completed; // what the next start writes
        bool recorded;         // the jump is in the files afterwards
    } cases[] = {
        {"record-in-progress.journal", {}, false},
        {"results.txt", {"results.txt", "kvresult.dst", "kvraw.dst"}, true},
        {"kvresult.dst", {"kvresult.dst", "kvraw.dst"}, true},
        {"kvraw.dst", {"kvraw.dst"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.killedAt);
        test::TestDir dir;
        ASSERT_TRUE(QDir().mkpath(dir.file("kvio")));
        // An earlier jump is in every file already.
        ASSERT_TRUE(writeLines(dir.file("results.txt"), {"earlier"}));
        ASSERT_TRUE(writeLines(dir.file("kvio/kvresult.dst"), {"OK,  40,  131, 2"}));
        ASSERT_TRUE(
            writeLines(dir.file("kvio/kvraw.dst"), {"14:00:00 ,Jane Roe,OK,  40,  131, 2"}));
        ASSERT_TRUE(killAtWrite(dir.path(), c.killedAt));

        const std::optional<RecordRecovery> r = completeInterruptedRecord(dir.path());
        ASSERT_EQ(r.has_value(), c.recorded);
        if (r) {
            EXPECT_EQ(r->what, "Jane Roe jump 3");
            EXPECT_TRUE(r->missing.isEmpty());
            QStringList files;
            for (const QString& done : r->completed)
                files << done.section(QStringLiteral(": "), 0, 0);
            EXPECT_EQ(files, c.completed);
            EXPECT_TRUE(recoveryMessage(*r).startsWith(
                "korvel was stopped while recording Jane Roe jump 3.\nCompleted now:\n"));
        }
        const QStringList results = *readLines(dir.file("results.txt"));
        const QStringList raw = *readLines(dir.file("kvio/kvraw.dst"));
        if (c.recorded) {
            EXPECT_EQ(results, QStringList({"earlier", kResult}));
            EXPECT_EQ(*readLines(dir.file("kvio/kvresult.dst")), QStringList{kCurrent});
            EXPECT_EQ(raw.size(), 2);
            EXPECT_EQ(raw.value(1), kRaw);
        } else {
            EXPECT_EQ(results, QStringList{"earlier"});
            EXPECT_EQ(raw.size(), 1);
        }
        EXPECT_FALSE(QFile::exists(dir.file("record-in-progress.journal")));
        // Found once: the start after that one has nothing to finish.
        EXPECT_FALSE(completeInterruptedRecord(dir.path()).has_value());
    }
}

TEST(RecordJournal, AFileThatStillCannotBeWrittenIsNamedWithItsLine)
{
    test::TestDir dir;
    const RecordJournal journal(dir.path());
    const QString gone = dir.file("no such folder/kvraw.dst");
    ASSERT_TRUE(journal.begin("Ann Lee jump 1",
                              {{PlannedWrite::Mode::Append, dir.file("results.txt"), "a result"},
                               {PlannedWrite::Mode::Append, gone, "a raw line"}}));
    const auto r = completeInterruptedRecord(dir.path());
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->completed, QStringList{"results.txt: a result"});
    ASSERT_EQ(r->missing.size(), 1);
    EXPECT_TRUE(r->missing[0].startsWith(gone + " misses the line: a raw line ("))
        << r->missing[0].toStdString();
    EXPECT_TRUE(recoveryMessage(*r).contains("\nStill missing:\n" + gone));
}
