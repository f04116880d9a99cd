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
    } places[] = {
        {BuoySlot::UpperRight, Marker::UpperRight}, {BuoySlot::LowerRight, Marker::LowerRight},
        {BuoySlot::UpperLeft, Marker::UpperLeft},   {BuoySlot::LowerLeft, Marker::LowerLeft},
        {BuoySlot::Check, Marker::CheckBuoy},
    };
    for (const Place& p : places) {
        const SceneMark& m = scene.buoy(p.slot);
        model.selectMarker(p.marker);
        model.clickPicture(m.click().x() * 15.0, m.click().y() * 15.0);
        const BoxPair survey = surveyBoxes(p.marker);
        model.setText(survey.x, plain(m.survey.x()));
        model.setText(survey.y, plain(m.survey.y()));
    }
    model.selectMarker(std::nullopt);
    model.setText(GridControl::JumpX, plain(scene.jump.survey.x()));
    model.setText(GridControl::JumpY, plain(scene.jump.survey.y()));
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
    // No day's results to note the set-up in: the sample is not a tournament's grid yet.
    model.setWithoutResultsFile(WithoutResultsFile::Quiet);
    model.setText(GridControl::PicWidth, numberText(scene.picture.width() * 15.0));
    model.setBackgroundSize(scene.picture.size());
    enterSampleGrid(model, scene);
    if (!model.complete())
        return QStringLiteral("the sample grid does not solve");
    if (!model.saveGrid(1, path, QStringLiteral("Sample lake, shore camera")))
        return QStringLiteral("cannot write ") + path;
    return {};
}

} // namespace korvel::sample
