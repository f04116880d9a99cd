#include "app/hub.h"

#include "app/placement.h"
#include "capture/capturepanels.h"
#include "capture/previewform.h"
#include "grid/sample/lakescene.h"
#include "measure/recordjournal.h"
#include "shell/paths.h"
#include "shell/pictureview.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textrules.h"
#include "shell/twips.h"
#include "viewers/selectskierscreen.h"

#include <QApplication>
#include <QLayout>
#include <QScreen>

namespace korvel
{

Hub::Hub(Settings& settings, Prompt& prompt, MagnifierStarter magnifier)
    : m_settings(settings), m_prompt(prompt), m_setupModel(m_grids, m_shared, settings, prompt),
      m_measureModel(m_grids, m_shared, settings, prompt, m_measureSide),
      m_mainModel(m_shared, settings, prompt, *this, *this),
      m_configModel(m_shared, settings, prompt, m_grids, m_setupModel, m_mainModel,
                    std::move(magnifier)),
      m_line(prompt),
      m_control(systemDevices(), settings.get(Setting::TestCamera) == QLatin1String("1")
                                     ? CaptureControl::TestCameraListing::Always
                                     : CaptureControl::TestCameraListing::WhenNoCamera),
      m_panelsModel(m_control, settings, prompt),
      m_captureModel(m_control, m_panelsModel, m_shared, settings, prompt), m_main(m_mainModel),
      m_config(m_configModel), m_setup(m_setupModel, m_shared, settings, prompt),
      m_measure(m_measureModel, m_shared, settings, prompt), m_calibration(m_line),
      m_review(m_shared, settings, prompt, m_reviewSide),
      m_videoLog(LogKind::Video, m_shared, prompt, *this),
      m_pictureLog(LogKind::Picture, m_shared, prompt, *this), m_manual(prompt)
{
    m_setupModel.setListener(this);
    m_panelsModel.setGridPictureSizes([this] {
        QList<QSize> sizes;
        for (int g = 1; g <= m_shared.GridCount && g <= 3; ++g)
            if (m_grids.gridReady[g] && m_grids.pictureSize[g].isValid())
                sizes << m_grids.pictureSize[g];
        return sizes;
    });
    m_configModel.setListener(&m_configSide);
    m_review.model().setCaptureFields(&m_captureFields);
    // The proposed first contact is looked for between the buoys of the grid in use.
    m_review.model().setLandingArea([this]() -> std::optional<LandingArea> {
        const int g = std::clamp(m_shared.CurrentGrid, 1, 3);
        if (!m_grids.gridReady[g])
            return std::nullopt;
        LandingArea area;
        for (int slot : {UpperRight, LowerRight, LowerLeft, UpperLeft})
            area.buoys << QPointF(m_grids.table[g][rec::slotBase(slot)],
                                  m_grids.table[g][rec::slotBase(slot) + 1]) /
                              kTwipsPerPixel;
        area.picture = m_grids.pictureSize[g];
        return area;
    });
    m_captureModel.setListener(this);
    // The device panels live in the main screen's area for them, shown and
    // hidden by its "Show Video Configuration".
    m_panels = new CapturePanels(m_panelsModel, m_main.devicePanelHost());
    m_main.devicePanelHost()->layout()->addWidget(m_panels);
    m_capture = std::make_unique<PreviewForm>(m_captureModel, m_control);
    m_calibration.setPictures({m_measure.picture(), m_setup.picture()});
    QObject::connect(&m_manual, &ManualScreen::done, &m_main, [this] { m_main.enter(); });
}

Hub::~Hub()
{
    // The capture screen goes before the control it watches; the device
    // lets go of the camera.
    m_capture.reset();
    m_control.disconnectDevice();
}

bool Hub::start(const std::function<void()>& afterReset)
{
    placeScreens();
    if (!m_mainModel.startUp(afterReset))
        return false;
    // A Record cut short by a kill or a power cut is completed before the
    // day goes on, and the operator hears what was missing.
    if (const auto r = completeInterruptedRecord(recordJournalFolder(m_settings)))
        m_prompt.message(recoveryMessage(*r), QString(), Icon::Exclamation);
    m_main.sync();
    m_captureModel.load();
    show(Screen::Config);
    return true;
}

void Hub::show(Screen s)
{
    switch (s) {
    case Screen::Main:
        m_main.enter();
        return;
    case Screen::Config:
        m_config.enter();
        return;
    case Screen::GridSetup:
        showGridSetup();
        return;
    case Screen::Measure:
        m_measure.model().selectGrid(m_shared.CurrentGrid);
        // A newcomer without a contact frame of their own measures the sample jump.
        if (m_shared.LastScreen != ScreenTag::SelectFrame && !m_measure.picture()->hasPicture())
            m_measure.freezePicture(sample::makeSampleScene({.skier = true}).picture,
                                    QStringLiteral("Sample jump"));
        m_measure.enter();
        return;
    case Screen::Review:
        m_review.enter();
        return;
    case Screen::LogView:
        m_videoLog.open();
        return;
    case Screen::PictureLogView:
        m_pictureLog.open();
        return;
    case Screen::Manual:
        m_manual.show();
        m_manual.raise();
        return;
    case Screen::Capture:
        m_control.setPreview(true);
        m_capture->show();
        m_capture->raise();
        m_capture->activateWindow();
        return;
    }
}

void Hub::placeScreens()
{
    const QScreen* screen = m_main.screen();
    if (!screen)
        return;
    // The part of the screen windows may use, without the desktop's panels.
    const QRect desktop = screen->availableGeometry();
    // Sizes as the windows will open (one never resized opens at its size
    // hint, taken when it is first shown); a window never placed opens at the
    // desktop's top left.
    const auto openingSize = [](const QWidget& w) {
        return w.testAttribute(Qt::WA_Resized) ? w.frameGeometry().size() : w.sizeHint();
    };
    const QPoint mainAt = m_main.testAttribute(Qt::WA_Moved) ? m_main.pos() : desktop.topLeft();
    const StartPlacement p =
        placeAtStart(QRect(mainAt, openingSize(m_main)), openingSize(*m_capture).width(), desktop);
    // Window systems that place windows themselves (Wayland) may not follow.
    m_main.move(p.main);
    m_capture->move(p.capture);
}

void Hub::quit()
{
    QApplication::quit();
}

void Hub::setPreview(bool on)
{
    m_control.setPreview(on);
}

void Hub::setCaptureSkierName(const QString& name)
{
    m_captureModel.setSkierName(name);
}

void Hub::populate()
{
    // Fills the lists, connects the saved device and selects its compressor.
    m_panelsModel.populate();
}

double Hub::frameRate() const
{
    return leadingNumber(m_panelsModel.rateText());
}

void Hub::setMeasureSkier(const QString& name, const QString& jump)
{
    m_measure.model().setText(MeasureControl::SkierName, name);
    m_measure.model().setText(MeasureControl::JumpNo, jump);
    m_measure.sync();
}

void Hub::showReview(const Jump& jump)
{
    // LastScreen, the contact frame, the frame count and rate are set by the
    // capture screen; review opens the recording at the contact frame.
    m_review.model().setJump(jump);
    m_capture->hide();
    m_review.enter();
}

void Hub::showMainScreen()
{
    m_capture->hide();
    m_main.enter();
}

QString Hub::selectSkier()
{
    SelectSkierScreen dialog(m_prompt, m_capture.get());
    return dialog.pick().value_or(QString());
}

void Hub::showCapture()
{
    show(Screen::Capture);
}

void Hub::gridActivated(int g, const QString& description, bool)
{
    m_mainModel.gridActivated(g, description);
    m_main.sync();
}

void Hub::gridChanged(int g)
{
    m_mainModel.gridChanged(g);
    m_main.sync();
}

void Hub::gridDescriptionSaved(int g, const QString& description)
{
    m_mainModel.gridDescriptionSaved(g, description);
    m_main.sync();
    m_measure.model().gridDescriptionSaved(g, description);
    m_measure.sync();
}

void Hub::gridSetupLeft(bool allReady)
{
    // Grid 1 is current again and the measure screen is prepared for it.
    if (allReady)
        m_measure.model().selectGrid(m_shared.CurrentGrid);
    m_main.enter();
}

bool Hub::openCalibration()
{
    const int g = m_setup.model().gridNumber();
    m_calibration.open([this, g]() -> std::optional<ActiveGrid> {
        if (!m_grids.gridReady[g])
            return std::nullopt;
        return ActiveGrid::fromRecord(m_grids, g);
    });
    return true;
}

void Hub::backToMainScreen()
{
    m_main.enter();
}

void Hub::openPictureLog()
{
    m_pictureLog.open();
}

void Hub::openMeasureCalibration()
{
    // The measure screen's own "&Calibrate" uses the grid chosen there.
    m_calibration.open([this]() -> std::optional<ActiveGrid> {
        const ActiveGrid& a = m_measure.model().activeGrid();
        if (!m_grids.gridReady[a.number])
            return std::nullopt;
        return a;
    });
}

void Hub::showMeasure()
{
    // The frame chosen on review: measured under its jump's skier and attempt.
    if (m_shared.LastScreen == ScreenTag::SelectFrame)
        m_measure.model().takeJump(m_review.model().jump());
    show(Screen::Measure);
}

void Hub::showGridSetup()
{
    // Without an exported frame of their own, grid set-up shows the sample
    // lake; drawn when first needed, not at every start.
    if (m_shared.LastScreen != ScreenTag::SelectFrame && !m_setup.picture()->hasPicture() &&
        !PathExists(joinPath(programFolder(), QStringLiteral("currentcapture.bmp")),
                    PathKind::File))
        m_setup.setBackground(sample::makeSampleScene().picture);
    m_setup.enter();
}

void Hub::openLogViewer()
{
    m_videoLog.open();
}

bool Hub::viewVideo(const QString& path)
{
    m_shared.LastScreen = ScreenTag::View;
    m_review.model().setFileToView(path);
    m_review.enter();
    m_main.hide();
    return true;
}

bool Hub::reviewMeasuredVideo(const QString& video, std::optional<qint64> frame)
{
    m_shared.LastScreen = ScreenTag::View;
    m_review.model().setFileToView(video, JumpSource::Log, frame);
    m_review.enter();
    m_measure.hide();
    m_main.hide();
    return true;
}

bool Hub::showPictureOnMeasure(const QString& path)
{
    if (!path.isEmpty() && !m_measure.showPictureFile(path))
        return false;
    m_measure.model().selectGrid(m_shared.CurrentGrid);
    m_measure.enter();
    m_main.hide();
    return true;
}

void Hub::tournamentTypeChanged()
{
    m_measure.sync();
}

void Hub::coloursChanged()
{
    m_measure.applyColours();
}

void Hub::skierNamesLoaded(const QStringList& names)
{
    m_measure.setSkierNames(names);
}

void Hub::showMainScreenFromConfig()
{
    m_main.enter();
}

} // namespace korvel
