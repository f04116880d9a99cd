#include "grid/gridsetupscreen.h"
#include "shell/namedwidgets.h"

#include "shell/arrowkeys.h"
#include "shell/draghandle.h"
#include "shell/paths.h"
#include "shell/pictureview.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/statepictures.h"
#include "shell/textrules.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
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
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel
{

namespace
{

const char* const kMarkerOptionNames[kMarkerCount] = {"upper_left_button", "upper_right_button",
                                                      "lower_left_button", "lower_right_button",
                                                      "optCheckBuoy"};
const char* const kMarkerOptionCaptions[kMarkerCount] = {"upper left", "upper right", "lower left",
                                                         "lower right", "Check Buoy"};

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
    resize(1200, 720);
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
    m_stateIcon = label(panel, "grid_state_icon", QString());
    m_stateIcon->setFixedSize(34, 34);
    top->addWidget(m_stateIcon);
    m_gridSelect = button(panel, "grid_select", QStringLiteral("Grid 1"));
    m_complete = button(panel, "Load", QStringLiteral("Complete"));
    auto* draw = button(panel, "show_alignment", QStringLiteral("Draw Buoys"));
    top->addWidget(m_gridSelect);
    top->addWidget(m_complete);
    top->addWidget(draw);
    v->addLayout(top);

    auto* frame = new QGroupBox(QStringLiteral("Grid Point Selection"), panel);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* fl = new QGridLayout(frame);
    m_markerGroup = new QButtonGroup(this);
    for (int k = 0; k < kMarkerCount; ++k) {
        m_markerOptions[k] =
            option(frame, kMarkerOptionNames[k], QString::fromLatin1(kMarkerOptionCaptions[k]));
        m_markerGroup->addButton(m_markerOptions[k], k);
        fl->addWidget(m_markerOptions[k], k / 2, k % 2);
    }
    v->addWidget(frame);
    connect(m_markerGroup, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (!on)
            return;
        m_model.selectMarker(static_cast<Marker>(id));
        if (auto* box = m_boxes.value(QStringLiteral("ipt_file_description")))
            box->setFocus();
    });

    m_lock = new QCheckBox(QStringLiteral("Lock Grid Buoys"), panel);
    m_lock->setObjectName(QStringLiteral("chkboxGridLock"));
    v->addWidget(m_lock);
    connect(m_lock, &QCheckBox::toggled, this, [this](bool on) {
        if (on != m_model.locked() && !m_model.setLocked(on)) {
            const QSignalBlocker block(m_lock);
            m_lock->setChecked(false);
        }
        sync();
    });

    // The boxes: screen x,y and survey x,y of each corner, jump and check buoy.
    auto* grid = new QGridLayout;
    grid->addWidget(label(panel, "Label1", QStringLiteral("screen x,y")), 0, 1, 1, 2);
    grid->addWidget(label(panel, "Label2", QStringLiteral("survey x,y")), 0, 3, 1, 2);
    struct Row {
        const char* caption;
        const char* labelName;
        const char* boxes[4];
    } rows[] = {
        {"upper left", "Label3", {"upper_left_x", "upper_left_y", "ul_survey_x", "ul_survey_y"}},
        {"upper right", "Label4", {"upper_right_x", "upper_right_y", "ur_survey_x", "ur_survey_y"}},
        {"lower left", "Label5", {"lower_left_x", "lower_left_y", "ll_survey_x", "ll_survey_y"}},
        {"lower right", "Label6", {"lower_right_x", "lower_right_y", "lr_survey_x", "lr_survey_y"}},
    };
    int r = 1;
    for (const Row& row : rows) {
        grid->addWidget(label(panel, row.labelName, QString::fromLatin1(row.caption)), r, 0);
        for (int c = 0; c < 4; ++c) {
            auto* box = textBox(panel, row.boxes[c]);
            // Screen positions come from the markers; typing there moves nothing.
            box->setReadOnly(c < 2);
            grid->addWidget(box, r, c + 1);
            m_boxes.insert(box->objectName(), box);
        }
        ++r;
    }
    grid->addWidget(label(panel, "Label7", QStringLiteral("jump x,y")), r, 0);
    for (const char* name : {"jump_x", "jump_y"}) {
        auto* box = textBox(panel, name);
        m_boxes.insert(box->objectName(), box);
    }
    grid->addWidget(m_boxes["jump_x"], r, 3);
    grid->addWidget(m_boxes["jump_y"], r, 4);
    ++r;
    grid->addWidget(label(panel, "txtCheck", QStringLiteral("Check Buoy x,y")), r, 0);
    int c = 1;
    for (const char* name : {"txtCheckXpix", "txtCheckYpix", "txtCheckX", "txtCheckY"}) {
        auto* box = textBox(panel, name);
        box->setReadOnly(c < 3);
        m_boxes.insert(box->objectName(), box);
        grid->addWidget(box, r, c++);
    }
    ++r;
    grid->addWidget(label(panel, "Label11", QStringLiteral("screen x,y")), r, 1, 1, 2);
    grid->addWidget(label(panel, "Label14", QStringLiteral("survey x,y")), r, 3, 1, 2);
    v->addLayout(grid);

    auto* files = new QGridLayout;
    int fr = 0;
    for (const char* name : {"ipt_file_description", "ipt_file_description_2"}) {
        auto* box = textBox(panel, name);
        m_boxes.insert(box->objectName(), box);
        files->addWidget(box, fr++, 0, 1, 2);
    }
    for (const char* name : {"txtPicWidth", "txtPicHeight"}) {
        auto* box = textBox(panel, name);
        box->setReadOnly(true);
        m_boxes.insert(box->objectName(), box);
        files->addWidget(box, fr, name[6] == 'W' ? 0 : 1);
    }
    v->addLayout(files);

    for (QLineEdit* box : std::as_const(m_boxes)) {
        connect(box, &QLineEdit::textEdited, this, [this, box](const QString& text) {
            m_model.setText(box->objectName(), text);
            sync();
        });
    }

    m_accuracyButton = button(panel, "btnAccuracyCheck", QStringLiteral("Accuracy"));
    v->addWidget(m_accuracyButton);
    m_accuracyDisplay = new QGroupBox(QStringLiteral("Accuracy "), panel);
    m_accuracyDisplay->setObjectName(QStringLiteral("fmAccuracyDisplay"));
    auto* ad = new QHBoxLayout(m_accuracyDisplay);
    m_optStandard = option(m_accuracyDisplay, "optStandardAccuracy", QStringLiteral("Standard"));
    m_optAdvanced = option(m_accuracyDisplay, "optAdvancedAccuracy", QStringLiteral("Advanced"));
    ad->addWidget(m_optStandard);
    ad->addWidget(m_optAdvanced);
    v->addWidget(m_accuracyDisplay);
    m_accuracyConfig = new QGroupBox(QStringLiteral("Display"), panel);
    m_accuracyConfig->setObjectName(QStringLiteral("fmAccuracyConfig"));
    auto* ac = new QHBoxLayout(m_accuracyConfig);
    m_optDistance = option(m_accuracyConfig, "optDisplayDistance", QStringLiteral("Distance"));
    m_optDetail = option(m_accuracyConfig, "optDetailMeasurement", QStringLiteral("Detail "));
    m_optHomLevel = option(m_accuracyConfig, "optHomolgationLevel", QStringLiteral("Hom.Lvl"));
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
    connect(m_optDistance, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_model.setAccuracyDisplay(AccuracyDisplay::Distance);
    });
    connect(m_optDetail, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_model.setAccuracyDisplay(AccuracyDisplay::Detail);
    });
    connect(m_optHomLevel, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            m_model.setAccuracyDisplay(AccuracyDisplay::Grades);
    });
    return panel;
}

