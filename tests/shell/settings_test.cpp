#include "shell/emergencyreset.h"
#include "shell/paths.h"
#include "shell/settingkeys.h"
#include "shell/settings.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace korvel;
using korvel::test::ScriptedPrompt;

TEST(Settings, KeysMatchWithoutRegardToCase)
{
    test::TestDir t;
    auto s = t.settings();
    s->save("videoresolution", "2");
    EXPECT_EQ(s->get("VideoResolution", "0"), "2");
    s->save("VIDEORESOLUTION", "3");
    EXPECT_EQ(s->get("videoResolution", "0"), "3");
    EXPECT_EQ(GetSetting(*s, "neverWritten", "dflt"), "dflt");

    // Values survive a new store on the same file, texts kept as they are.
    s->save("TournamentName", "Lake Open, Day 2");
    auto again = t.settings();
    EXPECT_EQ(again->get("tournamentname", ""), "Lake Open, Day 2");
    EXPECT_EQ(again->get("videoresolution", ""), "3");
}

TEST(Settings, WholeNumberAndBooleanForms)
{
    test::TestDir t;
    auto s = t.settings();
    ScriptedPrompt quiet;
    s->save("grids", "2");
    EXPECT_EQ(s->getWhole("grids", 0, quiet), 2);
    EXPECT_EQ(s->getWhole("device", 0, quiet), 0);
    s->save("right2left", "True");
    EXPECT_TRUE(s->getBool("Right2Left", false, quiet));
    s->save("right2left", "false");
    EXPECT_FALSE(s->getBool("right2left", true, quiet));
    s->save("WSTIMS", "1");
    EXPECT_TRUE(s->getChecked("wstims", quiet));
}

TEST(Settings, TextInAWholeNumberKeyIsReportedAndTheDefaultUsed)
{
    test::TestDir t;
    auto s = t.settings();
    s->save("compression", "abc");
    ScriptedPrompt p;
    p.expectMessage("The setting \"compression\" holds \"abc\", which is not a whole number. "
                    "korvel uses \"0\" instead.");
    EXPECT_EQ(s->getWhole("compression", 0, p), 0);

    s->save("right2left", "maybe");
    p.expectMessage("The setting \"right2left\" holds \"maybe\", which is not True or False. "
                    "korvel uses \"False\" instead.");
    EXPECT_FALSE(s->getBool("right2left", false, p));
}

TEST(Settings, AHandEditedFileIsReadAsTyped)
{
    test::TestDir t;
    {
        QFile f(t.file("korvel.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\n"
                "VideoResolution=4\n"
                "logpath=/mnt/score, share\n"
                "TournamentName=Lake Open,Day 2\n"
                "SetupFiles = /grids \n");
    }
    auto s = t.settings();
    struct Case {
        const char* key;
        const char* value;
    } cases[] = {
        {"VideoResolution", "4"},
        {"videoresolution", "4"},
        {"logpath", "/mnt/score, share"},      // the blank after the comma kept
        {"tournamentname", "Lake Open,Day 2"}, // and none added
        {"setupfiles", "/grids"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(s->get(c.key, "unset").toStdString(), c.value) << c.key;
    ScriptedPrompt quiet;
    EXPECT_EQ(s->getWhole("videoResolution", 0, quiet), 4);
    EXPECT_TRUE(s->contains("VIDEORESOLUTION"));

    // Writing leaves one spelling of the key, and it reads back everywhere.
    ASSERT_TRUE(s->save("videoresolution", "5"));
    EXPECT_EQ(s->get("VideoResolution", ""), "5");
    EXPECT_EQ(t.settings()->get("VideoResolution", ""), "5");
    const QString file = QString::fromUtf8(test::readAll(t.file("korvel.ini")));
    EXPECT_EQ(file.count("videoresolution=", Qt::CaseInsensitive), 1) << file.toStdString();
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
            s->save("WSTIMS", c.stored);
        ScriptedPrompt p;
        EXPECT_EQ(s->getChecked("wstims", p), c.ticked) << (c.stored ? c.stored : "never written");
        EXPECT_EQ(s->getChecked("Lensor", p), false);
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
            s->save("grids", c.stored);
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
    s.save("logpath", "/videos");
    s.save("logfile", "JumpMeasurementLog120726.txt");
    s.save("barefoot", "1");
    s.save("compression", "4");
    s.save("device", "2");
    s.save("framerate", "60");
    s.save("grid1File", "/grids/g1.ipt");
    s.save("grid2File", "/grids/g2.ipt");
    s.save("grid3File", "/grids/g3.ipt");
    s.save("TournamentName", "Lake Open");
}

const char* kKeys[] = {"logpath",   "logfile",   "barefoot",  "compression", "device",
                       "framerate", "grid1File", "grid2File", "grid3File",   "TournamentName"};
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
        EXPECT_EQ(s->get("logpath", ""), "/videos");
        EXPECT_EQ(s->get("grid1File", ""), "/grids/g1.ipt");
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
                << kKeys[k];
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
    EXPECT_FALSE(s->contains("logpath"));
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
    s->save("kviodir", t.path() + "/x/");
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
        const char* key;
        const char* defaultValue;
    } cases[] = {{"grids", "0"},       {"RIGHT2LEFT", "False"}, {"wstims", "0"},
                 {"captureTime", "0"}, {"labelcolor", ""},      {"VideoResolution", "0"},
                 {"grid3file", ""},    {"notAKey", ""}};
    for (const Case& c : cases)
        EXPECT_EQ(s->get(c.key).toStdString(), c.defaultValue) << c.key;

    // The keys the emergency reset asks about are exactly those with a reset value.
    QStringList reset;
    for (const SettingKey& k : settingKeys()) {
        if (k.resetValue)
            reset << QString::fromLatin1(k.name);
    }
    EXPECT_EQ(reset, QStringList({"grid1File", "grid2File", "grid3File", "logpath", "logfile",
                                  "barefoot", "compression", "device", "framerate"}));
}
