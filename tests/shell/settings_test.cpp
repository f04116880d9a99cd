#include "shell/emergencyreset.h"
#include "shell/paths.h"
#include "shell/settingkeys.h"
#include "shell/settings.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <iterator>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;

TEST(Settings, KeysMatchWithoutRegardToCase)
{
    test::TestDir t;
    auto s = t.settings();
    s->save(Setting::VideoResolution, "2");
    EXPECT_EQ(s->get(Setting::VideoResolution, "0"), "2");
    s->save(Setting::VideoResolution, "3");
    EXPECT_EQ(s->get(Setting::VideoResolution, "0"), "3");
    EXPECT_EQ(GetSetting(*s, Setting::KvioDir, "dflt"), "dflt");

    // Values survive a new store on the same file, texts kept as they are.
    s->save(Setting::TournamentName, "Lake Open, Day 2");
    auto again = t.settings();
    EXPECT_EQ(again->get(Setting::TournamentName, ""), "Lake Open, Day 2");
    EXPECT_EQ(again->get(Setting::VideoResolution, ""), "3");
}

TEST(Settings, WholeNumberAndBooleanForms)
{
    test::TestDir t;
    auto s = t.settings();
    ScriptedPrompt quiet;
    s->save(Setting::Grids, "2");
    EXPECT_EQ(s->getWhole(Setting::Grids, 0, quiet), 2);
    EXPECT_EQ(s->getWhole(Setting::Device, 0, quiet), 0);
    s->save(Setting::RightToLeft, "True");
    EXPECT_TRUE(s->getBool(Setting::RightToLeft, false, quiet));
    s->save(Setting::RightToLeft, "false");
    EXPECT_FALSE(s->getBool(Setting::RightToLeft, true, quiet));
    s->save(Setting::Wstims, "1");
    EXPECT_TRUE(s->getChecked(Setting::Wstims, quiet));
}

TEST(Settings, TextInAWholeNumberKeyIsReportedAndTheDefaultUsed)
{
    test::TestDir t;
    auto s = t.settings();
    s->save(Setting::Compression, "abc");
    ScriptedPrompt p;
    p.expectMessage("The setting \"compression\" holds \"abc\", which is not a whole number. "
                    "korvel uses \"0\" instead.");
    EXPECT_EQ(s->getWhole(Setting::Compression, 0, p), 0);

    s->save(Setting::RightToLeft, "maybe");
    p.expectMessage("The setting \"right2left\" holds \"maybe\", which is not True or False. "
                    "korvel uses \"False\" instead.");
    EXPECT_FALSE(s->getBool(Setting::RightToLeft, false, p));
}

