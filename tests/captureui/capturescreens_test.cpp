// The capture screen and the device panels as the operator meets them: every
// control by its name and caption, and one jump recorded from the test
// camera through the buttons and the Escape key.

#include "capture/capturepanels.h"
#include "capture/previewform.h"
#include "shell/namedwidgets.h"
#include "shell/textfile.h"
#include "tests/capture/capturefixture.h"
#include "tests/support/eventually.h"
#include "tests/support/workplace.h"
#include "viewers/skiernames.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace korvel;
using namespace korvel::test;

namespace
{

struct Review : CaptureScreenListener {
    QString file;
    int reviews = 0;
    void setMeasureSkier(const QString&, const QString&) override {}
    void showReview(const Jump& j) override
    {
        file = j.video;
        ++reviews;
    }
    void showMainScreen() override {}
    QString picked; // the name the selection dialog hands back
    int selections = 0;
    QString selectSkier() override
    {
        ++selections;
        return picked;
    }
};

// Every control of a table is there under its name, showing its caption
// (but those whose caption follows the state).
template <class Id>
void expectEveryControl(const QWidget& root, std::initializer_list<Id> live = {})
{
    for (const ControlRow<Id>& row : controlsOf<Id>()) {
        QObject* o = root.findChild<QObject*>(QString::fromLatin1(row.objectName));
        ASSERT_TRUE(o) << row.objectName;
        if (!row.caption || !*row.caption ||
            std::find(live.begin(), live.end(), row.id) != live.end())
            continue;
        QString shown;
        if (auto* b = qobject_cast<QAbstractButton*>(o))
            shown = b->text();
        else if (auto* l = qobject_cast<QLabel*>(o))
            shown = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(o))
            shown = g->title();
        else if (auto* a = qobject_cast<QAction*>(o))
            shown = a->text();
        else
            continue;
        EXPECT_EQ(shown, QString::fromUtf8(row.caption)) << row.objectName;
    }
}

struct CaptureScreens : ::testing::Test {
    Workplace w;
    QList<VideoDevice> cameras;
    CaptureControl control{std::make_unique<FakeDevices>(&cameras)};
    CapturePanelsModel panelsModel{control, *w.settings, w.prompt};
    CaptureScreenModel screenModel{control, panelsModel, w.shared, *w.settings, w.prompt};
    Review review;

    void SetUp() override
    {
        w.shared.VideoDir = w.dir.path();
        w.settings->save(Setting::VideoResolution, "0"); // 320 x 240
        panelsModel.populate();
        screenModel.setListener(&review);
    }
};

TEST_F(CaptureScreens, TheOperatorRecordsAJumpFromTheTestCamera)
{
    screenModel.load();
    PreviewForm form(screenModel, control);
    expectEveryControl<PreviewControl>(form);
    EXPECT_EQ(form.windowTitle(), "Korvel 2005 Capture Screen");
    form.show();
    control.setPreview(true);
    QSignalSpy pictures(&control, &CaptureControl::previewFrame);
    ASSERT_TRUE(pictures.wait(5000));
    QTest::qWait(50);
    EXPECT_FALSE(form.preview()->picture().isNull());

    auto* name = findControl<QLineEdit>(&form, PreviewControl::SkierName);
    name->clear();
    QTest::keyClicks(name, "Sam Ple");
    EXPECT_EQ(screenModel.skierName(), "Sam Ple");
    QTest::mouseClick(findControl<QPushButton>(&form, PreviewControl::StartCapture),
                      Qt::LeftButton);
    ASSERT_TRUE(screenModel.recording());
    EXPECT_FALSE(findControl<QPushButton>(&form, PreviewControl::StartCapture)->isEnabled());
    EXPECT_FALSE(findControl<QPushButton>(&form, PreviewControl::GoSetup)->isEnabled());
    ASSERT_TRUE(eventually([&] { return control.framesCaptured() >= 18; }));
    QTest::mouseClick(findControl<QPushButton>(&form, PreviewControl::Contact), Qt::LeftButton);
    const QString contact = findControl<QLabel>(&form, PreviewControl::StartFrame)->text();
    EXPECT_GT(contact.toInt(), 5);
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(screenModel.recording());
    EXPECT_EQ(review.reviews, 1);
    EXPECT_EQ(review.file, w.dir.file("Sam Plejump1.avi"));
    EXPECT_EQ(w.shared.StartFrame, contact.toInt());
    EXPECT_EQ(findControl<QLineEdit>(&form, PreviewControl::Pass)->text(), "2");
    EXPECT_TRUE(findControl<QPushButton>(&form, PreviewControl::StartCapture)->isEnabled());
    EXPECT_GE(readCounters(review.file).size(), std::size_t(contact.toInt()));
}

TEST_F(CaptureScreens, ThePanelsShowTheControlAndDisconnect)
{
    CapturePanels panels(panelsModel);
    expectEveryControl<PanelControl>(panels, {PanelControl::Connect, PanelControl::Preview});
    auto* devices = findControl<QComboBox>(&panels, PanelControl::Devices);
    EXPECT_EQ(devices->currentText(), "Korvel Test Camera");
    auto* resolution = findControl<QComboBox>(&panels, PanelControl::Resolution);
    EXPECT_EQ(resolution->currentText(), "320x240");
    EXPECT_EQ(findControl<QComboBox>(&panels, PanelControl::Compression)->currentText(), "None");
    EXPECT_EQ(findControl<QComboBox>(&panels, PanelControl::Attributes)->count(), 16);

    auto* connect = findControl<QPushButton>(&panels, PanelControl::Connect);
    EXPECT_EQ(connect->text(), "Disconnect");
    QTest::mouseClick(connect, Qt::LeftButton);
    EXPECT_EQ(connect->text(), "Connect");
    EXPECT_FALSE(resolution->isEnabled());
    EXPECT_EQ(resolution->count(), 0);
    EXPECT_FALSE(findControl<QPushButton>(&panels, PanelControl::CaptureButton)->isEnabled());
    EXPECT_FALSE(control.connected());

    // The frame rate box writes its key and names the class of rate.
    auto* rate = findControl<QLineEdit>(&panels, PanelControl::Rate);
    rate->selectAll();
    QTest::keyClicks(rate, "15");
    EXPECT_EQ(w.settings->get(Setting::FrameRate), "15");
    EXPECT_EQ(panelsModel.configText(), "Currently Configured for L");
}

} // namespace

TEST_F(CaptureScreens, ADoubleClickOnTheNamePicksOneFromTheNamesFile)
{
    screenModel.load();
    PreviewForm form(screenModel, control);
    form.show();
    auto* name = findControl<QLineEdit>(&form, PreviewControl::SkierName);

    // Without a names file the operator is told, and no list opens.
    QFile::remove(skierNamesPath());
    w.prompt.expectMessage(
        "No file of skier names called SkierNames.txt exists in the application directory");
    QTest::mouseDClick(name, Qt::LeftButton);
    EXPECT_TRUE(w.prompt.done());
    EXPECT_EQ(review.selections, 0);

    ASSERT_TRUE(writeLines(skierNamesPath(), {"Roe,Jane"}));
    review.picked = "Jane Roe";
    screenModel.setPass("3");
    QTest::mouseDClick(name, Qt::LeftButton);
    EXPECT_EQ(review.selections, 1);
    EXPECT_EQ(name->text(), "Jane Roe");
    EXPECT_EQ(findControl<QLineEdit>(&form, PreviewControl::Pass)->text(), "1");
    QFile::remove(skierNamesPath());
}
