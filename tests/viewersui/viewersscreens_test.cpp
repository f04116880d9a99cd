#include "viewers/logviewerscreen.h"
#include "viewers/manualscreen.h"
#include "viewers/selectskierscreen.h"

#include "shell/namedwidgets.h"
#include "shell/paths.h"
#include "shell/sharedstate.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/support/handovers.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"

#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

using namespace korvel;

namespace
{

void doubleClick(QListWidget* list, int row)
{
    list->doItemsLayout(); // items just added are placed at the next paint
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

void click(QListWidget* list, int row)
{
    list->doItemsLayout();
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

} // namespace

// Both log viewers on one day's log: the lines of their kind, a click shows
// the file, a double click hands it over and closes the viewer.
TEST(LogViewerScreens, OpenTheFileOfTheLineDoubleClicked)
{
    test::TestDir dir;
    SharedState shared;
    shared.VideoDir = dir.path();
    shared.LogFileName = QStringLiteral("JumpMeasurementLog120726.txt");
    const QString video = dir.file("Smithjump3.avi");
    const QString picture = dir.file("caps/Jane Roejump3.bmp");
    ASSERT_TRUE(
        writeLines(joinPath(shared.VideoDir, shared.LogFileName),
                   {printZones({"12-07-2026", "09:00:01", "Korvel Measurement Session started  "}),
                    printZones({"12-07-2026", "09:14:22", "Skier: Smith", "Jump: 3",
                                "Contact Frame:  412", "File: " + video}),
                    printZones({"12-07-2026", "09:15:40", "Skier: Jane Roe", "Jump: 3",
                                "Distance:  45.3m", "File: " + picture})}));

    struct Case {
        LogKind kind;
        const char* screenName;
        const char* title;
        QString file;
        QString call;
        ScreenTag tag;
    };
    for (const Case& c :
         {Case{LogKind::Video, "LogView", "Log Viewer", video, "video " + video, ScreenTag::View},
          Case{LogKind::Picture, "PictureLogView", "Contact Picture Log", picture,
               "picture " + picture, ScreenTag::PictureLog}}) {
        test::ScriptedPrompt prompt;
        test::ViewerHandOvers listener;
        LogViewerScreen screen(c.kind, shared, prompt, listener);
        screen.open();
        EXPECT_EQ(screen.objectName(), QString::fromLatin1(c.screenName));
        EXPECT_EQ(screen.windowTitle(), QString::fromLatin1(c.title));

        const bool video = c.kind == LogKind::Video;
        auto* lines = video ? findControl<QListWidget>(&screen, LogViewControl::Lines)
                            : findControl<QListWidget>(&screen, PictureLogControl::Lines);
        auto* fileBox = video ? findControl<QLineEdit>(&screen, LogViewControl::FileToView)
                              : findControl<QLineEdit>(&screen, PictureLogControl::FileToView);
        auto* logBox = video ? findControl<QLineEdit>(&screen, LogViewControl::LogFile)
                             : findControl<QLineEdit>(&screen, PictureLogControl::LogFile);
        ASSERT_TRUE(lines && fileBox && logBox);
        EXPECT_EQ(logBox->text(), joinPath(shared.VideoDir, shared.LogFileName));
        ASSERT_EQ(lines->count(), 1);

        click(lines, 0);
        EXPECT_EQ(fileBox->text(), c.file);
        EXPECT_TRUE(listener.asked.isEmpty());

        doubleClick(lines, 0);
        EXPECT_EQ(listener.asked, QStringList{c.call});
        EXPECT_EQ(shared.LastScreen, c.tag);
        EXPECT_FALSE(screen.isVisible());

        // A path typed into the file box is the one viewed.
        screen.open();
        fileBox->clear();
        QTest::keyClicks(fileBox, QStringLiteral("/elsewhere/Bo jump1"));
        auto* view = video ? findControl<QPushButton>(&screen, LogViewControl::View)
                           : findControl<QPushButton>(&screen, PictureLogControl::View);
        ASSERT_TRUE(view);
        view->click();
        EXPECT_TRUE(listener.asked.last().endsWith(QStringLiteral(" /elsewhere/Bo jump1")));
        EXPECT_FALSE(screen.isVisible());
        shared.LastScreen = ScreenTag::None;
    }
}

TEST(LogViewerScreens, ControlsCarryTheirNamesAndCaptions)
{
    SharedState shared;
    test::ScriptedPrompt prompt;
    test::ViewerHandOvers screens;
    LogViewerScreen video(LogKind::Video, shared, prompt, screens);
    for (const auto& row : kLogViewControls) {
        auto* w = video.findChild<QWidget*>(QString::fromLatin1(row.objectName));
        ASSERT_TRUE(w) << row.objectName;
        if (row.caption) {
            EXPECT_EQ(w->property("text").toString(), QString::fromUtf8(row.caption))
                << row.objectName;
        }
    }
    LogViewerScreen pictures(LogKind::Picture, shared, prompt, screens);
    for (const auto& row : kPictureLogControls)
        EXPECT_TRUE(pictures.findChild<QWidget*>(QString::fromLatin1(row.objectName)))
            << row.objectName;
}

TEST(SelectSkierScreen, ListsTheNamesAndHandsOverTheOneDoubleClicked)
{
    test::TestDir dir;
    QFile f(dir.file("SkierNames.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Doe,John\r\n\r\nRoe, Jane\r\n\r\nCher\r\n");
    f.close();

    test::ScriptedPrompt prompt;
    SelectSkierScreen dialog(prompt, nullptr, dir.file("SkierNames.txt"));
    EXPECT_EQ(dialog.objectName(), QStringLiteral("frmSelectSkier"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Select A Skier"));
    QSignalSpy chosen(&dialog, &SelectSkierScreen::skierChosen);

    // "No Selection" closes without a name.
    dialog.show();
    auto* list = findControl<QListWidget>(&dialog, SelectSkierControl::Skiers);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("John Doe"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral(" Jane Roe"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Cher"));
    findControl<QPushButton>(&dialog, SelectSkierControl::NoSelection)->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(chosen.count(), 0);

    // A double click hands the name over once and closes.
    dialog.show();
    click(list, 1); // the operator's double click starts on a line
    doubleClick(list, 1);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(), QStringLiteral(" Jane Roe"));
    EXPECT_FALSE(dialog.isVisible());

    // The capture screen asks and waits for the answer.
    QTimer::singleShot(0, &dialog, [&] {
        click(list, 2);
        doubleClick(list, 2);
    });
    EXPECT_EQ(dialog.pick(), std::optional<QString>(QStringLiteral("Cher")));
    QTimer::singleShot(0, &dialog, [&] {
        findControl<QPushButton>(&dialog, SelectSkierControl::NoSelection)->click();
    });
    EXPECT_EQ(dialog.pick(), std::nullopt);
}

TEST(SelectSkierScreen, TypingFindsANameAndEnterTakesIt)
{
    test::TestDir dir;
    QFile f(dir.file("SkierNames.txt"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // UTF-8, as a start list saved on another machine.
    f.write("Doe,John\nRoe,Jane\nZo\xC3\xAB,Anna\nLee,Johanna\n");
    f.close();

    test::ScriptedPrompt prompt;
    SelectSkierScreen dialog(prompt, nullptr, dir.file("SkierNames.txt"));
    QSignalSpy chosen(&dialog, &SelectSkierScreen::skierChosen);
    dialog.show();
    auto* list = findControl<QListWidget>(&dialog, SelectSkierControl::Skiers);
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("Anna Zoë"));

    struct Step {
        const char* typed;
        int row;
    };
    list->setFocus();
    for (const Step& s : {Step{"jo", 0}, Step{"h", 0}, Step{"a", 3}}) {
        QTest::keyClicks(list, s.typed);
        EXPECT_EQ(list->currentRow(), s.row) << s.typed;
    }
    QTest::keyClick(list, Qt::Key_Backspace);
    QTest::keyClick(list, Qt::Key_Backspace);
    QTest::keyClicks(list, "zoe"); // "jo" + "zoe" finds nothing: the selection stays
    EXPECT_EQ(list->currentRow(), 0);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(list, Qt::Key_Backspace);
    QTest::keyClicks(list, "roe"); // a surname finds its name too
    EXPECT_EQ(list->currentRow(), 1);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen[0][0].toString(), "Jane Roe");
    EXPECT_FALSE(dialog.isVisible());
}

TEST(ManualScreen, ShowsTheShippedManualAndSaysWhenItIsMissing)
{
    test::ScriptedPrompt prompt;
    ManualScreen manual(prompt, nullptr, QStringLiteral(KORVEL_MANUAL));
    EXPECT_EQ(manual.objectName(), QStringLiteral("frmManual"));
    EXPECT_EQ(manual.windowTitle(), QStringLiteral("Korvel 2005 Manual"));
    manual.show();
    auto* text = findControl<QTextBrowser>(&manual, ManualControl::Text);
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("Korvel 2005 Manual")));
    QSignalSpy done(&manual, &ManualScreen::done);
    findControl<QPushButton>(&manual, ManualControl::Done)->click();
    EXPECT_FALSE(manual.isVisible());
    EXPECT_EQ(done.count(), 1);
    // Closing the window hands back to the main screen just the same.
    manual.show();
    manual.close();
    EXPECT_EQ(done.count(), 2);

    test::TestDir dir;
    const QString missing = dir.file("KV05Manual.rtf");
    QFile absent(missing);
    absent.open(QIODevice::ReadOnly);
    prompt.expectMessage(
        QStringLiteral("The manual %1 could not be opened: %2").arg(missing, absent.errorString()));
    ManualScreen none(prompt, nullptr, missing);
    none.show();
    EXPECT_FALSE(none.loaded());
}
