#include "app/mainscreen.h"

#include "shell/statepictures.h"

#include "shell/namedwidgets.h"
#include "shell/paths.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvel
{

MainScreen::MainScreen(MainModel& model, QWidget* parent) : QMainWindow(parent), m_model(model)
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Korvel 2005"));

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);

    auto* frame = make<QGroupBox>(central, MainControl::Frame1);
    auto* grid = new QGridLayout(frame);
    int r = 0;
    for (MainCommand c :
         {MainCommand::cmdGoCapture, MainCommand::cmdGoTimer, MainCommand::ccmdGoToMeasure,
          MainCommand::cmdConfigure, MainCommand::cmdSetup}) {
        auto* b = make<QPushButton>(frame, c);
        connect(b, &QPushButton::clicked, this, [this, c] { run(c); });
        grid->addWidget(b, r++, 0, 1, 3);
    }

    const MainControl labels[] = {MainControl::lblGrid1, MainControl::lblGrid2,
                                  MainControl::lblGrid3};
    const MainControl images[] = {MainControl::ImageGrid1, MainControl::ImageGrid2,
                                  MainControl::ImageGrid3};
    for (int g = 1; g <= 3; ++g) {
        m_gridImages[g] = make<QLabel>(frame, images[g - 1]);
        m_gridImages[g]->setFixedSize(32, 32);
        m_gridImages[g]->setScaledContents(true);
        m_gridLabels[g] = make<QLabel>(frame, labels[g - 1]);
        grid->addWidget(m_gridImages[g], r, 0);
        grid->addWidget(m_gridLabels[g], r, 1);
        ++r;
    }
    m_descriptions = make<QPlainTextEdit>(frame, MainControl::txtGridDescription);
    m_descriptions->setReadOnly(true);
    m_descriptions->setMaximumHeight(70);
    grid->addWidget(m_descriptions, r++, 0, 1, 3);

    grid->addWidget(make<QLabel>(frame, MainControl::Label2), r++, 0, 1, 3);
    m_videoDir = make<QLineEdit>(frame, MainControl::txtVideoDir);
    connect(m_videoDir, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_model.setVideoDirText(t);
        sync();
    });
    grid->addWidget(m_videoDir, r++, 0, 1, 3);
    m_videoDirLabel = make<QLabel>(frame, MainControl::lblVideodir);
    grid->addWidget(m_videoDirLabel, r++, 0, 1, 3);
    for (MainCommand c :
         {MainCommand::btnChangeDirectory, MainCommand::cmdImport, MainCommand::cmdShowConfig}) {
        auto* b = make<QPushButton>(frame, c);
        connect(b, &QPushButton::clicked, this, [this, c] { run(c); });
        grid->addWidget(b, r++, 0, 1, 3);
        if (c == MainCommand::cmdShowConfig)
            m_showConfig = b;
    }
    m_barefoot = make<QCheckBox>(frame, MainControl::cb15);
    connect(m_barefoot, &QCheckBox::clicked, this, [this](bool on) {
        m_model.setBarefootTiming(on);
        sync();
    });
    grid->addWidget(m_barefoot, r++, 0, 1, 3);
    m_config = make<QLabel>(frame, MainControl::lblConfig);
    grid->addWidget(m_config, r++, 0, 1, 3);
    frame->setMinimumWidth(330);
    row->addWidget(frame);

    // The capture device panels: filled by the capture control, shown on demand.
    auto* side = new QVBoxLayout;
    m_devicePanels = new QWidget(central);
    m_devicePanels->setLayout(new QVBoxLayout);
    m_devicePanels->layout()->setContentsMargins(0, 0, 0, 0);
    side->addWidget(m_devicePanels, 1);
    m_status = make<QLabel>(central, MainControl::LblStatus);
    side->addWidget(m_status);
    row->addLayout(side);
    setCentralWidget(central);

    for (MainCommand c : {MainCommand::mnuViewLog, MainCommand::mnuPictureLog,
                          MainCommand::munManual, MainCommand::mnuExit}) {
        auto* a = make<QAction>(menuBar(), c);
        connect(a, &QAction::triggered, this, [this, c] { run(c); });
        menuBar()->addAction(a);
    }
    sync();
}

void MainScreen::run(MainCommand c)
{
    m_model.run(c);
    sync();
}

void MainScreen::setStatusText(const QString& text)
{
    m_status->setText(text);
}

void MainScreen::enter()
{
    m_model.shown();
    sync();
    show();
    raise();
    activateWindow();
}

void MainScreen::sync()
{
    if (m_videoDir->text() != m_model.videoDirText())
        m_videoDir->setText(m_model.videoDirText());
    m_videoDirLabel->setText(m_model.videoDirLabel());
    m_barefoot->setChecked(m_model.barefootTiming());
    m_config->setText(m_model.configLabel());
    m_showConfig->setText(m_model.showConfigCaption());
    m_devicePanels->setVisible(m_model.devicePanelsShown());
    m_status->setVisible(m_model.devicePanelsShown());

    QStringList descriptions;
    for (int g = 1; g <= 3; ++g) {
        const GridIndicator& i = m_model.grid(g);
        m_gridLabels[g]->setText(i.label);
        m_gridLabels[g]->setVisible(i.visible);
        m_gridImages[g]->setVisible(i.visible);
        m_gridImages[g]->setPixmap(QPixmap::fromImage(
            statePicture(i.image == GridImage::Smiley ? StatePicture::SmallSmiley
                                                      : StatePicture::SmallCaution)));
        if (i.visible)
            descriptions << i.description;
    }
    const QString text = descriptions.join(QLatin1Char('\n'));
    if (m_descriptions->toPlainText() != text)
        m_descriptions->setPlainText(text);
}

void MainScreen::closeEvent(QCloseEvent* e)
{
    // Closing the hub ends the program, as "E&xit" does.
    e->accept();
    m_model.run(MainCommand::mnuExit);
}

} // namespace korvel
