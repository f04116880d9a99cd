// Draws the grid state pictures into the folder given, for shipping beside
// the program.

#include "shell/statepictures.h"

#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: korvel-art FOLDER\n", stderr);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    using korvel::StatePicture;
    for (StatePicture p : {StatePicture::Valid, StatePicture::Invalid, StatePicture::SmallSmiley,
                           StatePicture::SmallCaution}) {
        const QString path = dir + QLatin1Char('/') + korvel::statePictureFile(p);
        if (!korvel::drawStatePicture(p).save(path)) {
            std::fprintf(stderr, "korvel-art: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
