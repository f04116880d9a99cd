#include "grid/gridsetupscreen.h"
#include "shell/namedwidgets.h"

#include "shell/arrowkeys.h"
#include "shell/colours.h"
#include "shell/draghandle.h"
#include "shell/paths.h"
#include "shell/picturefile.h"
#include "shell/pictureview.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/statepictures.h"
#include "shell/textrules.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel
{

namespace
{

using C = GridControl;

const GridControl kMarkerOptions[kMarkerCount] = {C::UpperLeftOption, C::UpperRightOption,
                                                  C::LowerLeftOption, C::LowerRightOption,
                                                  C::CheckBuoyOption};

} // namespace

GridSetupScreen::GridSetupScreen(GridSetupModel& model, SharedState& shared, Settings& settings,
                                 Prompt& prompt, QWidget* parent)
    : QMainWindow(parent), m_model(model), m_shared(shared), m_settings(settings), m_prompt(prompt)
{
    setObjectName(QStringLiteral("Grid_Setup"));
    setWindowTitle(QStringLiteral("Grid Setup"));
    m_model.setPainter(this);

    m_picture = installPictureAndPanel(this, buildPanel());
    buildOverlays();
    buildMenus();

    connect(m_picture, &PictureView::pressed, this, [this](QPointF t, Qt::MouseButton b) {
        if (b != Qt::LeftButton)
            return;
        m_model.clickPicture(t.x(), t.y());
        sync();
    });

    // Arrow keys move the chosen marker (all of them when locked) a pixel a poll.
    m_keyTimer = makeKeyTimer(
        this,
        [this](ArrowKeys::Key k) {
            const QPoint d = arrowStep(k);
            m_model.adjust(d.x() * kTwipsPerPixel, d.y() * kTwipsPerPixel);
        },
        [this] { sync(); });

    // Form load: Standard grades, no grid valid yet, nothing drawn.
    m_optStandard->setChecked(true);
    m_optHomLevel->setChecked(true);
    m_eraseRadius = 2 * m_crossSize->value();
    m_model.clear_accuracy_indicator();
    sync();
    // Large enough for the blank picture; each picture shown grows it to fit.
    m_picture->fitWindow();
}

GridSetupScreen::~GridSetupScreen()
{
    m_model.setPainter(nullptr);
}

QWidget* GridSetupScreen::buildPanel()
{
    auto* panel = new QWidget;
    panel->setFixedWidth(380);
    auto* v = new QVBoxLayout(panel);

    auto* top = new QHBoxLayout;
    m_stateIcon = make<QLabel>(panel, C::StateIcon);
    m_stateIcon->setFixedSize(34, 34);
    top->addWidget(m_stateIcon);
    m_gridSelect = make<QPushButton>(panel, C::GridSelect);
    m_complete = make<QPushButton>(panel, C::Complete);
    auto* draw = make<QPushButton>(panel, C::DrawBuoys);
    top->addWidget(m_gridSelect);
    top->addWidget(m_complete);
    top->addWidget(draw);
    v->addLayout(top);

    auto* frame = make<QGroupBox>(panel, C::MarkerFrame);
    auto* fl = new QGridLayout(frame);
    m_markerGroup = new QButtonGroup(this);
    for (int k = 0; k < kMarkerCount; ++k) {
        m_markerOptions[k] = make<QRadioButton>(frame, kMarkerOptions[k]);
        // The options never take the keyboard: the arrow keys move markers,
        // they must not also move the choice to another marker.
        m_markerOptions[k]->setFocusPolicy(Qt::NoFocus);
        m_markerGroup->addButton(m_markerOptions[k], k);
        fl->addWidget(m_markerOptions[k], k / 2, k % 2);
    }
    v->addWidget(frame);
    // Clicked, not toggled: choosing the marker already chosen also hands the
    // keyboard to the file description.
    connect(m_markerGroup, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.selectMarker(static_cast<Marker>(id));
        m_fileName->setFocus();
    });

    m_snapStatus = make<QLabel>(panel, C::SnapStatus);
    m_snapStatus->setWordWrap(true);
    m_snapStatus->hide();
    v->addWidget(m_snapStatus);

    m_lock = make<QCheckBox>(panel, C::Lock);
    v->addWidget(m_lock);
    connect(m_lock, &QCheckBox::toggled, this, [this](bool on) {
        if (on != m_model.locked() && !m_model.setLocked(on)) {
            const QSignalBlocker block(m_lock);
            m_lock->setChecked(false);
        }
        sync();
    });

    // The boxes: screen x,y and survey x,y of each corner, jump and check buoy.
    // Screen positions come from the markers; typing there moves nothing.
    auto box = [this, panel](GridControl id, bool readOnly) {
        auto* e = m_binder.bind(id, make<QLineEdit>(panel, id));
        e->setReadOnly(readOnly);
        return e;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(make<QLabel>(panel, C::ScreenHeading), 0, 1, 1, 2);
    grid->addWidget(make<QLabel>(panel, C::SurveyHeading), 0, 3, 1, 2);
    const struct {
        GridControl label;
        Marker marker;
    } corners[] = {{C::UpperLeftLabel, Marker::UpperLeft},
                   {C::UpperRightLabel, Marker::UpperRight},
                   {C::LowerLeftLabel, Marker::LowerLeft},
                   {C::LowerRightLabel, Marker::LowerRight}};
    int r = 1;
    for (const auto& corner : corners) {
        grid->addWidget(make<QLabel>(panel, corner.label), r, 0);
        const BoxPair screen = screenBoxes(corner.marker);
        const BoxPair survey = surveyBoxes(corner.marker);
        grid->addWidget(box(screen.x, true), r, 1);
        grid->addWidget(box(screen.y, true), r, 2);
        grid->addWidget(box(survey.x, false), r, 3);
        grid->addWidget(box(survey.y, false), r, 4);
        ++r;
    }
    grid->addWidget(make<QLabel>(panel, C::JumpLabel), r, 0);
    grid->addWidget(box(C::JumpX, false), r, 3);
    grid->addWidget(box(C::JumpY, false), r, 4);
    ++r;
    grid->addWidget(make<QLabel>(panel, C::CheckLabel), r, 0);
    grid->addWidget(box(C::CheckXPix, true), r, 1);
    grid->addWidget(box(C::CheckYPix, true), r, 2);
    grid->addWidget(box(C::CheckX, false), r, 3);
    grid->addWidget(box(C::CheckY, false), r, 4);
    ++r;
    grid->addWidget(make<QLabel>(panel, C::ScreenFooter), r, 1, 1, 2);
    grid->addWidget(make<QLabel>(panel, C::SurveyFooter), r, 3, 1, 2);
    v->addLayout(grid);

    auto* files = new QGridLayout;
    m_fileName = box(C::FileName, false);
    files->addWidget(m_fileName, 0, 0, 1, 2);
    files->addWidget(box(C::Description, false), 1, 0, 1, 2);
    files->addWidget(box(C::PicWidth, true), 2, 0);
    files->addWidget(box(C::PicHeight, true), 2, 1);
    v->addLayout(files);

    m_accuracyButton = make<QPushButton>(panel, C::AccuracyCheck);
    v->addWidget(m_accuracyButton);
    m_accuracyDisplay = make<QGroupBox>(panel, C::AccuracyDisplay);
    auto* ad = new QHBoxLayout(m_accuracyDisplay);
    m_optStandard = make<QRadioButton>(m_accuracyDisplay, C::Standard);
    m_optAdvanced = make<QRadioButton>(m_accuracyDisplay, C::Advanced);
    ad->addWidget(m_optStandard);
    ad->addWidget(m_optAdvanced);
    v->addWidget(m_accuracyDisplay);
    m_accuracyConfig = make<QGroupBox>(panel, C::AccuracyConfig);
    auto* ac = new QHBoxLayout(m_accuracyConfig);
    m_optDistance = make<QRadioButton>(m_accuracyConfig, C::ShowDistance);
    m_optDetail = make<QRadioButton>(m_accuracyConfig, C::ShowDetail);
    m_optHomLevel = make<QRadioButton>(m_accuracyConfig, C::ShowGrades);
    ac->addWidget(m_optDistance);
    ac->addWidget(m_optDetail);
    ac->addWidget(m_optHomLevel);
    v->addWidget(m_accuracyConfig);
    v->addStretch(1);

    connect(m_complete, &QPushButton::clicked, this, [this] {
        m_model.complete();
        sync();
    });
    connect(m_gridSelect, &QPushButton::clicked, this, [this] {
        m_model.grid_select();
        sync();
    });
    connect(draw, &QPushButton::clicked, this, [this] {
        m_picture->update();
        Show_grid();
    });
    connect(m_accuracyButton, &QPushButton::clicked, this, &GridSetupScreen::runAccuracyCheck);
    connect(m_optAdvanced, &QRadioButton::toggled, this, [this](bool on) {
        m_model.setAdvancedAccuracy(on);
        sync();
    });
    const std::pair<QRadioButton*, AccuracyDisplay> displays[] = {
        {m_optDistance, AccuracyDisplay::Distance},
        {m_optDetail, AccuracyDisplay::Detail},
        {m_optHomLevel, AccuracyDisplay::Grades}};
    for (const auto& [option, shown] : displays) {
        connect(option, &QRadioButton::toggled, this, [this, display = shown](bool on) {
            if (on)
                m_model.setAccuracyDisplay(display);
        });
    }
    return panel;
}

void GridSetupScreen::buildOverlays()
{
    // Groups that float over the picture, each dragged by its label.
    auto makeGroup = [this](GridControl handleId, QPoint at) {
        auto* group = new QWidget(m_picture);
        group->setAutoFillBackground(true);
        auto* lay = new QVBoxLayout(group);
        lay->setContentsMargins(2, 2, 2, 2);
        auto* handle = make<QLabel>(group, handleId);
        handle->setStyleSheet(QStringLiteral("background: black; color: white; padding: 1px 3px;"));
        lay->addWidget(handle);
        new DragHandle(handle, group);
        group->move(at);
        return std::pair{group, lay};
    };

    auto [adjust, adjustLayout] = makeGroup(C::AdjustHandle, {8, 8});
    auto* arrows = new QGridLayout;
    const struct {
        GridControl id;
        Qt::ArrowType type;
        int row, col;
        ArrowKeys::Key key;
    } arrowButtons[] = {{C::AdjustUp, Qt::UpArrow, 0, 1, ArrowKeys::Up},
                        {C::AdjustLeft, Qt::LeftArrow, 1, 0, ArrowKeys::Left},
                        {C::AdjustRight, Qt::RightArrow, 1, 2, ArrowKeys::Right},
                        {C::AdjustDown, Qt::DownArrow, 2, 1, ArrowKeys::Down}};
    for (const auto& a : arrowButtons) {
        auto* b = make<QToolButton>(adjust, a.id);
        b->setArrowType(a.type);
        b->setFocusPolicy(Qt::NoFocus);
        arrows->addWidget(b, a.row, a.col);
        const QPoint d = arrowStep(a.key);
        connect(b, &QToolButton::clicked, this, [this, d] {
            m_model.adjust(d.x() * kTwipsPerPixel, d.y() * kTwipsPerPixel);
            sync();
        });
    }
    adjustLayout->addLayout(arrows);

    // Beside the arrows: the chosen marker to the centre of the buoy under
    // it. What happened shows on a line of the panel, not in a message box:
    // the operator goes on with the arrows or the next buoy without a click.
    auto* snap = make<QPushButton>(adjust, C::SnapBuoy);
    snap->setFocusPolicy(Qt::NoFocus);
    snap->setToolTip(QStringLiteral("Moves the chosen marker to the centre of the buoy under "
                                    "it (Ctrl+B)"));
    adjustLayout->addWidget(snap);
    adjust->adjustSize();
    connect(snap, &QPushButton::clicked, this, &GridSetupScreen::snapToBuoy);
    // Ctrl: the keyboard sits in the file description box, where a plain
    // letter is typed.
    auto* key = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    connect(key, &QShortcut::activated, this, &GridSetupScreen::snapToBuoy);

    auto [cross, crossLayout] = makeGroup(C::CrossSizeHandle, {8, 156});
    m_crossSize = make<QScrollBar>(cross, C::CrossSize, Qt::Horizontal);
    // Twips: from one pixel to twenty, six to begin with.
    m_crossSize->setRange(15, 300);
    m_crossSize->setSingleStep(15);
    m_crossSize->setValue(90);
    crossLayout->addWidget(m_crossSize);
    cross->adjustSize();

    auto [lock, lockLayout] = makeGroup(C::LockHandle, {8, 216});
    auto* locked = make<QLabel>(lock, C::LockedNotice);
    locked->setStyleSheet(
        QStringLiteral("background: red; color: white; font-weight: bold; padding: 2px;"));
    new DragHandle(locked, lock);
    lockLayout->addWidget(locked);
    lock->adjustSize();
    m_lockNotice = lock;
    m_lockNotice->hide();

    m_cbHint = make<QLabel>(m_picture, C::CheckBuoyHint);
    m_cbHint->setStyleSheet(QStringLiteral("color: white;"));
    m_cbHint->adjustSize();
    m_cbHint->hide();

    for (int k = 0; k < 51; ++k) {
        auto* l = make<QLabel>(m_picture, C::AccuracyIndicator);
        l->setProperty("index", k);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->hide();
        m_indicators[k] = l;
    }
    for (int k = 0; k < 11; ++k) {
        auto* l = make<QLabel>(m_picture, C::LineLabel);
        l->setText(QString::number(k + 1));
        l->setProperty("index", k);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->hide();
        m_lineLabels[k] = l;
    }
}

void GridSetupScreen::buildMenus()
{
    QMenuBar* bar = menuBar();
    QAction* load = make<QAction>(this, C::LoadFile);
    bar->addAction(load);
    QMenu* pictureMenu = make<QMenu>(bar, C::PictureMenu);
    bar->addMenu(pictureMenu);
    QAction* loadPicture = make<QAction>(this, C::LoadPicture);
    QAction* clearPicture = make<QAction>(this, C::ClearPicture);
    QAction* paste = make<QAction>(this, C::Paste);
    pictureMenu->addAction(loadPicture);
    pictureMenu->addAction(clearPicture);
    pictureMenu->addAction(paste);
    QAction* save = make<QAction>(this, C::Save);
    QAction* calibrate = make<QAction>(this, C::Calibrate);
    QAction* exitAction = make<QAction>(this, C::Exit);
    bar->addAction(save);
    bar->addAction(calibrate);
    bar->addAction(exitAction);

    connect(load, &QAction::triggered, this, [this] {
        m_model.gridLoadCommand();
        sync();
        if (m_model.gridValid())
            redrawBuoys();
    });
    connect(save, &QAction::triggered, this, [this] {
        m_model.gridSaveCommand();
        sync();
    });
    connect(loadPicture, &QAction::triggered, this, &GridSetupScreen::loadPictureFromFile);
    connect(clearPicture, &QAction::triggered, this, [this] { m_picture->clearPicture(); });
    connect(paste, &QAction::triggered, this, &GridSetupScreen::pastePicture);
    connect(calibrate, &QAction::triggered, this, [this] {
        if (!m_model.listener() || !m_model.listener()->openCalibration())
            m_prompt.message(
                QStringLiteral("The calibration line tool cannot be opened from here."));
    });
    connect(exitAction, &QAction::triggered, this, &GridSetupScreen::leave);
}

QColor GridSetupScreen::markerColour() const
{
    return QColor::fromRgb(QRgb(labelColour(m_settings.get(Setting::LabelColor, QString()))));
}

double GridSetupScreen::markerSize() const
{
    return m_crossSize->value();
}

void GridSetupScreen::enter()
{
    if (m_shared.LastScreen == ScreenTag::SelectFrame) {
        const QString path = joinPath(programFolder(), QStringLiteral("currentcapture.bmp"));
        QString why;
        const QImage frame = readPictureFile(path, &why);
        if (frame.isNull())
            m_prompt.message(QStringLiteral("The exported frame could not be loaded:\n") + path +
                             QLatin1Char('\n') + why);
        else
            setBackground(frame);
        if (auto* checked = m_markerGroup->checkedButton()) {
            m_markerGroup->setExclusive(false);
            checked->setChecked(false);
            m_markerGroup->setExclusive(true);
        }
        m_model.selectMarker(std::nullopt);
    }
    // Grids loaded or solved while the screen was hidden (the configuration
    // load at start) show as they are, whatever picture is in the background.
    sync();
    redrawBuoys();
    m_keyTimer->start();
    show();
}

void GridSetupScreen::setBackground(const QImage& picture)
{
    m_picture->setPicture(picture);
    m_model.setBackgroundSize(picture.size());
    m_model.setText(C::PicWidth, numberText(pictureTwips(picture.width())));
    m_model.setText(C::PicHeight, numberText(pictureTwips(picture.height())));
    sync();
    redrawBuoys();
}

void GridSetupScreen::loadPictureFromFile()
{
    const auto path = m_prompt.openFile(
        QStringLiteral("Load Picture"),
        QStringLiteral(
            "All Files (*.*)|*.*|Text Files (*.txt)|*.txt|Jump Picture Files (*.gif)|*.gif|"
            "Jump Picture Files (*.bmp)|*.bmp|Jump Picture Files (*.jpg)|*.jpg|"),
        m_shared.CapturesDir);
    if (!path)
        return;
    QString why;
    const QImage img = readPictureFile(*path, &why);
    if (img.isNull()) {
        m_prompt.message(QStringLiteral("This file is not a picture korvel can show:\n") + *path +
                             QLatin1Char('\n') + why,
                         QString(), Icon::Exclamation);
        return;
    }
    setBackground(img);
}

void GridSetupScreen::pastePicture()
{
    const QImage img = QGuiApplication::clipboard()->image();
    if (img.isNull()) {
        m_prompt.message(QStringLiteral("The clipboard holds no picture to paste."));
        return;
    }
    setBackground(img);
}

void GridSetupScreen::snapToBuoy()
{
    m_model.snapToBuoy(m_picture->picture());
    sync();
}

void GridSetupScreen::runAccuracyCheck()
{
    m_model.accuracyCheck();
    sync();
}

void GridSetupScreen::placeIndicators()
{
    const auto& lattice = m_model.lattice();
    const QString colour = QStringLiteral("color: %1; background: transparent; font-weight: bold;")
                               .arg(markerColour().name());
    for (int k = 0; k < 51; ++k) {
        QLabel* l = m_indicators[k];
        const bool visible = lattice && k < 49 && m_model.indicatorVisible(k);
        if (visible) {
            const LatticePoint& p = lattice->points[k / 7][k % 7];
            l->setText(p.caption.trimmed());
            l->setStyleSheet(colour);
            l->adjustSize();
            m_picture->placeAt(l, {p.labelPos.x, p.labelPos.y});
        }
        l->setVisible(visible);
    }
}

void GridSetupScreen::sync()
{
    m_binder.sync();
    m_gridSelect->setText(m_model.gridSelectCaption());
    m_stateIcon->setPixmap(QPixmap::fromImage(
        statePicture(m_model.gridValid() ? StatePicture::Valid : StatePicture::Invalid)));
    m_stateIcon->setProperty("valid", m_model.gridValid());
    m_accuracyButton->setVisible(m_model.accuracyControlsVisible());
    m_accuracyDisplay->setVisible(m_model.accuracyControlsVisible());
    m_accuracyConfig->setVisible(m_model.accuracyControlsVisible() && m_model.advancedAccuracy());
    if (m_model.accuracyDisplay() == AccuracyDisplay::Grades && !m_optHomLevel->isChecked()) {
        const QSignalBlocker block(m_optHomLevel);
        m_optHomLevel->setChecked(true);
    }
    {
        const QSignalBlocker block(m_lock);
        m_lock->setChecked(m_model.locked());
    }
    m_lockNotice->setVisible(m_model.locked());
    if (m_snapStatus->text() != m_model.snapStatus()) {
        m_snapStatus->setText(m_model.snapStatus());
        m_snapStatus->setVisible(!m_model.snapStatus().isEmpty());
    }
    m_cbHint->setVisible(m_model.checkBuoyHintVisible());
    if (m_model.checkBuoyHintVisible()) {
        const ScreenPoint p = m_model.checkBuoyHintPosition();
        m_picture->placeAt(m_cbHint, {p.x, p.y});
    }
    placeIndicators();
}

void GridSetupScreen::eraseDrawing()
{
    m_picture->clearDrawing();
}

void GridSetupScreen::markPredictedCheckBuoy(const ScreenPoint& p)
{
    const QPointF at(p.x, p.y);
    m_picture->drawPoint(at, Qt::white);
    m_picture->drawCircle(at, 4 * markerSize(), Qt::white);
    m_picture->drawLine(at, at + QPointF(100, 0), Qt::white);
}

void GridSetupScreen::Show_grid()
{
    m_picture->clearDrawing();
    const QColor colour = markerColour();
    for (int k = 0; k < kMarkerCount; ++k) {
        const ScreenPoint p = m_model.markerPosition(static_cast<Marker>(k));
        if (p.x == 0 && p.y == 0)
            continue; // not placed yet
        m_picture->drawCircle({p.x, p.y}, 2 * markerSize(), colour);
    }
}

void GridSetupScreen::redrawBuoys()
{
    Show_grid();
}

void GridSetupScreen::markerMoved(int, const ScreenPoint& from, const ScreenPoint& to)
{
    const double maxSize = m_crossSize->maximum();
    m_picture->eraseCircle({from.x, from.y}, m_eraseRadius);
    m_picture->eraseCircle({from.x, from.y}, 2 * markerSize());
    m_picture->eraseCross({from.x, from.y}, maxSize);
    m_picture->drawCross({to.x, to.y}, markerSize(), Qt::white);
}

void GridSetupScreen::showLineLabels(const AccuracyLattice& lattice)
{
    const QString colour = QStringLiteral("color: %1; background: transparent; font-weight: bold;")
                               .arg(markerColour().name());
    for (int j = 0; j < 7; ++j) {
        QLabel* l = m_lineLabels[j];
        l->setText(QString::number(j + 1));
        l->setStyleSheet(colour);
        l->adjustSize();
        m_picture->placeAt(l, {lattice.lineLabelPos[j].x, lattice.lineLabelPos[j].y});
        l->show();
    }
}

void GridSetupScreen::hideLineLabels()
{
    for (QLabel* l : m_lineLabels)
        l->hide();
}

void GridSetupScreen::closeEvent(QCloseEvent* e)
{
    // As "E&xit": with grids not set up the operator is asked, and stays
    // when the answer is to stay.
    if (isVisible())
        leave();
    if (isVisible())
        e->ignore();
    else
        e->accept();
}

void GridSetupScreen::leave()
{
    if (!m_model.gridExit())
        return;
    m_keyTimer->stop();
    hide();
}

} // namespace korvel
