// The main and configuration screens driven through their named controls.

#include "app/configscreen.h"
#include "app/mainscreen.h"
#include "shell/namedwidgets.h"
#include "tests/app/hubfixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace korvel;
using namespace korvel::test;

namespace
{
// A click on the box or circle of a check box or option, as the operator makes it.
void tick(QAbstractButton* b)
{
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}
} // namespace

TEST(HubScreens, EveryControlCarriesItsNameAndCaption)
{
    Lake lake;
    Session run(lake);
    MainScreen main(run.main);
    ConfigScreen config(run.configModel);
    EXPECT_EQ(main.objectName(), "MainForm");
    EXPECT_EQ(main.windowTitle(), "Korvel 2005");
    EXPECT_EQ(config.objectName(), "Config");
    EXPECT_EQ(config.windowTitle(), "System Configuration Parameters");
    for (const auto& row : controlsOf<MainCommand>())
        EXPECT_NE(main.findChild<QObject*>(controlName(row.id)), nullptr) << row.objectName;
    for (const auto& row : controlsOf<MainControl>())
        EXPECT_NE(main.findChild<QObject*>(controlName(row.id)), nullptr) << row.objectName;
    for (const auto& row : controlsOf<ConfigOption>()) {
        auto* option = findControl<QRadioButton>(&config, row.id);
        ASSERT_NE(option, nullptr) << row.objectName;
        EXPECT_EQ(option->text(), controlCaption(row.id));
    }
    for (const auto& row : controlsOf<ConfigCheck>())
        EXPECT_NE(findControl<QCheckBox>(&config, row.id), nullptr) << row.objectName;
    for (const auto& row : controlsOf<ConfigText>())
        EXPECT_NE(config.findChild<QObject*>(controlName(row.id)), nullptr) << row.objectName;
}

TEST(HubScreens, ClicksReachTheModelsAndTheSettings)
{
    Lake lake;
    Session run(lake);
    run.start();
    MainScreen main(run.main);
    ConfigScreen config(run.configModel);
    config.enter();

    auto* sitSki = findControl<QCheckBox>(&config, ConfigCheck::SitSki_box);
    auto* barefoot = findControl<QCheckBox>(&config, ConfigCheck::Barefoot_box);
    ASSERT_TRUE(sitSki && barefoot);
    tick(sitSki);
    tick(barefoot);
    EXPECT_TRUE(barefoot->isChecked());
    EXPECT_FALSE(sitSki->isChecked());
    EXPECT_EQ(lake.settings->get(Setting::TournamentType), "barefoot");

    auto* cross = findControl<QRadioButton>(&config, ConfigOption::OptCross);
    ASSERT_TRUE(cross);
    tick(cross);
    EXPECT_EQ(lake.settings->get(Setting::BuoyMarker), "cross");
    EXPECT_EQ(run.shared.BuoyMarker, MarkerStyle::Cross);

    auto* kvio = findControl<QLabel>(&config, ConfigCommand::KVIOLabel);
    ASSERT_TRUE(kvio);
    tick(findControl<QCheckBox>(&config, ConfigCheck::WSTIMS));
    EXPECT_FALSE(kvio->isHidden());
    EXPECT_EQ(run.shared.WstimsState, WstimsLink::On);

    // Leaving by closing the window still writes the configuration line.
    config.close();
    EXPECT_TRUE(run.config.mainShown);
    EXPECT_EQ(lake.fileLines(run.shared.ResultsFile).size(), 1);

    auto* show = findControl<QPushButton>(&main, MainCommand::cmdShowConfig);
    ASSERT_TRUE(show);
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_EQ(show->text(), "Hide Video Configuration");
    EXPECT_FALSE(main.devicePanelHost()->isHidden());
    QTest::mouseClick(show, Qt::LeftButton);
    EXPECT_EQ(show->text(), "Show Video Configuration");

    auto* cb15 = findControl<QCheckBox>(&main, MainControl::cb15);
    main.show();
    tick(cb15);
    EXPECT_EQ(lake.settings->get(Setting::Barefoot), "1");
}
