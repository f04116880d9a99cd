// korvel, started by the day test as a program of its own and killed by it:
// the same hub and screens, over the test's settings file, with every
// question answered as an operator would. It records one jump of the test
// camera and stops where the test will kill it, saying so on stdout:
//
//   korvel-daychild SETTINGS filming SKIER ATTEMPT SEED
//       stops while the recording runs, after the touch-down is filmed
//   korvel-daychild SETTINGS recording SKIER ATTEMPT SEED
//       goes on through review and measurement, and stops inside "Record
//       Jump" at the write of the scoring program's kvraw.dst, the results
//       file and kvresult.dst written already

#include "app/hub.h"
#include "capture/previewform.h"
#include "capture/testcamera.h"
#include "capture/testcamerascene.h"
#include "shell/namedwidgets.h"
#include "shell/pictureview.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textfile.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace korvel;

namespace
{

// The answers of an operator who keeps what was recorded.
class OperatorPrompt : public Prompt
{
public:
    void message(const QString& text, const QString&, Icon) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    bool askYesNo(const QString& text, const QString&, Icon, bool defaultYes) override
    {
        if (text.startsWith(QStringLiteral("Do you want to reset")))
            return false;
        if (text == QStringLiteral("Do you want to save this video capture?"))
            return true;
        return defaultYes;
    }
    std::optional<QString> input(const QString&, const QString&, const QString& text) override
    {
        return text;
    }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&,
                                    const QString&) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFolder(const QString&, const QString&) override
    {
        return std::nullopt;
    }
};

[[noreturn]] void stopHere(const char* where)
{
    std::printf("%s\n", where);
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

bool waitFor(const std::function<bool()>& done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 60000)
            return false;
        QTest::qWait(5);
    }
    return true;
}

template <class Id> void press(QWidget* screen, Id id)
{
    if (auto* b = findControl<QPushButton>(screen, id))
        b->click();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 6)
        return 2;
    const QString mode = args[2];
    Settings settings(args[1]);
    OperatorPrompt prompt;
    Hub hub(settings, prompt, [] { return QString(); });
    if (!hub.start())
        return 3;
    hub.configScreen().findChild<QAction*>(QStringLiteral("mnuExit"))->trigger();

    const TestFlight flight = TestFlight::fromSeed(args[5].toULongLong());
    TestCamera::setFlights({flight});
    press(&hub.mainScreen(), MainCommand::cmdGoCapture);
    PreviewForm& form = hub.captureScreen();
    (void)QTest::qWaitForWindowExposed(&form);
    QTest::qWait(20);
    form.model().setSkierName(args[3]);
    form.model().setPass(args[4]);
    const TestCameraScene scene(hub.captureControl().currentSize());
    const std::int64_t touchdown = flight.touchdownFrame(hub.frameRate());
    press(&form, PreviewControl::StartCapture);
    if (!waitFor([&] { return hub.captureControl().framesCaptured() >= touchdown + 8; }))
        return 4;
    if (mode == QStringLiteral("filming"))
        stopHere("filming");

    QTest::keyClick(&form, Qt::Key_Escape);
    ReviewModel& review = hub.reviewScreen().model();
    review.player().setPosition(double(touchdown));
    press(&hub.reviewScreen(), ReviewControl::cmdMarkStart);
    MeasureModel& measure = hub.measureScreen().model();
    const QPoint pixel = scene.touchdownPixel(flight).toPoint();
    measure.clickPicture(pixel.x() * 15.0, pixel.y() * 15.0);
    setWriteWatcher([](const QString& path) {
        if (path.endsWith(QStringLiteral("/kvraw.dst")))
            stopHere("recording");
    });
    press(&hub.measureScreen(), MeasureControl::Record);
    return 5;
}
