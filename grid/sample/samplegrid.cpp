#include "grid/sample/samplegrid.h"

#include "shell/consoleprompt.h"
#include "shell/settings.h"
#include "shell/textrules.h"

#include <QTemporaryDir>

namespace korvel::sample
{

namespace
{
QString plain(double v)
{
    return numberText(v).trimmed();
}
} // namespace

void enterSampleGrid(GridSetupModel& model, const SampleScene& scene)
{
    struct Place {
        BuoySlot slot;
        Marker marker;
        const char* survey; // nullptr: the check buoy
    } places[] = {
        {BuoySlot::UpperRight, Marker::UpperRight, "ur_survey"},
        {BuoySlot::LowerRight, Marker::LowerRight, "lr_survey"},
        {BuoySlot::UpperLeft, Marker::UpperLeft, "ul_survey"},
        {BuoySlot::LowerLeft, Marker::LowerLeft, "ll_survey"},
        {BuoySlot::Check, Marker::CheckBuoy, nullptr},
    };
    for (const Place& p : places) {
        const SceneMark& m = scene.buoy(p.slot);
        model.selectMarker(p.marker);
        model.clickPicture(m.click().x() * 15.0, m.click().y() * 15.0);
        const QString x = plain(m.survey.x());
        const QString y = plain(m.survey.y());
        if (p.survey) {
            model.setText(QString::fromLatin1(p.survey) + QStringLiteral("_x"), x);
            model.setText(QString::fromLatin1(p.survey) + QStringLiteral("_y"), y);
        } else {
            model.setText(QStringLiteral("txtCheckX"), x);
            model.setText(QStringLiteral("txtCheckY"), y);
        }
    }
    model.selectMarker(std::nullopt);
    model.setText(QStringLiteral("jump_x"), plain(scene.jump.survey.x()));
    model.setText(QStringLiteral("jump_y"), plain(scene.jump.survey.y()));
}

QString writeSampleGrid(const QString& path, const SampleScene& scene)
{
    // A private grid table and settings: the sample must not touch the operator's.
    QTemporaryDir scratch;
    Settings settings(scratch.path() + QStringLiteral("/korvel.ini"));
    SharedState shared;
    GridState grids;
    ConsolePrompt prompt;
    GridSetupModel model(grids, shared, settings, prompt);
    model.setText(QStringLiteral("txtPicWidth"), numberText(scene.picture.width() * 15.0));
    enterSampleGrid(model, scene);
    if (!model.complete())
        return QStringLiteral("the sample grid does not solve");
    if (!model.saveGrid(1, path, QStringLiteral("Sample lake, shore camera")))
        return QStringLiteral("cannot write ") + path;
    return {};
}

} // namespace korvel::sample
