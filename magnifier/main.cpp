// lensor: a screen magnifier that follows the mouse, so that an operator can
// place markers on a picture to the pixel.

#include "magnifier/art.h"
#include "magnifier/commandline.h"
#include "magnifier/lensorwindow.h"
#include "magnifier/messages.h"
#include "magnifier/screengrab.h"
#include "magnifier/singleinstance.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

#include <cstdio>

using namespace lensor;

int main(int argc, char** argv)
{
    // Before the application object: --help answers without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (asksForHelp(arguments)) {
        std::fputs(usageText(OptionsStore::defaultPath()).toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lensor"));
    // The main window's close ends the program, also while it is hidden in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    const auto report = [](const QString& text) {
        QMessageBox::warning(nullptr, QString::fromLatin1(kTitle), displayText(text));
    };

    // Claimed before anything is shown or written: of two copies started a
    // moment apart, the second asks the first, which answers from its event loop.
    SingleInstance instance;
    const SingleInstance::Claim claim = instance.claim();
    if (claim == SingleInstance::Claim::Refused) {
        // The running copy has come forward by itself.
        QApplication::beep();
        return 0;
    }

    const OptionsStore store;
    const QScreen* screen = QGuiApplication::primaryScreen();
    QString error;
    LensorState state = store.load(screen ? screen->size() : QSize(1024, 768), &error);
    if (!error.isEmpty())
        report(error);
    instance.setMultiple(state.options.isOn(Option::Multiple));

    std::unique_ptr<QSplashScreen> splash;
    if (state.options.isOn(Option::Splash)) {
        splash = std::make_unique<QSplashScreen>(QPixmap::fromImage(startPicture()));
        splash->show();
        app.processEvents();
    }

    if (applyCommandLine(joinedCommandLine(QApplication::arguments()), state.options)) {
        OptionsSheet sheet(state, OptionsSheet::Page::Setup);
        if (sheet.exec() == QDialog::Accepted) {
            for (const QString& failed :
                 sheet.applySetup(QApplication::applicationFilePath(), programIcon(48)))
                report(failed);
            state = sheet.result();
            if (const auto failed = store.save(state))
                report(*failed);
        }
    }

    const std::unique_ptr<ScreenSource> screenSource = openScreen();
    LensorWindow window(store, state, *screenSource, claim == SingleInstance::Claim::First);
    window.show();
    instance.setMultiple(window.magnifier().options().isOn(Option::Multiple));
    QObject::connect(
        &window, &LensorWindow::optionsChanged, &instance,
        [&instance](const Options& o) { instance.setMultiple(o.isOn(Option::Multiple)); });
    QObject::connect(&instance, &SingleInstance::restoreRequested, &window,
                     &LensorWindow::comeForward);
    // The start picture stays a moment, so that it is seen at all.
    if (splash)
        QTimer::singleShot(1200, splash.get(), &QWidget::close);
    return app.exec();
}
