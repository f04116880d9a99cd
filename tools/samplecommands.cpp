// sample-scene: the sample lake pictures and their description, for trying
// out a grid set-up and a measurement without a camera at the lake.

#include "tools/commands.h"

#include "grid/sample/lakescene.h"
#include "grid/sample/scenefile.h"

#include <QDir>

namespace korvel::tool
{

namespace
{

using namespace korvel::sample;

int sampleScene(const QStringList& args)
{
    QString folder;
    QSize size(640, 480);
    bool skier = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--skier")) {
            skier = true;
        } else if (a == QLatin1String("--width") || a == QLatin1String("--height")) {
            bool ok = false;
            const int v = i + 1 < args.size() ? args[i + 1].toInt(&ok) : 0;
            if (!ok || v < 160 || v > 8000) {
                err(QStringLiteral(
                        "sample-scene: %1 needs a whole number of pixels from 160 to 8000")
                        .arg(a));
                return 2;
            }
            if (a == QLatin1String("--width"))
                size.setWidth(v);
            else
                size.setHeight(v);
            ++i;
        } else if (a.startsWith(QLatin1String("--")) || !folder.isEmpty()) {
            err(QStringLiteral("sample-scene: unexpected argument \"%1\"").arg(a));
            return 2;
        } else {
            folder = a;
        }
    }
    if (folder.isEmpty()) {
        err(QStringLiteral("sample-scene: the output folder is missing"));
        return 2;
    }
    const SampleScene lake = makeSampleScene({size, false});
    std::optional<SampleScene> jump;
    if (skier)
        jump = makeSampleScene({size, true});
    if (const QString e = writeSampleFiles(folder, lake, jump ? &*jump : nullptr); !e.isEmpty()) {
        err(QStringLiteral("sample-scene: ") + e);
        return 2;
    }
    const QDir dir(folder);
    out(dir.filePath(QString::fromLatin1(lakePictureName)));
    if (skier)
        out(dir.filePath(QString::fromLatin1(jumpPictureName)));
    out(dir.filePath(QString::fromLatin1(descriptionName)));
    return 0;
}

} // namespace

QList<Command> sampleCommands()
{
    return {{"sample-scene",
             "  sample-scene OUTDIR [--width W] [--height H] [--skier]\n"
             "      Writes the sample lake picture (lake.bmp, 640 x 480 unless given),\n"
             "      with --skier also lake-jump.bmp with a skier landing 45 m from the\n"
             "      jump point, and scene.txt with every buoy's pixel, twips and survey\n"
             "      position",
             sampleScene}};
}

} // namespace korvel::tool