TEST(Settings, AHandEditedFileIsReadAsTyped)
{
    test::TestDir t;
    {
        QFile f(t.file("korvel.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\n"
                "videoresolution=4\n"
                "LOGPATH=/mnt/score, share\n"
                "tournamentname=Lake Open,Day 2\n"
                "SetupFiles = /grids \n");
    }
    auto s = t.settings();
    struct Case {
        Setting key;
        const char* value;
    } cases[] = {
        {Setting::VideoResolution, "4"},
        {Setting::LogPath, "/mnt/score, share"},      // the blank after the comma kept
        {Setting::TournamentName, "Lake Open,Day 2"}, // and none added
        {Setting::SetupFiles, "/grids"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s->get(c.key, "unset").toStdString(), c.value)
            << settingName(c.key).toStdString();
    ScriptedPrompt quiet;
    EXPECT_EQ(s->getWhole(Setting::VideoResolution, 0, quiet), 4);
    EXPECT_TRUE(s->contains(Setting::VideoResolution));

    // Writing leaves one spelling of the key, and it reads back everywhere.
    ASSERT_TRUE(s->save(Setting::VideoResolution, "5"));
    EXPECT_EQ(s->get(Setting::VideoResolution, ""), "5");
    EXPECT_EQ(t.settings()->get(Setting::VideoResolution, ""), "5");
    const QString file = QString::fromUtf8(test::readAll(t.file("korvel.ini")));
    EXPECT_EQ(file.count("videoresolution=", Qt::CaseInsensitive), 1) << file.toStdString();
}

TEST(Settings, HandEditedWindowsPathsKeepTheirBackslashes)
{
    // As an operator wrote it for a scoring program under a compatibility layer.
    test::TestDir t;
    const QByteArray file = "[Settings]\r\n"
                            "kviodir=Z:\\kvio\r\n"
                            "logpath=C:\\Jumps\\Day 2\r\n"
                            "setupfiles=\\\\server\\share\\grids\r\n"
                            "grid1file=D:\\grids\\cam1.ipt\r\n"
                            "grid2file=C:\\Jumps\\\r\n";
    {
        QFile f(t.file("korvel.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(file);
    }
    const std::pair<Setting, const char*> expected[] = {
        {Setting::KvioDir, "Z:\\kvio"},
        {Setting::LogPath, "C:\\Jumps\\Day 2"},
        {Setting::SetupFiles, "\\\\server\\share\\grids"},
        {Setting::Grid1File, "D:\\grids\\cam1.ipt"},
        {Setting::Grid2File, "C:\\Jumps\\"}, // a folder's trailing backslash too
    };
    auto s = t.settings();
    EXPECT_FALSE(s->damaged()) << s->unreadableLines().join(", ").toStdString();
    for (const auto& [key, value] : expected)
        EXPECT_EQ(s->get(key, "unset").toStdString(), value) << settingName(key).toStdString();
    // Writing another key keeps them as they were typed, for the next start too.
    ASSERT_TRUE(s->save(Setting::Grids, "2"));
    auto again = t.settings();
    for (const auto& [key, value] : expected)
        EXPECT_EQ(again->get(key, "unset").toStdString(), value) << settingName(key).toStdString();
}

TEST(Settings, ALineThatCannotBeReadCostsOnlyThatLine)
{
    const struct {
        QByteArray line;
        const char* why;
    } cases[] = {
        {"TournamentName=\"Lake Open", "a quote that is never closed"},
        {"[Settings", "a section name without its closing bracket"},
        {"just some words", "no \"=\" between a key and its value"},
        {"=5", "no key before the \"=\""},
        {"grids=\x02\xff\xfe", "not text"},
        {QByteArray("lo\0gpath=x", 10), "not text"},
    };
    for (const auto& c : cases) {
        test::TestDir t;
        {
            QFile f(t.file("korvel.ini"));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("[Settings]\nlogpath=/videos\n" + c.line + "\nsetupfiles=/grids\ngrids=3\n");
        }
        auto s = t.settings();
        EXPECT_EQ(s->get(Setting::LogPath, "").toStdString(), "/videos") << c.why;
        EXPECT_EQ(s->get(Setting::SetupFiles, "").toStdString(), "/grids") << c.why;
        EXPECT_EQ(s->get(Setting::Grids, "").toStdString(), "3") << c.why;
        EXPECT_EQ(s->unreadableLines(), QStringList{QStringLiteral("line 3 (%1)").arg(c.why)});
    }
}

TEST(Settings, EveryValueReadsBackAsSaved)
{
    test::TestDir t;
    const QString values[] = {
        "",
        " leading and trailing blanks ",
        "\"quoted\" by hand",
        "ends with a quote\"",
        "C:\\Jumps\\",
        "\\\\server\\share",
        "two\nlines\r\nand a\ttab",
        "a=b; c # d",
        ";starts like a comment",
        "[looks like a section]",
        "Zoë Łukasz, Día 2",
        "\\\" backslash quote \\\\\"",
    };
    // Each value under a text key of its own, all in one file at once.
    std::vector<Setting> keys;
    for (const SettingKey& k : settingKeys())
        if (k.form == SettingForm::Text)
            keys.push_back(k.id);
    ASSERT_GE(keys.size(), std::size(values));
    {
        auto s = t.settings();
        for (size_t k = 0; k < std::size(values); ++k)
            ASSERT_TRUE(s->save(keys[k], values[k]));
        for (size_t k = 0; k < std::size(values); ++k)
            EXPECT_EQ(s->get(keys[k], "unset"), values[k]) << k;
    }
    auto again = t.settings();
    EXPECT_FALSE(again->damaged()) << again->unreadableLines().join(", ").toStdString();
    for (size_t k = 0; k < std::size(values); ++k)
        EXPECT_EQ(again->get(keys[k], "unset"), values[k]) << k;
}

TEST(Settings, TwoStoresOnOneFileKeepEachOthersKeys)
{
    test::TestDir t;
    auto first = t.settings();
    auto second = t.settings();
    ASSERT_TRUE(first->save(Setting::LogPath, "/videos"));
    ASSERT_TRUE(second->save(Setting::Grids, "2"));
    ASSERT_TRUE(first->save(Setting::SetupFiles, "/grids"));
    auto third = t.settings();
    EXPECT_EQ(third->get(Setting::LogPath, ""), "/videos");
    EXPECT_EQ(third->get(Setting::Grids, ""), "2");
    EXPECT_EQ(third->get(Setting::SetupFiles, ""), "/grids");
}

TEST(Settings, ADamagedFileIsReportedAndKeptBesideUnderTheDate)
{
    // Random bytes around two lines that still read.
    QByteArray noise;
    std::uint32_t x = 12345;
    for (int k = 0; k < 3000; ++k) {
        x = x * 1103515245u + 12345u;
        noise.append(char(x >> 16));
    }
    const QByteArray damaged = noise + "\n[Settings]\nlogpath=/videos\nWSTIMS=1\n" + noise;
    test::TestDir t;
    const QString ini = t.file("korvel.ini");
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(damaged);
    }
    auto s = t.settings();
    ASSERT_TRUE(s->damaged());
    EXPECT_TRUE(s->existedAtStart());
    const QStringList bad = s->unreadableLines();
    ASSERT_GT(bad.size(), 5);
    // Nothing is written over it before its copy is kept.
    EXPECT_FALSE(s->save(Setting::Grids, "2"));
    EXPECT_EQ(test::readAll(ini), damaged);
    const QString copy = ini + ".damaged-2026-07-12";
    ScriptedPrompt p;
    p.expectMessage(QStringLiteral("The settings file %1 is damaged: %2 lines could not be read "
                                   "and are left out, every other setting was read: %3 and %4 "
                                   "more.\nThe file as it was is kept as %5.")
                        .arg(ini)
                        .arg(bad.size())
                        .arg(bad.mid(0, 5).join(", "))
                        .arg(bad.size() - 5)
                        .arg(copy),
                    "Settings", Icon::Exclamation);
    reportDamagedSettings(*s, p, QDate(2026, 7, 12));
    EXPECT_EQ(test::readAll(copy), damaged);
    EXPECT_EQ(s->get(Setting::LogPath, ""), "/videos");

    // What could be read took the damaged file's place: the next start is quiet.
    auto next = t.settings();
    EXPECT_FALSE(next->damaged());
    EXPECT_EQ(next->get(Setting::Wstims, ""), "1");
    EXPECT_EQ(next->get(Setting::Grids, ""), "2");
    ScriptedPrompt quiet;
    reportDamagedSettings(*next, quiet, QDate(2026, 7, 12));

    // A file far larger than settings can be is moved aside unread, beside
    // the first copy of the day.
    {
        QFile f(ini);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(Settings::kMaxFileBytes + 1));
    }
    auto huge = t.settings();
    ASSERT_TRUE(huge->damaged());
    p.expectMessage(QStringLiteral("The settings file %1 is damaged: it could not be read (it "
                                   "holds %2 bytes, more than such a file can (%3)), so korvel "
                                   "starts without it.\nThe file as it was is kept as %4.")
                        .arg(ini)
                        .arg(Settings::kMaxFileBytes + 1)
                        .arg(Settings::kMaxFileBytes)
                        .arg(copy + "-2"));
    reportDamagedSettings(*huge, p, QDate(2026, 7, 12));
    EXPECT_EQ(QFileInfo(copy + "-2").size(), Settings::kMaxFileBytes + 1);
    EXPECT_TRUE(QFileInfo(ini).exists()); // still there: the next start is no first run
    EXPECT_FALSE(t.settings()->damaged());
}

TEST(Settings, ASaveThatFailsIsReportedOnceWithItsReason)
{
    test::TestDir t;
    // The configuration folder cannot be made: a file stands in its place.
    {
        QFile f(t.file("KV05"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Settings s(t.file("KV05/korvel.ini"));
    QStringList told;
    s.setSaveProblemHandler([&told](const QString& text) { told << text; });
    EXPECT_FALSE(s.save(Setting::LogPath, "/videos"));
    EXPECT_FALSE(s.save(Setting::Grids, "2"));
    ASSERT_EQ(told.size(), 1);
    EXPECT_EQ(told.first(), QStringLiteral("The settings could not be saved in %1: the folder %2 "
                                           "could not be made\nChanges made now hold only until "
                                           "korvel ends.")
                                .arg(t.file("KV05/korvel.ini"), t.file("KV05")));
    // The values hold for this run all the same.
    EXPECT_EQ(s.get(Setting::LogPath, ""), "/videos");

    // Once a save works again, a new failure is told again.
    QFile::remove(t.file("KV05"));
    EXPECT_TRUE(s.save(Setting::Grids, "3"));
    EXPECT_EQ(Settings(t.file("KV05/korvel.ini")).get(Setting::LogPath, ""), "/videos");
    QDir(t.file("KV05")).removeRecursively();
    {
        QFile f(t.file("KV05"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_FALSE(s.save(Setting::Grids, "1"));
    EXPECT_EQ(told.size(), 2);
}

TEST(Settings, CheckboxKeysAreTickedOnlyByOne)
{
    struct Case {
        const char* stored; // nullptr: never written
        bool ticked;
    } cases[] = {{nullptr, false}, {"0", false}, {"1", true}, {"2", true}};
    for (const Case& c : cases) {
        test::TestDir t;
        auto s = t.settings();
        if (c.stored)
            s->save(Setting::Wstims, c.stored);
        ScriptedPrompt p;
        EXPECT_EQ(s->getChecked(Setting::Wstims, p), c.ticked)
            << (c.stored ? c.stored : "never written");
        EXPECT_EQ(s->getChecked(Setting::Lensor, p), false);
    }
}

TEST(Settings, GridCountIsOneUnlessTwoOrThree)
{
    struct Case {
        const char* stored; // nullptr: never written
        int count;
        bool told;
    } cases[] = {{nullptr, 1, false}, {"", 1, false},  {"0", 1, false}, {"2", 2, false},
                 {"3", 3, false},     {"7", 1, false}, {"two", 1, true}};
    for (const Case& c : cases) {
        test::TestDir t;
        auto s = t.settings();
        if (c.stored)
            s->save(Setting::Grids, c.stored);
        ScriptedPrompt p;
        if (c.told)
            p.expectMessage("The setting \"grids\" holds \"two\", which is not a whole number. "
                            "korvel uses \"1\" instead.");
        EXPECT_EQ(configuredGridCount(*s, p), c.count) << (c.stored ? c.stored : "never written");
    }
}

namespace
{
const QString kTitle = QStringLiteral("Emergency Parameter Reset");

void fillStartupKeys(Settings& s)
{
    s.save(Setting::LogPath, "/videos");
    s.save(Setting::LogFile, "JumpMeasurementLog120726.txt");
    s.save(Setting::Barefoot, "1");
    s.save(Setting::Compression, "4");
    s.save(Setting::Device, "2");
    s.save(Setting::FrameRate, "60");
    s.save(Setting::Grid1File, "/grids/g1.ipt");
    s.save(Setting::Grid2File, "/grids/g2.ipt");
    s.save(Setting::Grid3File, "/grids/g3.ipt");
    s.save(Setting::TournamentName, "Lake Open");
}

const Setting kKeys[] = {Setting::LogPath,       Setting::LogFile,   Setting::Barefoot,
                         Setting::Compression,   Setting::Device,    Setting::FrameRate,
                         Setting::Grid1File,     Setting::Grid2File, Setting::Grid3File,
                         Setting::TournamentName};
} // namespace

TEST(EmergencyReset, NoAtEitherFirstQuestionChangesNothing)
{
    for (int noAt : {0, 1}) {
        test::TestDir t;
        auto s = t.settings();
        fillStartupKeys(*s);
        ScriptedPrompt p;
        p.expectYesNo("Do you want to reset all parameters to install values?", noAt != 0, kTitle,
                      Icon::Question);
        if (noAt == 1)
            p.expectYesNo("Are you certain? This means you are crashing and can't operate", false,
                          kTitle, Icon::Question);
        emergencyReset(*s, p);
        EXPECT_FALSE(p.lastDefaultYes) << "No must be preselected";
        EXPECT_EQ(s->get(Setting::LogPath, ""), "/videos");
        EXPECT_EQ(s->get(Setting::Grid1File, ""), "/grids/g1.ipt");
    }
}

TEST(EmergencyReset, AsksEveryKeyInOrderAndClearsOnlyTheAnsweredOnes)
{
    struct Run {
        bool yesToAll;
    };
    for (Run run : {Run{false}, Run{true}}) {
        test::TestDir t;
        auto s = t.settings();
        fillStartupKeys(*s);
        ScriptedPrompt p;
        p.expectYesNo("Do you want to reset all parameters to install values?", true, kTitle);
        p.expectYesNo("Are you certain? This means you are crashing and can't operate", true,
                      kTitle);
        const bool y = run.yesToAll;
        p.expectYesNo("Logpath = /videos Clear it?", y, kTitle, Icon::Question);
        p.expectYesNo("barefoot = 1 Clear it?", y, kTitle);
        p.expectYesNo("compression = 4 Clear it?", y, kTitle);
        p.expectYesNo("device = 2 Clear it?", y, kTitle);
        p.expectYesNo("framerate = 60 Clear it?", y, kTitle);
        p.expectYesNo("Grid 1 File = /grids/g1.ipt Clear it?", y, kTitle);
        p.expectYesNo("Grid 2 File = /grids/g2.ipt Clear it?", y, kTitle);
        p.expectYesNo("Grid 3 File = /grids/g3.ipt Clear it?", y, kTitle);
        emergencyReset(*s, p);

        const char* expectedYes[] = {"", "", "0", "0", "0", "0", "", "", "", "Lake Open"};
        const char* expectedNo[] = {"/videos",
                                    "JumpMeasurementLog120726.txt",
                                    "1",
                                    "4",
                                    "2",
                                    "60",
                                    "/grids/g1.ipt",
                                    "/grids/g2.ipt",
                                    "/grids/g3.ipt",
                                    "Lake Open"};
        for (size_t k = 0; k < std::size(kKeys); ++k)
            EXPECT_EQ(s->get(kKeys[k], "unset").toStdString(), y ? expectedYes[k] : expectedNo[k])
                << settingName(kKeys[k]).toStdString();
    }
}

TEST(EmergencyReset, AnUnsetLogPathIsShownAsZero)
{
    test::TestDir t;
    auto s = t.settings();
    ScriptedPrompt p;
    p.expectYesNo("Do you want to reset all parameters to install values?", true);
    p.expectYesNo("Are you certain? This means you are crashing and can't operate", true);
    p.expectYesNo("Logpath = 0 Clear it?", false);
    p.expectYesNo("barefoot = 0 Clear it?", false);
    p.expectYesNo("compression = 0 Clear it?", false);
    p.expectYesNo("device = 0 Clear it?", false);
    p.expectYesNo("framerate = 0 Clear it?", false);
    p.expectYesNo("Grid 1 File =  Clear it?", false);
    p.expectYesNo("Grid 2 File =  Clear it?", false);
    p.expectYesNo("Grid 3 File =  Clear it?", false);
    emergencyReset(*s, p);
    EXPECT_FALSE(s->contains(Setting::LogPath));
}

TEST(Paths, JoinAndStripOneSeparator)
{
    EXPECT_EQ(StripTrailingBackslash("/v/"), "/v");
    EXPECT_EQ(StripTrailingBackslash("/v//"), "/v/");
    EXPECT_EQ(StripTrailingBackslash("C:\\v\\"), "C:\\v");
    EXPECT_EQ(StripTrailingBackslash("/"), "/");
    EXPECT_EQ(joinPath("/v/", "a.avi"), "/v/a.avi");
    EXPECT_EQ(joinPath("/", "kvio"), "/kvio");
    EXPECT_TRUE(PathExists("/", PathKind::Drive));
    EXPECT_TRUE(PathExists(programFolder(), PathKind::Folder));
    EXPECT_FALSE(PathExists(programFolder(), PathKind::File));
}

TEST(Paths, ExchangeFolderFollowsTheSetting)
{
    test::TestDir t;
    auto s = t.settings();
    EXPECT_EQ(exchangeFolder(*s), "/kvio");
    s->save(Setting::KvioDir, t.path() + "/x/");
    EXPECT_EQ(exchangeFolder(*s), t.path() + "/x");
}

TEST(Paths, TestsRunInASandbox)
{
    EXPECT_TRUE(programFolder().contains("korvel-test-"));
    EXPECT_TRUE(Settings::defaultPath().contains("korvel-test-") ||
                Settings::defaultPath().contains(".qttest"));
    EXPECT_FALSE(Settings::defaultPath().startsWith("/root/.config"));
}

TEST(SettingKeys, EveryKeyHasItsDefaultAndResetValue)
{
    test::TestDir t;
    auto s = t.settings();
    struct Case {
        Setting key;
        const char* defaultValue;
    } cases[] = {{Setting::Grids, "0"},     {Setting::RightToLeft, "False"},
                 {Setting::Wstims, "0"},    {Setting::CaptureTime, "0"},
                 {Setting::LabelColor, ""}, {Setting::VideoResolution, "0"},
                 {Setting::Grid3File, ""}};
    for (const Case& c : cases)
        EXPECT_EQ(s->get(c.key).toStdString(), c.defaultValue) << settingName(c.key).toStdString();
    // The file's spellings, in any case, are korvel's own keys.
    EXPECT_EQ(findSettingKey(" RIGHT2LEFT ")->id, Setting::RightToLeft);
    EXPECT_EQ(findSettingKey("grid3file")->id, Setting::Grid3File);
    EXPECT_FALSE(findSettingKey("notAKey"));

    // The keys the emergency reset asks about are exactly those with a reset value.
    QStringList reset;
    for (const SettingKey& k : settingKeys()) {
        if (k.resetValue)
            reset << QString::fromLatin1(k.name);
    }
    EXPECT_EQ(reset, QStringList({"grid1File", "grid2File", "grid3File", "logpath", "logfile",
                                  "barefoot", "compression", "device", "framerate"}));
}
