#include "app/capturestandin.h"

#include "capture/capturecontrol.h"
#include "capture/capturepanels.h"
#include "capture/previewform.h"
#include "shell/paths.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/sharedstate.h"
#include "viewers/selectskierscreen.h"

#include <QDir>
#include <QLayout>
#include <QPushButton>
#include <QStandardPaths>

namespace korvel
{

namespace
{

class StandIn : public CaptureScreenListener
{
public:
    StandIn(SharedState& shared, Prompt& prompt, CapturePanels& panels, PreviewForm*& form)
        : m_shared(shared), m_prompt(prompt), m_panels(panels), m_form(form)
    {
    }
    void setMeasureSkier(const QString&, const QString&) override {}
    void showReview(const QString& file) override
    {
        if (file.isEmpty())
            return;
        m_prompt.message(QStringLiteral("The jump was recorded to %1: %2 frames, contact at frame "
                                        "%3. The review screen takes it from here once the main "
                                        "screen joins the capture screen.")
                             .arg(file)
                             .arg(m_shared.FramesCaptured)
                             .arg(m_shared.StartFrame));
    }
    void showMainScreen() override
    {
        m_form->hide();
        m_panels.show();
        m_panels.raise();
    }
    QString selectSkier() override
    {
        QString chosen;
        SelectSkierScreen dialog(m_prompt, m_form);
        QObject::connect(&dialog, &SelectSkierScreen::skierChosen,
                         [&chosen](const QString& name) { chosen = name; });
        dialog.exec();
        return chosen;
    }

private:
    SharedState& m_shared;
    Prompt& m_prompt;
    CapturePanels& m_panels;
    PreviewForm*& m_form;
};

} // namespace

int runCaptureStandIn(QApplication& app, Settings& settings, Prompt& prompt)
{
    SharedState shared;
    shared.VideoDir = StripTrailingBackslash(settings.get(QStringLiteral("logpath")));
    if (shared.VideoDir.isEmpty() || !PathExists(shared.VideoDir, PathKind::Folder)) {
        shared.VideoDir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                          QStringLiteral("/korvel/videos");
        QDir().mkpath(shared.VideoDir);
    }
    CaptureControl control(systemDevices(),
                           settings.get(QStringLiteral("testcamera")) == QLatin1String("1")
                               ? CaptureControl::TestCameraListing::Always
                               : CaptureControl::TestCameraListing::WhenNoCamera);
    CapturePanelsModel panelsModel(control, settings, prompt);
    CaptureScreenModel screenModel(control, panelsModel, shared, settings, prompt);
    panelsModel.populate();
    CapturePanels panels(panelsModel);
    panels.setWindowTitle(QStringLiteral("Korvel 2005"));
    PreviewForm* form = nullptr;
    StandIn standIn(shared, prompt, panels, form);
    screenModel.setListener(&standIn);
    screenModel.load();
    PreviewForm screen(screenModel, control);
    form = &screen;
    QPushButton* back = new QPushButton(QStringLiteral("Proceed to Capture Video"), &panels);
    back->setObjectName(QStringLiteral("cmdGoCapture"));
    panels.layout()->addWidget(back);
    QObject::connect(back, &QPushButton::clicked, [&] {
        shared.LastScreen = ScreenTag::Setup;
        control.setPreview(true);
        panels.hide();
        screen.show();
    });
    shared.LastScreen = ScreenTag::Setup;
    control.setPreview(true);
    screen.show();
    QObject::connect(&app, &QApplication::lastWindowClosed, &app, &QApplication::quit);
    return app.exec();
}

} // namespace korvel