void GridSetupScreen::buildOverlays()
{
    // Groups that float over the picture, each dragged by its label.
    auto makeGroup = [this](const char* handleName, const QString& caption, QPoint at) {
        auto* group = new QWidget(m_picture);
        group->setAutoFillBackground(true);
        auto* lay = new QVBoxLayout(group);
        lay->setContentsMargins(2, 2, 2, 2);
        auto* handle = label(group, handleName, caption);
        handle->setStyleSheet(QStringLiteral("background: black; color: white; padding: 1px 3px;"));
        lay->addWidget(handle);
        new DragHandle(handle, group);
        group->move(at);
        return std::pair{group, lay};
    };

    auto [adjust, adjustLayout] =
        makeGroup("AdjustmentLabel", QStringLiteral("Micro-Adjust (drag-it)"), {8, 8});
    auto* arrows = new QGridLayout;
    struct Arrow {
        const char* name;
        Qt::ArrowType type;
        int row, col;
        double dx, dy;
    } arrowsSpec[] = {{"AdjustUp", Qt::UpArrow, 0, 1, 0, -15},
                      {"AdjustLeft", Qt::LeftArrow, 1, 0, -15, 0},
                      {"AdjustRight", Qt::RightArrow, 1, 2, 15, 0},
                      {"AdjustDown", Qt::DownArrow, 2, 1, 0, 15}};
    for (const Arrow& a : arrowsSpec) {
        auto* b = new QToolButton(adjust);
        b->setObjectName(QString::fromLatin1(a.name));
        b->setArrowType(a.type);
        b->setFocusPolicy(Qt::NoFocus);
        arrows->addWidget(b, a.row, a.col);
        const double dx = a.dx, dy = a.dy;
        connect(b, &QToolButton::clicked, this, [this, dx, dy] {
            m_model.adjust(dx, dy);
            sync();
        });
    }
    adjustLayout->addLayout(arrows);
    adjust->adjustSize();

    auto [cross, crossLayout] =
        makeGroup("CrossSizeLabel", QStringLiteral("Marker Icon Size (drag-it)"), {8, 120});
    m_crossSize = new QScrollBar(Qt::Horizontal, cross);
    m_crossSize->setObjectName(QStringLiteral("Setup_Cross_size"));
    // Twips: from one pixel to twenty, six to begin with.
    m_crossSize->setRange(15, 300);
    m_crossSize->setSingleStep(15);
    m_crossSize->setValue(90);
    crossLayout->addWidget(m_crossSize);
    cross->adjustSize();

    auto [lock, lockLayout] = makeGroup("lblGridDragIt", QStringLiteral("(drag-it)"), {8, 180});
    auto* locked = label(lock, "gridLockedLabel", QStringLiteral("GRID LOCKED!"));
    locked->setStyleSheet(
        QStringLiteral("background: red; color: white; font-weight: bold; padding: 2px;"));
    new DragHandle(locked, lock);
    lockLayout->addWidget(locked);
    lock->adjustSize();
    m_lockNotice = lock;
    m_lockNotice->hide();

    m_cbHint = label(m_picture, "lblCB", QStringLiteral("<-Check Buoy Should Be Here"));
    m_cbHint->setStyleSheet(QStringLiteral("color: white;"));
    m_cbHint->adjustSize();
    m_cbHint->hide();

    for (int k = 0; k < 51; ++k) {
        auto* l = label(m_picture, "AccuracyIndicator", QStringLiteral("Label8"));
        l->setProperty("index", k);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->hide();
        m_indicators[k] = l;
    }
    for (int k = 0; k < 11; ++k) {
        auto* l = label(m_picture, "LineLabel", QString::number(k + 1));
        l->setProperty("index", k);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->hide();
        m_lineLabels[k] = l;
    }
}

