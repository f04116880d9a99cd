// The hub with every screen, headless: the hand-overs an operator makes on
// the first run, each screen found by its name.

#include "shell/namedwidgets.h"
#include "shell/pictureview.h"
#include "tests/app/hubfixture.h"
#include "tests/support/findcontrol.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace korvel;
using namespace korvel::test;

namespace
{

void click(QWidget* screen, MainCommand c)
{
    auto* b = findControl<QPushButton>(screen, c);
    ASSERT_NE(b, nullptr) << controlName(c).toStdString();
    b->click();
}

void trigger(QWidget* screen, const char* action)
{
    auto* a = screen->findChild<QAction*>(QString::fromLatin1(action));
    ASSERT_NE(a, nullptr) << action;
    a->trigger();
}

} // namespace

TEST(HubRoad, FirstRunFromStartToMeasureAndBack)
{
    Workplace w;
    SampleHub run(w);
    ASSERT_NO_FATAL_FAILURE(run.start());
    Hub& hub = run.hub;
    EXPECT_EQ(visibleScreens(), QStringList{"Config"});

    trigger(&hub.configScreen(), "mnuExit");
    EXPECT_EQ(visibleScreens(), QStringList{"MainForm"});
    EXPECT_EQ(hub.shared().GridsReady, 1);

    // Measuring the sample jump on the grid read back at start, and back.
    click(&hub.mainScreen(), MainCommand::ccmdGoToMeasure);
    EXPECT_EQ(visibleScreens(), QStringList{"Measure"});
    EXPECT_TRUE(hub.measureScreen().picture()->hasPicture());
    trigger(&hub.measureScreen(), "Exit");
    EXPECT_EQ(visibleScreens(), QStringList{"MainForm"});
    EXPECT_EQ(hub.shared().LastScreen, ScreenTag::None);

    // Grid set-up shows the sample lake and leaves for the main screen.
    click(&hub.mainScreen(), MainCommand::cmdSetup);
    EXPECT_EQ(visibleScreens(), QStringList{"Grid_Setup"});
    EXPECT_TRUE(hub.gridSetupScreen().picture()->hasPicture());
    trigger(&hub.gridSetupScreen(), "gridExit");
    EXPECT_EQ(visibleScreens(), QStringList{"MainForm"});

    // The review screen, and the way back.
    click(&hub.mainScreen(), MainCommand::cmdGoTimer);
    EXPECT_EQ(visibleScreens(), QStringList{"frmSetStart"});
    EXPECT_EQ(hub.shared().LastScreen, ScreenTag::Setup);

    for (QWidget* top : QApplication::topLevelWidgets())
        top->hide();
}

TEST(HubRoad, TheSavedMessageColourReachesTheMeasureScreenAtLoad)
{
    Workplace w;
    SampleHub run(w);
    // Saved after the screens were made: the configuration's load applies it.
    w.settings->save(Setting::LabelColor, "yellow");
    ASSERT_NO_FATAL_FAILURE(run.start());
    for (const char* name :
         {"Make_comment", "Fall", "optJumpOK", "M_Reride", "O_reride", "FrozenSign", "maxbuoy"}) {
        auto* text = requireControl<QWidget>(&run.hub.measureScreen(), name);
        text->ensurePolished();
        EXPECT_EQ(text->palette().color(text->foregroundRole()), QColor(Qt::yellow)) << name;
    }
    EXPECT_EQ(w.settings->get(Setting::LabelColor), "yellow");
}
