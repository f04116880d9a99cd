#pragma once
// The hub without its screens: main and configuration models over a
// temporary workplace, the screens around them recorded, not shown. And the
// whole hub, started on the sample tournament.

#include "app/configmodel.h"
#include "app/firstrun.h"
#include "app/hub.h"
#include "app/mainmodel.h"
#include "grid/gridfile.h"
#include "grid/gridsetupmodel.h"
#include "grid/sample/lakescene.h"
#include "grid/sample/samplegrid.h"
#include "shell/textfile.h"
#include "tests/support/workplace.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

namespace korvel::test
{

struct RecordingScreens : Navigator {
    std::vector<Screen> shown;
    bool mainHidden = false;
    bool quitCalled = false;
    QString captureSkier;
    void show(Screen s) override { shown.push_back(s); }
    void hideMain() override { mainHidden = true; }
    void setCaptureSkierName(const QString& name) override { captureSkier = name; }
    void quit() override { quitCalled = true; }
};

struct FixedRate : DevicePanelSide {
    double rate = 30;
    double frameRate() const override { return rate; }
};

struct RecordingConfig : ConfigListener {
    int typeChanges = 0;
    std::optional<QStringList> names;
    std::optional<bool> getName;
    bool mainShown = false;
    void tournamentTypeChanged() override { ++typeChanges; }
    void skierNamesLoaded(const QStringList& n) override { names = n; }
    void getNameButtonVisible(bool on) override { getName = on; }
    void showMainScreen() override { mainShown = true; }
};

// One run of korvel: a new process over the same settings file and folders.
struct Session {
    Workplace& w;
    SharedState shared;
    GridState grids;
    RecordingScreens screens;
    FixedRate panels;
    RecordingConfig config;
    int lensorStarts = 0;
    QString lensorProblem;
    GridSetupModel gridSetup{grids, shared, *w.settings, w.prompt};
    MainModel main{shared, *w.settings, w.prompt, screens, panels};
    ConfigModel configModel{shared, *w.settings, w.prompt, grids, gridSetup, main, [this] {
                                ++lensorStarts;
                                return lensorProblem;
                            }};

    explicit Session(Workplace& wp) : w(wp) { configModel.setListener(&config); }

    // The start with the reset declined and the set-up notice acknowledged.
    void start()
    {
        w.prompt.expectYesNo("Do you want to reset all parameters to install values?", false);
        w.prompt.expectMessage("Please Verify all Setup Parameters");
        ASSERT_TRUE(main.startUp());
    }
};

// A workplace with a video folder and solved grid files beside it.
struct Lake : Workplace {
    QString videos = dir.file("videos");
    QString setup = dir.file("setup");
    Lake()
    {
        QDir().mkpath(videos);
        QDir().mkpath(setup);
        settings->save(Setting::LogPath, videos);
    }
    QString grid(int g) const { return setup + QStringLiteral("/grid%1.ipt").arg(g); }
    // The sample lake's solved grid, drawn once per test program and copied.
    void writeGrid(int g) const
    {
        static QTemporaryDir once;
        static const QString solved = [] {
            const QString path = once.filePath("sample.ipt");
            EXPECT_EQ(sample::writeSampleGrid(path, sample::makeSampleScene()), QString());
            return path;
        }();
        QFile::remove(grid(g));
        QFile::remove(checkBuoyFilePath(grid(g)));
        ASSERT_TRUE(QFile::copy(solved, grid(g)));
        ASSERT_TRUE(QFile::copy(checkBuoyFilePath(solved), checkBuoyFilePath(grid(g))));
    }
    QStringList fileLines(const QString& path) const
    {
        return readLines(path).value_or(QStringList{"<missing>"});
    }
};

// The names of the top-level screens on show, sorted.
inline QStringList visibleScreens()
{
    QStringList names;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !w->objectName().isEmpty())
            names << w->objectName();
    names.sort();
    return names;
}

// korvel with every screen on the sample tournament, the given settings
// saved before it is made; start() runs the start-up to the configuration
// screen with the reset declined.
struct SampleHub {
    Workplace& w;
    bool prepared;
    Hub hub;

    explicit SampleHub(Workplace& wp,
                       std::initializer_list<std::pair<Setting, const char*>> settings = {})
        : w(wp), prepared(prepare(wp, settings)),
          hub(*wp.settings, wp.prompt, [] { return QString(); })
    {
    }
    void start()
    {
        ASSERT_TRUE(prepared);
        w.prompt.expectYesNo("Do you want to reset all parameters to install values?", false)
            .expectMessage("Please Verify all Setup Parameters");
        ASSERT_TRUE(hub.start());
    }

private:
    static bool prepare(Workplace& w,
                        std::initializer_list<std::pair<Setting, const char*>> settings)
    {
        const QString problem = prepareSampleTournament(*w.settings, w.dir.path());
        EXPECT_EQ(problem, QString());
        for (const auto& [key, value] : settings)
            w.settings->save(key, value);
        return problem.isEmpty();
    }
};

} // namespace korvel::test
