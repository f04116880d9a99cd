#include "grid/sample/scenefile.h"

#include "shell/textfile.h"

#include <QDir>
#include <QLocale>

namespace korvel::sample
{

namespace
{

QString number(double v)
{
    return QString::number(v, 'g', QLocale::FloatingPointShortest);
}

void describeMark(QStringList& lines, const SceneMark& m)
{
    const QString k = m.name;
    lines << k + QStringLiteral(".pixel_x = ") + number(m.pixel.x())
          << k + QStringLiteral(".pixel_y = ") + number(m.pixel.y())
          << k + QStringLiteral(".twips_x = ") + number(m.twips().x())
          << k + QStringLiteral(".twips_y = ") + number(m.twips().y())
          << k + QStringLiteral(".click_x = ") + QString::number(m.click().x())
          << k + QStringLiteral(".click_y = ") + QString::number(m.click().y())
          << k + QStringLiteral(".survey_x = ") + number(m.survey.x())
          << k + QStringLiteral(".survey_y = ") + number(m.survey.y());
}

const char* const markFields[] = {"pixel_x", "pixel_y", "twips_x",  "twips_y",
                                  "click_x", "click_y", "survey_x", "survey_y"};

} // namespace

QStringList describeScene(const SampleScene& scene, const QString& picture,
                          const QString& jumpPicture)
{
    QStringList lines;
    lines << QStringLiteral("# korvel sample lake scene")
          << QStringLiteral(
                 "# pixel: from the picture's top-left corner; twips = pixel x 15; survey: metres")
          << QStringLiteral("picture = ") + picture;
    if (scene.impact && !jumpPicture.isEmpty())
        lines << QStringLiteral("jump_picture = ") + jumpPicture;
    lines << QStringLiteral("width = ") + QString::number(scene.picture.width())
          << QStringLiteral("height = ") + QString::number(scene.picture.height());
    for (const SceneMark& b : scene.buoys)
        describeMark(lines, b);
    describeMark(lines, scene.jump);
    if (scene.impact)
        describeMark(lines, *scene.impact);
    for (const SceneMark& r : scene.references)
        describeMark(lines, r);
    const auto c = scene.mapping.twipsCoefficients();
    for (int i = 0; i < 8; ++i)
        lines << QStringLiteral("mapping.c%1 = ").arg(i + 1) + number(c[i]);
    return lines;
}

QString writeSampleFiles(const QString& folder, const SampleScene& lake, const SampleScene* skier)
{
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot create the folder %1").arg(folder);
    const QDir dir(folder);
    auto save = [&](const QImage& img, const char* name) -> QString {
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (!img.save(path, "BMP"))
            return QStringLiteral("cannot write %1").arg(path);
        return {};
    };
    if (QString e = save(lake.picture, lakePictureName); !e.isEmpty())
        return e;
    if (skier) {
        if (QString e = save(skier->picture, jumpPictureName); !e.isEmpty())
            return e;
    }
    // The skier variant's description is the lake's plus the impact.
    const QStringList lines = skier ? describeScene(*skier, QString::fromLatin1(lakePictureName),
                                                    QString::fromLatin1(jumpPictureName))
                                    : describeScene(lake, QString::fromLatin1(lakePictureName));
    const QString path = dir.filePath(QString::fromLatin1(descriptionName));
    if (FileResult r = writeLines(path, lines); !r)
        return QStringLiteral("cannot write %1: %2").arg(path, r.error);
    return {};
}

std::optional<SceneDescription> readSceneDescription(const QString& path, QString* error)
{
    auto fail = [error](const QString& why) -> std::optional<SceneDescription> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    QString readError;
    const auto lines = readLines(path, &readError);
    if (!lines)
        return fail(readError);
    SceneDescription d;
    for (int n = 0; n < lines->size(); ++n) {
        const QString line = lines->at(n).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            return fail(QStringLiteral("line %1 is not \"key = value\"").arg(n + 1));
        d.values.insert(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    auto numberOf = [&](const QString& key, double* v) {
        bool ok = false;
        *v = d.values.value(key).toDouble(&ok);
        return ok && d.values.contains(key);
    };
    double w = 0, h = 0;
    if (!numberOf(QStringLiteral("width"), &w) || !numberOf(QStringLiteral("height"), &h))
        return fail(QStringLiteral("the picture size is missing"));
    d.size = QSize(int(w), int(h));
    d.picture = d.values.value(QStringLiteral("picture"));
    d.jumpPicture = d.values.value(QStringLiteral("jump_picture"));

    QStringList names;
    for (auto it = d.values.cbegin(); it != d.values.cend(); ++it) {
        const qsizetype dot = it.key().indexOf(QLatin1Char('.'));
        if (dot > 0 && it.key().left(dot) != QLatin1String("mapping") &&
            !names.contains(it.key().left(dot)))
            names << it.key().left(dot);
    }
    for (const QString& name : names) {
        double v[8];
        for (int i = 0; i < 8; ++i) {
            if (!numberOf(name + QLatin1Char('.') + QLatin1String(markFields[i]), &v[i]))
                return fail(QStringLiteral("%1.%2 is missing or not a number")
                                .arg(name, QLatin1String(markFields[i])));
        }
        d.marks.insert(name, SceneMark{name, QPointF(v[6], v[7]), QPointF(v[0], v[1])});
    }
    for (int i = 0; i < buoyCount; ++i) {
        if (!d.marks.contains(slotName(static_cast<BuoySlot>(i))))
            return fail(
                QStringLiteral("the buoy %1 is missing").arg(slotName(static_cast<BuoySlot>(i))));
    }
    if (!d.marks.contains(QStringLiteral("jump")))
        return fail(QStringLiteral("the jump point is missing"));
    for (int i = 0; i < 8; ++i) {
        if (!numberOf(QStringLiteral("mapping.c%1").arg(i + 1), &d.coefficients[i]))
            return fail(QStringLiteral("mapping.c%1 is missing or not a number").arg(i + 1));
    }
    return d;
}

} // namespace korvel::sample
