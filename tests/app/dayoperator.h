#pragma once
// An operator working a tournament day through korvel's real screens,
// headless: every button pressed by its name, every question answered from a
// script, and a ledger of every line the day should leave in the results
// file, the log and the scoring program's files. The test camera films the
// jumps of a flight plan drawn from seeds, so the operator knows each jump's
// true touch-down frame and impact point as a referee would from the video.

#include "app/hub.h"
#include "capture/previewform.h"
#include "capture/testcamera.h"
#include "capture/testcamerascene.h"
#include "measure/impact.h"
#include "shell/namedwidgets.h"
#include "shell/paths.h"
#include "shell/pictureview.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/app/hubfixture.h"
#include "tests/support/eventually.h"
#include "tests/support/findcontrol.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineF>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace korvel::test
{

inline const QString kResetQuestion = "Do you want to reset all parameters to install values?";
inline const QString kVerify = "Please Verify all Setup Parameters";
inline const QString kSaveVideo = "Do you want to save this video capture?";
inline const QString kSavePicture = "Do you want to save this picture?";
inline const QString kFixName =
    "The skier's name was changed to prevent overwriting an existing file. You can change the "
    "skier's name here if you want. Just modify it in the input box to what it should be. ";

// A jump the operator recorded, as the files must show it.
struct LedgerJump {
    enum Kind { Measured, Fall, Pass, OtherGrid };
    Kind kind = Measured;
    QString skier, jump;
    double truth = 0;     // metres, the scene's true distance with the landing offset
    double tolerance = 0; // what one pixel there moves the distance
    QString typedMetres;  // other grid: as typed
    QString typedFeet;
};

// What the day's files must hold, in order.
struct Ledger {
    QList<LedgerJump> results;  // results lines of jumps (types M, F, G), in order
    QStringList rerides;        // comments of reride and comment lines (type R), in order
    QStringList measuredVideos; // log: "Skier: .. Jump: .. Contact Frame: .. File: .."
    QStringList savedPictures;  // log: picture lines ("Skier: .. Jump: .. File: ..")
    int starts = 0;             // start lines in the log, one per start of korvel
    int configurations = 0;     // "New Configuration:" lines in the results file
};

// One flight of the test camera with what the operator reads from the
// picture: its touch-down frame and impact pixel at the camera's size.
struct KnownJump {
    TestFlight flight;
    std::int64_t touchdown = 0;
    QPointF pixel;
    QPointF survey;
    std::int64_t contact = -1; // the frame Contact marked
};

inline KnownJump knownJump(const TestFlight& f, QSize size, double rate)
{
    const TestCameraScene scene(size);
    return {f, f.touchdownFrame(rate), scene.touchdownPixel(f), scene.touchdownSurvey(f), -1};
}

class DayOperator
{
public:
    explicit DayOperator(Workplace& w) : m_w(w) {}
    ~DayOperator() { close(); }

    Workplace& w() { return m_w; }
    Hub& hub() { return *m_hub; }
    ScriptedPrompt& prompt() { return m_w.prompt; }
    Ledger& ledger() { return m_ledger; }

    // korvel starts: the reset declined, the set-up notice seen, the grids
    // read back, and "E&xit and Save Parameters" (or the window closed) to
    // the main screen.
    // `recovered`: the pattern of the message on a Record the last run left
    // half done.
    void start(bool closeConfigWindow = false, const QString& recovered = {})
    {
        close();
        m_hub = std::make_unique<Hub>(*m_w.settings, m_w.prompt, [] { return QString(); });
        m_w.prompt.expectYesNo(kResetQuestion, false).expectMessage(kVerify);
        if (!recovered.isEmpty())
            m_w.prompt.expectMessageMatching(recovered);
        ASSERT_TRUE(m_hub->start());
        ++m_ledger.starts;
        if (closeConfigWindow)
            m_hub->configScreen().close();
        else
            trigger(&m_hub->configScreen(), "mnuExit");
        ++m_ledger.configurations;
        ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
        m_captureSeen = false;
    }
    // A start of korvel in another process (killed there): its lines.
    void startedElsewhere()
    {
        ++m_ledger.starts;
        ++m_ledger.configurations;
    }
    // korvel ends (the main screen's E&xit), every window gone.
    void close()
    {
        if (!m_hub)
            return;
        for (QWidget* top : QApplication::topLevelWidgets())
            top->hide();
        m_hub.reset();
    }

    double rate() const { return m_hub->frameRate(); }

    // From the main screen to the capture screen.
    void toCapture()
    {
        press(&m_hub->mainScreen(), MainCommand::cmdGoCapture);
        capturing();
    }
    // From the measure screen after a frame from review: "Capture Next
    // Jump", the picture saved or not when asked.
    void nextJump(bool savePicture)
    {
        expectPictureQuestion(savePicture);
        press(&m_hub->measureScreen(), MeasureControl::NextJump);
        capturing();
    }
    // "E&xit" from the measure screen after a frame from review (a frozen
    // frame asks about its picture; a cleared one does not).
    void exitMeasure(std::optional<bool> savePicture)
    {
        if (savePicture)
            expectPictureQuestion(*savePicture);
        trigger(&m_hub->measureScreen(), "Exit");
        ASSERT_EQ(visibleScreens(), QStringList{"MainForm"});
    }
    void expectPictureQuestion(bool save)
    {
        MeasureModel& m = m_hub->measureScreen().model();
        m_w.prompt.expectYesNo(kSavePicture, save);
        if (!save)
            return;
        const QString path = m.picturePath();
        m_w.prompt.expectMessage(path);
        m_ledger.savedPictures << QStringLiteral("Skier: %1 Jump: %2 Distance: %3 File: %4")
                                      .arg(m.text(MeasureControl::SkierName),
                                           m.text(MeasureControl::JumpNo),
                                           m.text(MeasureControl::Distance), path);
    }
    void capturing()
    {
        ASSERT_EQ(visibleScreens(), QStringList{"PreviewForm"});
        if (!m_captureSeen) {
            // The operator sees the screen before pressing Start: its first
            // paint checks the attempt against the video folder.
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_hub->captureScreen()));
            QTest::qWait(20);
            m_captureSeen = true;
        }
    }

    // Records the next flight under skier and attempt: Contact pressed
    // `contactOffset` frames from the true touch-down (early when negative),
    // stopped by Escape a few frames after it. The questions the recording's
    // end brings (the name fix) must be scripted before.
    KnownJump record(const QString& skier, const QString& attempt, const TestFlight& flight,
                     int contactOffset)
    {
        PreviewForm& form = m_hub->captureScreen();
        form.model().setSkierName(skier);
        form.model().setPass(attempt);
        form.sync();
        TestCamera::setFlights({flight});
        const QSize size = m_hub->captureControl().currentSize();
        const KnownJump known = knownJump(flight, size, rate());
        press(&form, PreviewControl::StartCapture);
        EXPECT_TRUE(form.model().recording());
        CaptureControl& control = m_hub->captureControl();
        const std::int64_t contactAt = std::max<std::int64_t>(0, known.touchdown + contactOffset);
        EXPECT_TRUE(eventually([&] { return control.framesCaptured() >= contactAt; }));
        press(&form, PreviewControl::Contact);
        KnownJump marked = known;
        marked.contact = form.model().text(PreviewControl::StartFrame).toLongLong();
        const std::int64_t end = std::max(known.touchdown, marked.contact) + 6;
        EXPECT_TRUE(eventually([&] { return control.framesCaptured() >= end; }));
        QTest::keyClick(&form, Qt::Key_Escape);
        return marked;
    }

    ReviewModel& review() { return m_hub->reviewScreen().model(); }
    MeasureScreen& measure() { return m_hub->measureScreen(); }

    // On review: steps frame by frame with "<" and ">" to the frame.
    void stepTo(std::int64_t frame)
    {
        ASSERT_EQ(visibleScreens(), QStringList{"frmSetStart"});
        for (int guard = 0; review().player().positionFrame() != frame && guard < 400; ++guard)
            press(&m_hub->reviewScreen(), review().player().positionFrame() < frame
                                              ? ReviewControl::Command4
                                              : ReviewControl::Command1);
        ASSERT_EQ(review().player().positionFrame(), frame);
    }
    // "Use displayed frame to measure jump", the video kept or not when asked.
    void useFrame(std::optional<bool> keepVideo)
    {
        if (keepVideo)
            m_w.prompt.expectYesNo(kSaveVideo, *keepVideo);
        press(&m_hub->reviewScreen(), ReviewControl::cmdMarkStart);
        ASSERT_EQ(visibleScreens(), QStringList{"Measure"});
    }
    // The measured-capture log line a kept video gets.
    void expectVideoLogged(const QString& skier, const QString& jump, std::int64_t frame,
                           const QString& video)
    {
        m_ledger.measuredVideos << QStringLiteral("Skier: %1 Jump: %2 Contact Frame:  %3 File: %4")
                                       .arg(skier, jump)
                                       .arg(frame)
                                       .arg(video);
    }

    // Clicks the known impact pixel on the measure screen (the exported
    // frame must be the touch-down frame) and records it.
    void measureAndRecord(const KnownJump& known)
    {
        MeasureModel& m = measure().model();
        const QImage picture = measure().picture()->picture();
        ASSERT_FALSE(picture.isNull());
        const QPoint pixel = known.pixel.toPoint();
        m.clickPicture(pixel.x() * 15.0, pixel.y() * 15.0);
        ASSERT_TRUE(m.impact().has_value());
        press(&measure(), MeasureControl::Record);
        LedgerJump j;
        j.skier = m.text(MeasureControl::SkierName);
        j.jump = m.text(MeasureControl::JumpNo);
        const QPointF jumpPoint = sample::defaultSite(picture.size()).jump;
        j.truth = QLineF(jumpPoint, known.survey).length() + 2.1;
        j.tolerance = onePixel(m, pixel);
        m_ledger.results << j;
    }
    // Fall or Pass for the jump on show.
    void recordOutcome(MeasureControl option, LedgerJump::Kind kind)
    {
        MeasureModel& m = measure().model();
        click<QRadioButton>(&measure(), option);
        press(&measure(), MeasureControl::Record);
        LedgerJump j;
        j.kind = kind;
        j.skier = m.text(MeasureControl::SkierName);
        j.jump = m.text(MeasureControl::JumpNo);
        m_ledger.results << j;
    }

    // How far the distance moves one pixel from the clicked one, the widest way.
    static double onePixel(MeasureModel& m, QPoint p)
    {
        const auto at = [&](double dx, double dy) {
            const auto d = impactDistance(m.activeGrid(), m.jumpSettings(),
                                          ScreenPoint{(p.x() + dx) * 15, (p.y() + dy) * 15});
            return d ? d->d : 0.0;
        };
        double worst = 0;
        for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
            worst = std::max(worst, std::abs(at(dx, dy) - at(0, 0)));
        return worst + 0.05; // and the metres' rounding to tenths
    }

    template <class Id> static void press(QWidget* screen, Id id)
    {
        auto* b = findControl<QPushButton>(screen, id);
        ASSERT_NE(b, nullptr) << controlName(id).toStdString();
        ASSERT_TRUE(b->isEnabled()) << controlName(id).toStdString();
        b->click();
    }
    template <class W, class Id> static void click(QWidget* screen, Id id)
    {
        auto* b = findControl<W>(screen, id);
        ASSERT_NE(b, nullptr) << controlName(id).toStdString();
        b->click();
    }
    static void trigger(QWidget* screen, const char* action)
    {
        auto* a = screen->findChild<QAction*>(QString::fromLatin1(action));
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
    static QWidget* topLevel(const QString& name)
    {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == name)
                return top;
        return nullptr;
    }

    QString videos() const { return m_w.settings->get(Setting::LogPath); }
    QString video(const QString& name) const { return QDir(videos()).filePath(name); }

private:
    Workplace& m_w;
    std::unique_ptr<Hub> m_hub;
    Ledger m_ledger;
    bool m_captureSeen = false;
};

} // namespace korvel::test
