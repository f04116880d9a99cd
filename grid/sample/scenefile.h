#pragma once
// The sample scene on disk: the pictures as 24-bit .bmp files and a plain text
// description beside them, one "key = value" line each, giving for every buoy,
// the jump point, the impact (skier variant) and the reference marks the exact
// pixel position, twips (pixels times 15), the whole pixel to click and the
// survey position, plus the mapping's coefficients. Numbers are written in the
// shortest form that reads back to the same double.

#include "grid/sample/lakescene.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

namespace korvel::sample
{

inline constexpr char lakePictureName[] = "lake.bmp";
inline constexpr char jumpPictureName[] = "lake-jump.bmp";
inline constexpr char descriptionName[] = "scene.txt";

// The description lines of a scene. jumpPicture names the skier variant's
// picture file; it is written only when the scene has an impact.
QStringList describeScene(const SampleScene& scene, const QString& picture,
                          const QString& jumpPicture = {});

// Writes lake.bmp, lake-jump.bmp (when skier is given) and scene.txt into the
// folder, which is created when missing. Both scenes must come from the same
// camera. Empty on success, else what went wrong.
QString writeSampleFiles(const QString& folder, const SampleScene& lake,
                         const SampleScene* skier = nullptr);

// A description read back: the values by key, and the marks rebuilt from them.
struct SceneDescription {
    QMap<QString, QString> values;
    QMap<QString, SceneMark> marks; // by name
    std::array<double, 8> coefficients{};
    QString picture, jumpPicture;
    QSize size;
};

// Reads a description; nothing, with the reason in *error, when the file is
// missing, a line is not "key = value", a number does not parse or a buoy
// slot is missing.
std::optional<SceneDescription> readSceneDescription(const QString& path, QString* error = nullptr);

} // namespace korvel::sample
