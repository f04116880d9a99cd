// The measure screen operated like an operator does: the sample jump loaded,
// its impact clicked and nudged, outcomes chosen, results recorded, pictures
// taken, saved and cleared.

#include "tests/measureui/measureoperator.h"

#include "measure/jumptrace.h"
#include "shell/arrowkeys.h"
#include "shell/paths.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTimer>

#include <cmath>

using namespace korvel;
using korvel::test::MeasureOperator;

namespace
{

const QString kStamp = "12-07-2026 14:03:11 ";

// The recorded distance (offset included) of a click at a pixel, through the
// grid's own mapping.
double distanceAt(const MeasureOperator& op, QPointF pixel)
{
    const auto d = distance_calculation(
        op.grids.coefficients(), {op.grids.table[1][rec::JumpX], op.grids.table[1][rec::JumpY]},
        pixel.x() * 15, pixel.y() * 15, false, false);
    return d ? d->d : NAN;
}

} // namespace

TEST(MeasureScreen, OpensWithEveryControlByNameAndCaption)
{
    MeasureOperator op;
    EXPECT_EQ(op.screen->objectName(), "Measure");
    const std::pair<const char*, const char*> buttons[] = {{"Record", "Record &Jump"},
                                                           {"Unfreeze", "Clear"},
                                                           {"Show_grid", "Show Grid"},
                                                           {"verify", "Verify"},
                                                           {"btnNextJump", "Capture Next Jump"},
                                                           {"Set_grid", "&Grid 1"},
                                                           {"optJumpOK", "Jump OK"},
                                                           {"Pass", "Pass"},
                                                           {"Fall", "Fall"},
                                                           {"O_reride", "Opt. reride"},
                                                           {"M_Reride", "Man. Reride"},
                                                           {"Other_Grid", "Other Grid"},
                                                           {"Make_comment", "Comment"},
                                                           {"cbAutoLoadClipboard", "Auto Load"}};
    for (const auto& [name, caption] : buttons)
        EXPECT_EQ(op.find<QAbstractButton>(name)->text(), caption) << name;
    const std::pair<const char*, const char*> menus[] = {
        {"SavePict", "&Save Picture"},  {"LoadPict", "&Load Picture"},
        {"mnuPaste", "&Paste"},         {"mnuResults", "&Results"},
        {"mnuCalibrate", "&Calibrate"}, {"mnuCapture", "C&apture Next Jump"},
        {"mnuViewLog", "&View Log"},    {"Exit", "E&xit"}};
    for (const auto& [name, caption] : menus)
        EXPECT_EQ(op.find<QAction>(name)->text(), caption) << name;
    for (const char* name :
         {"IWSFlabel", "AWSAlabel", "UnofficialJump", "FrozenSign", "gridlabel", "CrossLabel",
          "AdjustmentLabel", "maxbuoy", "maxbuoym", "minbuoy", "minbuoym"})
        op.find<QLabel>(name);
    for (const char* name :
         {"ClipSnapShot", "ImgSnapShot", "AdjustLeft", "AdjustRight", "AdjustUp", "AdjustDown"})
        op.find<QAbstractButton>(name);
    for (const char* name : {"lineHorizontalImpact", "lineVerticalImpact", "lineSplashIndicator"})
        EXPECT_FALSE(op.shown(name)) << name;
    EXPECT_EQ(op.find<QLabel>("UnofficialJump")->text(), "UNOFFICIAL JUMP");
    EXPECT_TRUE(op.find<QRadioButton>("optJumpOK")->isChecked());
    EXPECT_FALSE(op.shown("Set_grid")); // one grid
    EXPECT_FALSE(op.shown("FrozenSign"));
    EXPECT_FALSE(op.shown("xtwips"));
    EXPECT_TRUE(op.shown("grid_description")); // the grid was drawn on arrival
    EXPECT_EQ(op.box("grid_description"), "Sample grid 1");
    auto* cross = op.find<QScrollBar>("CrossSize");
    EXPECT_EQ(cross->minimum(), 15);
    EXPECT_EQ(cross->maximum(), 120);
    EXPECT_EQ(cross->value(), 100);
    EXPECT_EQ(op.find<QTimer>("keyTimer")->interval(), 100);
    EXPECT_FALSE(op.find<QTimer>("loadTimer")->isActive());
    // The buoy labels read the distances of the two far buoys from the jump point.
    EXPECT_TRUE(op.find<QLabel>("maxbuoy")->text().endsWith(" feet"));
    EXPECT_TRUE(op.find<QLabel>("minbuoym")->text().endsWith(" meters"));
}

