#pragma once
// The measure screen over a grid calibrated on the sample lake, with its
// results file, log, picture folder and exchange folder in a temporary folder
// (never the real /kvio), operated through its named controls.

#include "grid/gridsetupmodel.h"
#include "grid/sample/lakescene.h"
#include "grid/sample/samplegrid.h"
#include "measure/measurescreen.h"
#include "shell/pictureview.h"
#include "shell/settings.h"
#include "shell/textfile.h"
#include "shell/textrules.h"
#include "tests/support/findcontrol.h"
#include "tests/support/handovers.h"
#include "tests/support/scriptedprompt.h"
#include "tests/support/testdir.h"
#include "tests/support/workplace.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace korvel::test
{

inline QDateTime sampleTime()
{
    return QDateTime(QDate(2026, 12, 7), QTime(14, 3, 11));
}

// Grid g solved from the sample lake's buoys, clicked at their nearest pixels,
// as the operator does on grid set-up.
inline void calibrateSampleGrid(GridSetupModel& setup, const sample::SampleScene& scene, int g)
{
    setup.setGridNumber(g);
    // The picture's size, as grid set-up notes it when the picture is shown.
    setup.setText(GridControl::PicWidth, numberText(pictureTwips(scene.picture.width())));
    setup.setText(GridControl::PicHeight, numberText(pictureTwips(scene.picture.height())));
    sample::enterSampleGrid(setup, scene);
    setup.setText(GridControl::Description, QStringLiteral("Sample grid %1").arg(g));
    ASSERT_TRUE(setup.complete());
}

struct MeasureOperator : test::Workplace {
    sample::SampleScene scene;
    QString caps = dir.file("caps");
    MeasureHandOvers screens;
    std::unique_ptr<MeasureModel> model;
    std::unique_ptr<MeasureScreen> screen;

    explicit MeasureOperator(int gridCount = 1, QSize pictureSize = {640, 480})
        : scene(sample::makeSampleScene({.size = pictureSize, .skier = true}))
    {
        shared.GridCount = gridCount;
        shared.VideoDir = dir.path();
        shared.SetupDir = dir.path();
        shared.LogFileName = "JumpMeasurementLog120726.txt";
        shared.ResultsFile = dir.file("JumpMeasurementResults120726.txt");
        shared.CapturesDir = caps;
        shared.WstimsState = WstimsLink::On;
        QDir().mkpath(kvio);
        QDir().mkpath(caps);
        settings->save(Setting::KvioDir, kvio);
        {
            GridSetupModel setup(grids, shared, *settings, prompt);
            for (int g = 1; g <= gridCount; ++g)
                calibrateSampleGrid(setup, scene, g);
        }
        // Set-up appends its block to the results file; each test starts on an empty one.
        QFile::remove(shared.ResultsFile);
        shared.CurrentGrid = 1;
        model =
            std::make_unique<MeasureModel>(grids, shared, *settings, prompt, screens, sampleTime);
        screen = std::make_unique<MeasureScreen>(*model, shared, *settings, prompt);
        screen->enter();
    }

    template <class T> T* find(const char* name)
    {
        return test::requireControl<T>(screen.get(), QString::fromLatin1(name));
    }
    QString box(const char* name) { return find<QLineEdit>(name)->text(); }
    bool shown(const char* name) { return find<QWidget>(name)->isVisible(); }
    void choose(const char* option)
    {
        QRadioButton* b = find<QRadioButton>(option);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    void type(const char* name, const QString& text)
    {
        QLineEdit* e = find<QLineEdit>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    void typeSkier(const QString& name)
    {
        QWidget* combo = find<QWidget>("Skier_name");
        auto* edit = combo->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, name);
    }
    void press(const char* name) { QTest::mouseClick(find<QAbstractButton>(name), Qt::LeftButton); }
    void menu(const char* name) { find<QAction>(name)->trigger(); }
    void clickPixel(QPoint p) { QTest::mouseClick(screen->picture(), Qt::LeftButton, {}, p); }

    // The sample jump written where the operator keeps contact pictures, and
    // loaded through "&Load Picture".
    QString loadSampleJump()
    {
        const QString path = caps + "/sample jump.bmp";
        EXPECT_TRUE(scene.picture.save(path));
        prompt.expectOpenFile(path);
        menu("LoadPict");
        return path;
    }

    QStringList results() const
    {
        return readLines(shared.ResultsFile).value_or(QStringList{"<missing>"});
    }
    QByteArray kvresult() const { return readAll(kvio + "/kvresult.dst"); }
    QByteArray kvraw() const { return readAll(kvio + "/kvraw.dst"); }
};

} // namespace korvel::test