void GridSetupScreen::buildMenus()
{
    QMenuBar* bar = menuBar();
    QAction* load = action(this, "gridLoad", QStringLiteral("&Load File"));
    bar->addAction(load);
    QMenu* pictureMenu = bar->addMenu(QStringLiteral("Setup &Picture"));
    pictureMenu->setObjectName(QStringLiteral("mnuSetupPicture"));
    QAction* loadPicture = action(this, "mnuLoadPicture", QStringLiteral("Load &Picture"));
    QAction* clearPicture = action(this, "mnuClearPicture", QStringLiteral("&Clear Picture"));
    QAction* paste = action(this, "mnuPaste", QStringLiteral("P&aste"));
    pictureMenu->addAction(loadPicture);
    pictureMenu->addAction(clearPicture);
    pictureMenu->addAction(paste);
    QAction* save = action(this, "gridSave", QStringLiteral("&Save"));
    QAction* calibrate = action(this, "mnuCalibrate", QStringLiteral("&Calibrate"));
    QAction* exitAction = action(this, "gridExit", QStringLiteral("E&xit"));
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
    const QString c = m_settings.get(QStringLiteral("labelcolor"), QString()).toLower();
    if (c == QLatin1String("black"))
        return Qt::black;
    if (c == QLatin1String("yellow"))
        return Qt::yellow;
    return Qt::white;
}

double GridSetupScreen::markerSize() const
{
    return m_crossSize->value();
}

void GridSetupScreen::enter()
{
    if (m_shared.LastScreen == ScreenTag::SelectFrame) {
        const QString path = joinPath(programFolder(), QStringLiteral("currentcapture.bmp"));
        const QImage frame(path);
        if (frame.isNull())
            m_prompt.message(QStringLiteral("The exported frame could not be loaded:\n") + path);
        else
            setBackground(frame);
        if (auto* checked = m_markerGroup->checkedButton()) {
            m_markerGroup->setExclusive(false);
            checked->setChecked(false);
            m_markerGroup->setExclusive(true);
        }
        m_model.selectMarker(std::nullopt);
    }
    m_keyTimer->start();
    show();
}

void GridSetupScreen::setBackground(const QImage& picture)
{
    m_picture->setPicture(picture);
    m_model.setText(QStringLiteral("txtPicWidth"), numberText(pictureTwips(picture.width())));
    m_model.setText(QStringLiteral("txtPicHeight"), numberText(pictureTwips(picture.height())));
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
    const QImage img(*path);
    if (img.isNull()) {
        m_prompt.message(QStringLiteral("This file is not a picture korvel can show:\n") + *path,
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
    for (auto it = m_boxes.constBegin(); it != m_boxes.constEnd(); ++it) {
        const QString t = m_model.text(it.key());
        if (it.value()->text() != t) {
            const QSignalBlocker block(it.value());
            it.value()->setText(t);
        }
    }
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

void GridSetupScreen::leave()
{
    if (!m_model.gridExit())
        return;
    m_keyTimer->stop();
    hide();
}

} // namespace korvel
