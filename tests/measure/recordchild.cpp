// "Record Jump" in a program of its own, for the journal test to kill at a
// chosen write: the Jane Roe jump on the example grid, WSTIMS on, every file
// in the folder given. Says "stopped" on stdout when it reaches the write
// whose file name ends the way asked, and waits there to be killed.
//
//   korvel-recordchild FOLDER FILENAME-ENDING

#include "measure/measuremodel.h"
#include "shell/consoleprompt.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "tests/measure/measurefixture.h"

#include <QCoreApplication>
#include <QDir>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace korvel;

namespace
{
struct NoScreens : MeasureListener {
    void showMainScreen() override {}
    void showCapture() override {}
    void openPictureLog() override {}
    void openCalibration() override {}
};
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 3)
        return 2;
    const QDir folder(args[1]);
    const QString ending = args[2];
    Settings settings(folder.filePath(QStringLiteral("korvel.ini")));
    settings.save(Setting::KvioDir, folder.filePath(QStringLiteral("kvio")));
    SharedState shared;
    shared.ResultsFile = folder.filePath(QStringLiteral("results.txt"));
    shared.WstimsState = WstimsLink::On;
    GridState grids;
    test::storeGrid(grids, 1, test::janeRoeGrid());
    // Messages printed, every question answered Yes, inputs cancelled.
    ConsolePrompt prompt;
    prompt.yes = true;
    NoScreens screens;
    MeasureModel model(grids, shared, settings, prompt, screens, test::exampleTime);
    model.setText(MeasureControl::SkierName, QStringLiteral("Jane Roe"));
    model.setText(MeasureControl::JumpNo, QStringLiteral("3"));
    model.clickPicture(test::kJaneRoeImpact.x, test::kJaneRoeImpact.y);
    setWriteWatcher([&ending](const QString& path) {
        if (!path.endsWith(ending))
            return;
        std::printf("stopped\n");
        std::fflush(stdout);
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    });
    return model.Record() ? 0 : 1;
}