TEST(MeasureScreen, TheOperatorMeasuresTheSampleJump)
{
    MeasureOperator op;
    op.typeSkier("Sample Skier");
    EXPECT_EQ(op.box("Jump_no"), "1");
    const QString picture = op.loadSampleJump();
    EXPECT_EQ(op.prompt.lastSelectedFilter, 4); // .bmp pictures
    EXPECT_EQ(op.prompt.lastInitialPath, op.caps);
    EXPECT_EQ(op.prompt.lastFilter,
              "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|Jump Picture Files (*.gif)|*.gif|"
              "Jump Picture Files (*.bmp)|*.bmp|Jump Picture Files (*.jpg)|*.jpg|");
    EXPECT_EQ(op.box("gif_file_name"), picture);
    EXPECT_EQ(op.shared.LastScreen, ScreenTag::PictureLoadMenu);
    EXPECT_TRUE(op.shown("FrozenSign"));

    // One pixel right of and one above the skier's contact, then back with
    // the arrow button and the arrow key.
    const QPoint impact = op.scene.impact->click();
    op.clickPixel(impact + QPoint(1, -1));
    EXPECT_EQ(op.box("distance"), "m");
    EXPECT_TRUE(op.shown("AdjustmentLabel"));
    op.press("AdjustLeft");
    ArrowKeys::instance().press(ArrowKeys::Down);
    ArrowKeys::instance().release(ArrowKeys::Down);
    QMetaObject::invokeMethod(op.find<QTimer>("keyTimer"), "timeout");
    QMetaObject::invokeMethod(op.find<QTimer>("keyTimer"), "timeout"); // released: no second step

    // The mark stands on the contact: the half cross points back to the ramp,
    // the splash indicator stands the landing offset ahead of it.
    QFrame* vertical = op.find<QFrame>("lineVerticalImpact");
    QFrame* horizontal = op.find<QFrame>("lineHorizontalImpact");
    EXPECT_TRUE(vertical->isVisible());
    EXPECT_EQ(vertical->x(), impact.x());
    EXPECT_EQ(horizontal->geometry().right(), impact.x());
    EXPECT_EQ(horizontal->y(), impact.y());
    // Jumps run left to right here: the splash lies down the course.
    QFrame* splash = op.find<QFrame>("lineSplashIndicator");
    EXPECT_TRUE(splash->isVisible());
    EXPECT_GT(splash->x(), impact.x());
    EXPECT_NEAR(splash->height(), 1000 / 15.0, 1.5);

    op.press("Record");
    const double d = distanceAt(op, impact);
    const auto sp = ScreenToSurvey(op.grids.coefficients(), impact.x() * 15.0, impact.y() * 15.0);
    ASSERT_TRUE(sp);
    const JumpDistance r = roundedDistance(d, false);
    const QString line = kStamp + "Sample Skier  jump 1 - " + numberText(r.m1) + "m  (IWSF)" +
                         numberText(r.feet) + "ft  (AWSA) (" + numberText(roundHalfUp(sp->X, 3)) +
                         "/" + numberText(roundHalfUp(sp->Y, 3)) + ") (" +
                         numberText(impact.x() * 15) + "/" + numberText(impact.y() * 15) + ") (" +
                         numberText(r.m4) + ")";
    EXPECT_EQ(op.results(), QStringList({kStamp + "Loaded picture: " + picture, line}));
    EXPECT_EQ(op.box("distance"), numberText(r.m1) + "m");
    EXPECT_EQ(op.box("distance_ft"), numberText(r.feet) + "ft");
    const QByteArray exchange =
        "OK, " + numberText(r.m1).toLatin1() + ", " + numberText(r.feet).toLatin1() + ", 1";
    EXPECT_EQ(op.kvresult(), exchange + "\r\n");
    EXPECT_EQ(op.kvraw(), "14:03:11 ,Sample Skier," + exchange + "\r\n");

    // The skier touched down 45.0 m from the jump point; 2.1 m of landing
    // offset on top. A click can be off by no more than one pixel's worth.
    double sensitivity = 0;
    for (QPoint step : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
        sensitivity = std::max(sensitivity, std::abs(distanceAt(op, impact + step) - d));
    EXPECT_GT(sensitivity, 0.01);
    EXPECT_NEAR(r.m4, 45.0 + 2.1, sensitivity);

    // Recorded on a frozen frame: the jump moves on when the frame is cleared.
    EXPECT_EQ(op.box("Jump_no"), "1");
    op.press("Unfreeze");
    EXPECT_EQ(op.box("Jump_no"), "2");
    EXPECT_EQ(op.box("distance"), "m");
    EXPECT_FALSE(op.shown("lineVerticalImpact"));
    EXPECT_FALSE(op.shown("FrozenSign"));
    EXPECT_FALSE(op.shown("gif_file_name"));
    EXPECT_FALSE(op.shown("AdjustmentLabel"));
    EXPECT_FALSE(op.screen->picture()->hasPicture());
}

TEST(MeasureScreen, OutcomesThroughTheOptions)
{
    const QString question = "Is there a distance to be recorded in the other grid?";
    struct Case {
        const char* option;
        std::function<void(test::ScriptedPrompt&)> script;
        bool record;
        QString line; // results line after the stamp
        QByteArray exchange;
        QString jumpAfter;
    };
    const QString zeros = " ( 0/ 0) ( 0/ 0) ( 0)";
    const Case cases[] = {
        {"Fall",
         {},
         true,
         "Jane Roe  jump 7 -   (IWSF)  (AWSA)Fall" + zeros,
         "Fall, 0, 0,7\r\n",
         "8"},
        {"Pass",
         {},
         true,
         "Jane Roe  jump 7 -   (IWSF)  (AWSA)Pass" + zeros,
         "Pass, 0, 0,7\r\n",
         "8"},
        {"Other_Grid",
         [&](test::ScriptedPrompt& p) {
             p.expectYesNo(question, true)
                 .expectInput("Enter distance in meters from other screen", QString("40"))
                 .expectInput("Enter distance in feet from other screen", QString("131"));
         },
         true, "Jane Roe  jump 7 - 40m  (IWSF) 131ft  (AWSA)Distance from other grid",
         "OK, 40,  131, 7\r\n", "8"},
        {"O_reride", {}, false, "Optional Reride on previous jump", "", "7"},
        {"M_Reride", {}, false, "Mandatory Reride - disregard last jump", "", "7"},
        {"Make_comment",
         [](test::ScriptedPrompt& p) {
             p.expectInput("What comment would you like to add?", QString("Boat ran wide"),
                           QString("Input Comment"));
         },
         false, "Boat ran wide", "", "7"},
    };
    for (const Case& c : cases) {
        MeasureOperator op;
        op.typeSkier("Jane Roe");
        op.type("Jump_no", "7");
        if (c.script)
            c.script(op.prompt);
        op.choose(c.option);
        if (c.record)
            op.press("Record");
        EXPECT_EQ(op.results(), QStringList{kStamp + c.line}) << c.option;
        EXPECT_EQ(op.kvresult(), c.exchange) << c.option;
        // Without a frozen frame a recorded fall, pass or other-grid distance moves on at once.
        EXPECT_EQ(op.box("Jump_no"), c.jumpAfter) << c.option;
        EXPECT_EQ(op.box("Comment"), "") << c.option;
        EXPECT_FALSE(op.find<QRadioButton>(c.option)->isChecked()) << c.option;
    }
}

TEST(MeasureScreen, ClearAdvancesOncePerRecordedJumpAndUsesUpExchangePictures)
{
    MeasureOperator op;
    op.typeSkier("Jane Roe");
    op.type("Jump_no", "3");
    QFile snapshot(op.kvio + "/snapshot.bmp");
    ASSERT_TRUE(op.scene.picture.save(snapshot.fileName()));
    op.press("ImgSnapShot");
    EXPECT_TRUE(op.shown("FrozenSign"));
    EXPECT_EQ(op.box("gif_file_name"), "snapshot.bmp");
    // A frame cleared without a result is no attempt of the skier's.
    op.press("Unfreeze");
    op.press("Unfreeze");
    EXPECT_EQ(op.box("Jump_no"), "3");
    EXPECT_FALSE(snapshot.exists());
    // Nothing left to load: the button does nothing.
    op.press("ImgSnapShot");
    EXPECT_FALSE(op.shown("FrozenSign"));

    // A jump recorded on its frame moves on once, at the first Clear; leaving
    // the screen, which clears again, does not skip a number.
    op.loadSampleJump();
    op.clickPixel(op.scene.impact->click());
    op.press("Record");
    EXPECT_EQ(op.box("Jump_no"), "3");
    op.press("Unfreeze");
    EXPECT_EQ(op.box("Jump_no"), "4");
    op.menu("Exit");
    EXPECT_EQ(op.box("Jump_no"), "4");
    // And the other way round: recorded, then left without Clear.
    op.screen->enter();
    op.loadSampleJump();
    op.clickPixel(op.scene.impact->click());
    op.press("Record");
    op.menu("Exit");
    EXPECT_EQ(op.box("Jump_no"), "5");
    op.screen->enter();
    op.press("Unfreeze");
    EXPECT_EQ(op.box("Jump_no"), "5");
}

TEST(MeasureScreen, SetGridCyclesThroughTheConfiguredGrids)
{
    struct Case {
        int grids;
        QStringList captions;
    } cases[] = {{2, {"&Grid 2", "&Grid 1", "&Grid 2"}}, {3, {"&Grid 2", "&Grid 3", "&Grid 1"}}};
    for (const Case& c : cases) {
        MeasureOperator op(c.grids);
        EXPECT_TRUE(op.shown("Set_grid"));
        for (const QString& caption : c.captions) {
            op.press("Set_grid");
            EXPECT_EQ(op.find<QPushButton>("Set_grid")->text(), caption);
            const int g = caption.right(1).toInt();
            EXPECT_EQ(op.shared.CurrentGrid, g);
            EXPECT_EQ(op.box("grid_description"), QString("Sample grid %1").arg(g));
        }
    }
}

TEST(MeasureScreen, AutoLoadTakesTheClipboardOncePerReady)
{
    MeasureOperator op;
    QCheckBox* autoLoad = op.find<QCheckBox>("cbAutoLoadClipboard");
    QTest::mouseClick(autoLoad, Qt::LeftButton, {}, QPoint(6, autoLoad->height() / 2));
    QTimer* timer = op.find<QTimer>("loadTimer");
    ASSERT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    const QString flag = op.kvio + "/clipflag.txt";
    QImage first(64, 48, QImage::Format_RGB32);
    first.fill(Qt::blue);
    QGuiApplication::clipboard()->setImage(first);

    // No flag file, then a flag that is not "Ready": nothing is taken.
    QMetaObject::invokeMethod(timer, "timeout");
    ASSERT_TRUE(writeLines(flag, {"Wait"}));
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_FALSE(op.screen->picture()->hasPicture());

    ASSERT_TRUE(writeLines(flag, {"Ready"}));
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(op.screen->picture()->picture().size(), first.size());
    EXPECT_EQ(test::readAll(flag), "  \r\n");
    EXPECT_EQ(op.box("gif_file_name"), "Picture from Clipboard");

    QImage second(32, 24, QImage::Format_RGB32);
    second.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(second);
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(op.screen->picture()->picture().size(), first.size());

    QTest::mouseClick(autoLoad, Qt::LeftButton, {}, QPoint(6, autoLoad->height() / 2));
    EXPECT_FALSE(timer->isActive());
}

TEST(MeasureScreen, LeavingAfterFrameSelectionFollowsThePicturePolicy)
{
    struct Case {
        const char* policy;
        std::optional<bool> asked; // the answer to the save question, when asked
        bool saved;
    } cases[] = {{"Save", std::nullopt, true},
                 {"Ask", true, true},
                 {"Ask", false, false},
                 {"NoSave", std::nullopt, false}};
    for (const Case& c : cases) {
        MeasureOperator op;
        const QString frame = joinPath(programFolder(), "currentcapture.bmp");
        ASSERT_TRUE(op.scene.picture.save(frame));
        op.shared.LastScreen = ScreenTag::SelectFrame;
        op.shared.PictureSavePolicy = parseName<SavePolicy>(QString::fromLatin1(c.policy)).value();
        op.settings->save(Setting::ImpactColor, "red");
        op.screen->applyColours();
        op.screen->enter();
        QFile::remove(frame);
        EXPECT_TRUE(op.screen->picture()->hasPicture()) << c.policy;
        op.typeSkier("Jane Roe");
        op.type("Jump_no", "3");
        op.clickPixel(op.scene.impact->click());
        const QString path = op.caps + "/Jane Roejump3.bmp";
        if (c.asked)
            op.prompt.expectYesNo("Do you want to save this picture?", *c.asked);
        if (c.saved)
            op.prompt.expectMessage(path);
        op.menu("Exit");
        EXPECT_EQ(QFile::exists(path), c.saved) << c.policy;
        if (c.saved) {
            // The saved picture carries the impact mark.
            const QImage saved(path);
            EXPECT_EQ(saved.size(), op.scene.picture.size());
            EXPECT_EQ(saved.pixelColor(op.scene.impact->click()), QColor(Qt::red));
            EXPECT_EQ(op.results().at(0), kStamp + "Saved picture: " + path);
            EXPECT_TRUE(QFile::exists(path + ".info"));
        }
        EXPECT_FALSE(op.screen->isVisible()) << c.policy;
        EXPECT_EQ(op.screens.asked, QStringList{"main"});
        EXPECT_EQ(op.shared.LastScreen, ScreenTag::None);
        // Nothing was recorded: the jump is still to be measured.
        EXPECT_EQ(op.box("Jump_no"), "3");
        EXPECT_FALSE(op.shown("grid_description"));
    }
}

TEST(MeasureScreen, CaptureNextJumpAsksAndCanStay)
{
    for (const bool remain : {true, false}) {
        MeasureOperator op;
        op.typeSkier("Jane Roe");
        op.loadSampleJump();
        op.prompt.expectYesNo("Do you want to save this picture?", false)
            .expectYesNo("Do you want to remain on this form?", remain);
        op.menu("mnuCapture");
        EXPECT_EQ(op.screen->isVisible(), remain);
        EXPECT_EQ(op.screens.asked, remain ? QStringList() : QStringList{"capture"});
        EXPECT_EQ(op.box("Jump_no"), "1");
        EXPECT_EQ(op.shared.LastScreen, remain ? ScreenTag::PictureLoadMenu : ScreenTag::Measure);
    }
}

TEST(MeasureScreen, SavePictureAsksBeforeReplacingAndReportsWhatFails)
{
    MeasureOperator op;
    op.typeSkier("../../Roe/Jane");
    op.type("Jump_no", "3");
    op.loadSampleJump();
    // The name stays whole in the results; the file stays in the picture folder.
    const QString path = op.caps + "/    Roe Janejump3.bmp";
    op.prompt.expectMessage(path);
    op.menu("SavePict");
    ASSERT_TRUE(QFile::exists(path));
    EXPECT_EQ(QFileInfo(path).absolutePath(), op.caps);

    op.prompt.expectMessage(path).expectYesNo(
        "A picture of this skier and jump is already saved:\n" + path +
            "\nDo you want to replace it?",
        false);
    op.menu("SavePict");
    const int linesBefore = op.results().size();

    // The system's reason, not the toolkit's wording around it.
    QDir(op.caps).removeRecursively();
    op.prompt.expectMessage(path).expectMessage("The picture could not be saved:\n" + path +
                                                    "\nNo such file or directory",
                                                QString("Error Message"));
    op.menu("SavePict");
    EXPECT_EQ(op.results().size(), linesBefore);
    EXPECT_FALSE(QFile::exists(path + ".info"));
}

TEST(MeasureScreen, VerifyModeShowsTheLiveReadouts)
{
    MeasureOperator op;
    op.press("verify");
    EXPECT_EQ(op.find<QPushButton>("verify")->text(), "Verify off");
    for (const char* name :
         {"xtwips", "ytwips", "xposition", "yposition", "VerifyDistance", "UnofficialJump"})
        EXPECT_TRUE(op.shown(name)) << name;
    const QPoint jump = op.scene.jump.click();
    QMouseEvent move(QEvent::MouseMove, QPointF(jump),
                     op.screen->picture()->mapToGlobal(QPointF(jump)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(op.screen->picture(), &move);
    EXPECT_EQ(op.box("xtwips"), numberText(jump.x() * 15));
    EXPECT_EQ(op.box("ytwips"), numberText(jump.y() * 15));
    // At the jump point only the landing offset is left.
    EXPECT_TRUE(op.box("VerifyDistance").startsWith(" 2."))
        << op.box("VerifyDistance").toStdString();
    op.press("verify");
    EXPECT_FALSE(op.shown("xtwips"));
    EXPECT_FALSE(op.shown("UnofficialJump"));
}

TEST(MeasureScreen, ResultsViewerAndTheToolsItOpens)
{
    MeasureOperator op;
    const QString missing = op.shared.ResultsFile;
    op.typeSkier("Jane Roe");
    op.choose("Fall");
    op.press("Record");
    op.menu("mnuResults");
    auto* viewer = test::requireControl<QWidget>(op.screen.get(), "Results");
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->windowTitle(), op.shared.ResultsFile);
    EXPECT_EQ(test::requireControl<QPlainTextEdit>(viewer, "output_box")->toPlainText(),
              op.results().join('\n'));
    QTest::mouseClick(test::requireControl<QPushButton>(viewer, "Exit_results"), Qt::LeftButton);
    EXPECT_FALSE(viewer->isVisible());

    op.menu("mnuViewLog");
    op.menu("mnuCalibrate");
    EXPECT_EQ(op.screens.asked, QStringList({"picture log", "calibration"}));
    EXPECT_TRUE(op.screen->isVisible());

    QFile::remove(missing);
    QString reason;
    ASSERT_FALSE(readLines(missing, &reason));
    op.prompt.expectMessage("The results file cannot be read:\n" + missing + "\n" + reason);
    op.menu("mnuResults");
}

// The results viewer says what the line under the cursor was measured from
// and opens it again: the picture file on the measure screen, the video on
// review at the frame measured; a line with nothing known, or a file gone,
// says so.
TEST(MeasureScreen, TheResultsViewerOpensWhatALineWasMeasuredFrom)
{
    MeasureOperator op;
    op.typeSkier("Jane Roe");
    const QString picture = op.loadSampleJump();
    op.clickPixel(op.scene.impact->click());
    // Beside the distance, what a pixel is worth there.
    EXPECT_TRUE(op.find<QLabel>("lblPixelWorth")->text().startsWith(QString::fromUtf8("\u00b1 0.")))
        << op.find<QLabel>("lblPixelWorth")->text().toStdString();
    op.press("Record");
    // A line of the day from before traces were kept.
    ASSERT_TRUE(
        appendLines(op.shared.ResultsFile, {"12-07-2026 09:00:00 Old Line  jump 1 -  Fall"}));
    // And one measured from a video, traced as Record traces it.
    JumpTrace fromVideo;
    fromVideo.resultLine = "12-07-2026 10:00:00 Ann Lee  jump 2 -  Fall";
    fromVideo.video = op.dir.file("Ann Leejump2.avi");
    fromVideo.frame = 57;
    ASSERT_TRUE(appendLines(op.shared.ResultsFile, {fromVideo.resultLine}));
    ASSERT_TRUE(appendTrace(op.shared.ResultsFile, fromVideo));

    op.menu("mnuResults");
    auto* viewer = test::requireControl<QWidget>(op.screen.get(), "Results");
    auto* output = test::requireControl<QPlainTextEdit>(viewer, "output_box");
    auto* trace = test::requireControl<QLabel>(viewer, "lblTrace");
    auto* open = test::requireControl<QPushButton>(viewer, "cmdOpenTraced");
    // The cursor put on the line that holds the text.
    auto toLine = [&](const QString& text) {
        const QTextBlock b = output->document()->find(text).block();
        ASSERT_TRUE(b.isValid()) << text.toStdString();
        output->setTextCursor(QTextCursor(b));
    };

    toLine("Jane Roe  jump 1 - ");
    EXPECT_TRUE(trace->text().startsWith("Picture: " + picture)) << trace->text().toStdString();
    EXPECT_TRUE(trace->text().contains("Impact: pixel ")) << trace->text().toStdString();
    ASSERT_TRUE(open->isEnabled());
    op.model->Clear();
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_TRUE(op.model->frozen()) << "the picture is on the measure screen again";
    EXPECT_FALSE(viewer->isVisible());

    op.menu("mnuResults");
    toLine("Old Line");
    EXPECT_EQ(trace->text(), "Nothing is known of what this line was measured from.");
    EXPECT_FALSE(open->isEnabled());

    toLine("Ann Lee");
    EXPECT_TRUE(open->isEnabled());
    op.prompt.expectMessage("The video of this result is no longer there:\n" + fromVideo.video);
    QTest::mouseClick(open, Qt::LeftButton);
    QFile(fromVideo.video).open(QIODevice::WriteOnly);
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(op.screens.asked.last(), "review " + fromVideo.video + " at 57");
    EXPECT_FALSE(viewer->isVisible());
}

TEST(MeasureScreen, RecordWaitsForTheSkiersNameAndAWholeJumpNumber)
{
    const struct {
        const char* skier; // nullptr: as the screen opened
        const char* jump;
        bool nameMissing;
    } cases[] = {{nullptr, nullptr, true},
                 {"  ", "3", true},
                 {"Jane Roe", "Jump", false},
                 {"Jane Roe", "2.5", false},
                 {"Jane Roe", "3a", false}};
    for (const auto& c : cases) {
        MeasureOperator op;
        if (c.skier)
            op.typeSkier(c.skier);
        if (c.jump)
            op.type("Jump_no", c.jump);
        op.clickPixel({300, 300});
        const QStringList before = op.results();
        op.prompt.expectMessage(c.nameMissing ? "Type the skier's name in the skier name box "
                                                "first; the result needs the skier's name."
                                              : "Type the jump number as a whole number (for "
                                                "example 3) first; the result needs it.");
        op.press("Record");
        EXPECT_EQ(op.results(), before) << c.jump;
    }
}

TEST(MeasureScreen, ANewPictureStartsWithoutAnImpact)
{
    MeasureOperator op;
    op.typeSkier("Jane Roe");
    op.loadSampleJump();
    op.clickPixel({300, 300});
    ASSERT_TRUE(op.shown("lineHorizontalImpact"));
    const QString jump = op.box("Jump_no");

    QGuiApplication::clipboard()->setImage(op.scene.picture);
    op.menu("mnuPaste");
    for (const char* line : {"lineHorizontalImpact", "lineVerticalImpact", "lineSplashIndicator"})
        EXPECT_FALSE(op.shown(line)) << line;
    EXPECT_EQ(op.box("Jump_no"), jump);
    op.prompt.expectMessage("There is no impact point on this picture. Click the skier's impact "
                            "point, then record the jump.");
    const QStringList before = op.results();
    op.press("Record");
    EXPECT_EQ(op.results(), before);
}

TEST(MeasureScreen, ControlsKeepTheirPlacesWhenTheCommentHides)
{
    MeasureOperator op;
    op.typeSkier("Jane Roe");
    op.choose("Fall");
    ASSERT_TRUE(op.shown("Comment"));
    const QPoint before = op.find<QWidget>("Record")->pos();
    op.press("Record");
    ASSERT_FALSE(op.shown("Comment"));
    EXPECT_EQ(op.find<QWidget>("Record")->pos(), before);
}
