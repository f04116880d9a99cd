#include "measure/measurescreen.h"
#include "shell/namedwidgets.h"

#include "measure/resultsviewer.h"
#include "shell/arrowkeys.h"
#include "shell/draghandle.h"
#include "shell/paths.h"
#include "shell/pictureview.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textfile.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace korvel
{

namespace
{

const QString kLoadFilter =
    QStringLiteral("All Files (*.*)|*.*|Text Files (*.txt)|*.txt|Jump Picture Files (*.gif)|*.gif|"
                   "Jump Picture Files (*.bmp)|*.bmp|Jump Picture Files (*.jpg)|*.jpg|");
const QString kFromClipboard = QStringLiteral("Picture from Clipboard");

struct OutcomeOption {
    Outcome outcome;
    const char* name;
    const char* caption;
};
const OutcomeOption kOutcomeOptions[7] = {
    {Outcome::JumpOK, "optJumpOK", "Jump OK"},
    {Outcome::Pass, "Pass", "Pass"},
    {Outcome::Fall, "Fall", "Fall"},
    {Outcome::OptionalReride, "O_reride", "Opt. reride"},
    {Outcome::MandatoryReride, "M_Reride", "Man. Reride"},
    {Outcome::OtherGrid, "Other_Grid", "Other Grid"},
    {Outcome::Comment, "Make_comment", "Comment"},
};

const char* const kBuoyLabelNames[4] = {"maxbuoy", "minbuoy", "maxbuoym", "minbuoym"};

QColor rgb(std::uint32_t v)
{
    return QColor((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

QFrame* impactLine(QWidget* parent, const char* name)
{
    auto* f = new QFrame(parent);
    f->setObjectName(QString::fromLatin1(name));
    f->setAttribute(Qt::WA_TransparentForMouseEvents);
    f->setAutoFillBackground(true);
    f->hide();
    return f;
}

// The label colours of the configuration: one message colour for all, or
// each label's own when the setting is "default".
std::optional<QColor> messageColour(const QString& setting)
{
    const QString c = setting.toLower();
    if (c == QLatin1String("white"))
        return QColor(Qt::white);
    if (c == QLatin1String("black"))
        return QColor(Qt::black);
    if (c == QLatin1String("yellow"))
        return QColor(Qt::yellow);
    return std::nullopt;
}

int filterEntryFor(const QString& extension)
{
    const QString e = extension.toLower();
    if (e == QLatin1String(".gif"))
        return 3;
    if (e == QLatin1String(".jpg"))
        return 5;
    return 4;
}

} // namespace

MeasureScreen::MeasureScreen(MeasureModel& model, SharedState& shared, Settings& settings,
                             Prompt& prompt, QWidget* parent)
    : QMainWindow(parent), m_model(model), m_shared(shared), m_settings(settings), m_prompt(prompt)
{
    setObjectName(QStringLiteral("Measure"));
    setWindowTitle(QStringLiteral("Measure Jump"));

    m_picture = installPictureAndPanel(this, buildPanel());
    m_picture->setMouseTracking(true);
    m_picture->installEventFilter(this);
    buildOverlays();
    buildMenus();

    connect(m_picture, &PictureView::pressed, this, [this](QPointF t, Qt::MouseButton b) {
        if (b != Qt::LeftButton)
            return;
        m_model.clickPicture(t.x(), t.y());
        sync();
    });

    // Arrow keys nudge the impact a pixel a poll.
    m_keyTimer = makeKeyTimer(
        this,
        [this](ArrowKeys::Key k) {
            static constexpr NudgeDirection kNudge[] = {NudgeDirection::Left, NudgeDirection::Up,
                                                        NudgeDirection::Right,
                                                        NudgeDirection::Down};
            m_model.nudge(kNudge[k]);
        },
        [this] { sync(); });
    m_loadTimer = new QTimer(this);
    m_loadTimer->setObjectName(QStringLiteral("loadTimer"));
    m_loadTimer->setInterval(1000);
    connect(m_loadTimer, &QTimer::timeout, this, &MeasureScreen::autoLoadTick);

    m_results = new ResultsViewer(this);

    // Form load: Jump OK, no comment, nothing drawn, the read-outs and the
    // grid description hidden until they mean something.
    m_model.clickOutcome(Outcome::JumpOK);
    m_model.setText(QStringLiteral("Comment"), QString());
    applyColours();
    sync();
    resize(1180, 700);
}

MeasureScreen::~MeasureScreen() = default;

QWidget* MeasureScreen::buildPanel()
{
    auto* panel = new QWidget;
    panel->setFixedWidth(340);
    auto* v = new QVBoxLayout(panel);

    auto* top = new QHBoxLayout;
    m_setGrid = button(panel, "Set_grid", QStringLiteral("&Grid 1"));
    m_showGrid = button(panel, "Show_grid", QStringLiteral("Show Grid"));
    m_verify = button(panel, "verify", QStringLiteral("Verify"));
    top->addWidget(m_setGrid);
    top->addWidget(m_showGrid);
    top->addWidget(m_verify);
    v->addLayout(top);

    auto* who = new QHBoxLayout;
    m_skier = new QComboBox(panel);
    m_skier->setObjectName(QStringLiteral("Skier_name"));
    m_skier->setEditable(true);
    m_skier->setInsertPolicy(QComboBox::NoInsert);
    who->addWidget(m_skier, 3);
    auto* jump = textBox(panel, "Jump_no", false);
    who->addWidget(jump, 1);
    m_boxes.insert(jump->objectName(), jump);
    v->addLayout(who);

    auto* frame = new QGroupBox(panel);
    frame->setObjectName(QStringLiteral("Frame1"));
    // A mid-tone ground, so every message colour stays readable on it.
    frame->setStyleSheet(QStringLiteral("QGroupBox#Frame1 { background: #56697a; }"));
    auto* fl = new QGridLayout(frame);
    m_outcomes = new QButtonGroup(this);
    for (int k = 0; k < 7; ++k) {
        auto* b = new QRadioButton(QString::fromLatin1(kOutcomeOptions[k].caption), frame);
        b->setObjectName(QString::fromLatin1(kOutcomeOptions[k].name));
        m_outcomes->addButton(b, k);
        m_outcomeOptions[k] = b;
        fl->addWidget(b, k / 2, k % 2);
    }
    v->addWidget(frame);
    connect(m_outcomes, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.clickOutcome(kOutcomeOptions[id].outcome);
        sync();
    });

    auto* comment = textBox(panel, "Comment", false);
    comment->setPlaceholderText(QStringLiteral("Comment"));
    m_boxes.insert(comment->objectName(), comment);
    v->addWidget(comment);

    auto* record = button(panel, "Record", QStringLiteral("Record &Jump"));
    v->addWidget(record);

    QFont big = font();
    big.setPointSize(20);
    big.setBold(true);
    auto* distances = new QGridLayout;
    distances->addWidget(label(panel, "IWSFlabel", QStringLiteral("IWSF Official Distance")), 0, 0);
    distances->addWidget(label(panel, "AWSAlabel", QStringLiteral("AWSA Official Distance")), 0, 1);
    for (const char* name : {"distance", "distance_ft"}) {
        auto* box = textBox(panel, name, true);
        box->setFont(big);
        box->setAlignment(Qt::AlignCenter);
        distances->addWidget(box, 1, name[8] == 0 ? 0 : 1);
        m_boxes.insert(box->objectName(), box);
    }
    v->addLayout(distances);
    auto* barefoot = textBox(panel, "barefoot_indicator", true);
    m_boxes.insert(barefoot->objectName(), barefoot);
    v->addWidget(barefoot);

    auto* clear = button(panel, "Unfreeze", QStringLiteral("Clear"));
    v->addWidget(clear);

    auto* readouts = new QGridLayout;
    int r = 0;
    for (const char* name : {"xtwips", "ytwips", "xposition", "yposition", "VerifyDistance"}) {
        auto* box = textBox(panel, name, true);
        m_boxes.insert(box->objectName(), box);
        if (r < 4)
            readouts->addWidget(box, r / 2, r % 2);
        else
            readouts->addWidget(box, 2, 0, 1, 2);
        ++r;
    }
    v->addLayout(readouts);

    auto* pictures = new QHBoxLayout;
    auto* clip = new QToolButton(panel);
    clip->setObjectName(QStringLiteral("ClipSnapShot"));
    clip->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    clip->setToolTip(QStringLiteral("Take the picture on the clipboard"));
    auto* img = new QToolButton(panel);
    img->setObjectName(QStringLiteral("ImgSnapShot"));
    img->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    img->setToolTip(QStringLiteral("Load snapshot.bmp from the exchange folder"));
    m_autoLoad = new QCheckBox(QStringLiteral("Auto Load"), panel);
    m_autoLoad->setObjectName(QStringLiteral("cbAutoLoadClipboard"));
    pictures->addWidget(clip);
    pictures->addWidget(img);
    pictures->addWidget(m_autoLoad);
    pictures->addStretch(1);
    v->addLayout(pictures);

    auto* next = button(panel, "btnNextJump", QStringLiteral("Capture Next Jump"));
    v->addWidget(next);
    v->addStretch(1);

    for (QLineEdit* box : std::as_const(m_boxes)) {
        connect(box, &QLineEdit::textEdited, this, [this, box](const QString& text) {
            m_model.setText(box->objectName(), text);
            sync();
        });
    }
    connect(m_skier, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (text == m_model.text(QStringLiteral("Skier_name")))
            return;
        m_model.setText(QStringLiteral("Skier_name"), text);
        sync();
    });

    connect(m_setGrid, &QPushButton::clicked, this, [this] {
        m_model.Set_grid();
        show_the_grid();
        sync();
    });
    connect(m_showGrid, &QPushButton::clicked, this, &MeasureScreen::show_the_grid);
    connect(m_verify, &QPushButton::clicked, this, [this] {
        m_model.toggleVerify();
        sync();
    });
    connect(record, &QPushButton::clicked, this, [this] {
        m_model.Record();
        sync();
    });
    connect(clear, &QPushButton::clicked, this, &MeasureScreen::Clear);
    connect(clip, &QToolButton::clicked, this, &MeasureScreen::pasteClipboard);
    connect(img, &QToolButton::clicked, this, &MeasureScreen::loadSnapshot);
    connect(m_autoLoad, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            m_loadTimer->start();
        else
            m_loadTimer->stop();
    });
    connect(next, &QPushButton::clicked, this, &MeasureScreen::nextJumpCommand);
    return panel;
}

void MeasureScreen::buildOverlays()
{
    // Panels that float over the picture, each dragged by its label so the
    // operator can move it off the buoys or the impact.
    auto makeGroup = [this](const char* handleName, const QString& caption, QPoint at) {
        auto* group = new QWidget(m_picture);
        auto* lay = new QVBoxLayout(group);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(1);
        auto* handle = label(group, handleName, caption);
        handle->setStyleSheet(QStringLiteral("background: black; color: white; padding: 1px 3px;"));
        lay->addWidget(handle);
        new DragHandle(handle, group);
        group->move(at);
        return std::pair{group, lay};
    };

    m_frozenSign = label(m_picture, "FrozenSign", QStringLiteral("FROZEN"));
    m_frozenSign->setStyleSheet(
        QStringLiteral("background: black; font-weight: bold; padding: 2px 6px;"));
    new DragHandle(m_frozenSign, m_frozenSign);
    m_frozenSign->adjustSize();
    m_frozenSign->move(8, 8);
    m_frozenSign->hide();

    m_unofficial = label(m_picture, "UnofficialJump", QStringLiteral("UNOFFICIAL JUMP"));
    m_unofficial->setStyleSheet(QStringLiteral(
        "color: red; background: black; font-size: 16pt; font-weight: bold; padding: 2px;"));
    m_unofficial->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_unofficial->adjustSize();
    m_unofficial->move(200, 8);
    m_unofficial->hide();

    auto [grid, gridLayout] =
        makeGroup("gridlabel", QStringLiteral("Grid Description (drag-it)"), {8, 40});
    auto* description = textBox(grid, "grid_description", true);
    description->setMinimumWidth(240);
    m_boxes.insert(description->objectName(), description);
    gridLayout->addWidget(description);
    grid->adjustSize();
    m_gridGroup = grid;
    description->hide();

    m_fileName = textBox(m_picture, "gif_file_name", true);
    m_fileName->setText(QStringLiteral(".gif file name"));
    m_fileName->setMinimumWidth(300);
    m_fileName->adjustSize();
    m_fileName->hide();

    auto [cross, crossLayout] =
        makeGroup("CrossLabel", QStringLiteral("Adjust Cross Size (drag-it)"), {8, 120});
    m_crossSize = new QScrollBar(Qt::Horizontal, cross);
    m_crossSize->setObjectName(QStringLiteral("CrossSize"));
    m_crossSize->setRange(kCrossSizeMin, kCrossSizeMax);
    m_crossSize->setSingleStep(kCrossSizeStep);
    m_crossSize->setPageStep(kCrossSizeStep);
    m_crossSize->setValue(m_model.crossSize());
    crossLayout->addWidget(m_crossSize);
    cross->adjustSize();
    connect(m_crossSize, &QScrollBar::valueChanged, this, [this](int v) {
        m_model.setCrossSize(v);
        if (m_crossSize->value() != m_model.crossSize()) {
            const QSignalBlocker block(m_crossSize);
            m_crossSize->setValue(m_model.crossSize());
        }
        m_model.redrawImpact();
        placeImpactLines();
    });

    auto [adjust, adjustLayout] =
        makeGroup("AdjustmentLabel", QStringLiteral("Micro-Adjust (drag-it)"), {8, 170});
    auto* arrows = new QGridLayout;
    struct Arrow {
        const char* name;
        Qt::ArrowType type;
        int row, col;
        NudgeDirection dir;
    } arrowSpec[] = {{"AdjustUp", Qt::UpArrow, 0, 1, NudgeDirection::Up},
                     {"AdjustLeft", Qt::LeftArrow, 1, 0, NudgeDirection::Left},
                     {"AdjustRight", Qt::RightArrow, 1, 2, NudgeDirection::Right},
                     {"AdjustDown", Qt::DownArrow, 2, 1, NudgeDirection::Down}};
    for (const Arrow& a : arrowSpec) {
        auto* b = new QToolButton(adjust);
        b->setObjectName(QString::fromLatin1(a.name));
        b->setArrowType(a.type);
        b->setFocusPolicy(Qt::NoFocus);
        arrows->addWidget(b, a.row, a.col);
        const NudgeDirection dir = a.dir;
        connect(b, &QToolButton::clicked, this, [this, dir] {
            m_model.nudge(dir);
            sync();
        });
    }
    adjustLayout->addLayout(arrows);
    adjust->adjustSize();
    m_adjustGroup = adjust;

    for (int k = 0; k < 4; ++k) {
        m_buoyLabels[k] = label(m_picture, kBuoyLabelNames[k], QString());
        m_buoyLabels[k]->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_buoyLabels[k]->setStyleSheet(
            QStringLiteral("background: transparent; font-weight: bold;"));
    }

    m_lineHorizontal = impactLine(m_picture, "lineHorizontalImpact");
    m_lineVertical = impactLine(m_picture, "lineVerticalImpact");
    m_lineSplash = impactLine(m_picture, "lineSplashIndicator");
}

void MeasureScreen::buildMenus()
{
    QMenuBar* bar = menuBar();
    struct Item {
        const char* name;
        const char* caption;
        void (MeasureScreen::*run)();
    } items[] = {
        {"SavePict", "&Save Picture", &MeasureScreen::savePictureCommand},
        {"LoadPict", "&Load Picture", &MeasureScreen::loadPictureCommand},
        {"mnuPaste", "&Paste", &MeasureScreen::pasteClipboard},
        {"mnuResults", "&Results", &MeasureScreen::showResults},
        {"mnuCalibrate", "&Calibrate", nullptr},
        {"mnuCapture", "C&apture Next Jump", &MeasureScreen::nextJumpCommand},
        {"mnuViewLog", "&View Log", nullptr},
        {"Exit", "E&xit", &MeasureScreen::exitCommand},
    };
    for (const Item& item : items) {
        QAction* a = action(this, item.name, QString::fromLatin1(item.caption));
        bar->addAction(a);
        if (item.run)
            connect(a, &QAction::triggered, this, item.run);
    }
    connect(findChild<QAction*>(QStringLiteral("mnuCalibrate")), &QAction::triggered, this, [this] {
        if (!m_model.listener() || !m_model.listener()->openCalibration())
            m_prompt.message(
                QStringLiteral("The calibration line tool cannot be opened from here."));
    });
    connect(findChild<QAction*>(QStringLiteral("mnuViewLog")), &QAction::triggered, this, [this] {
        if (!m_model.listener() || !m_model.listener()->openPictureLog())
            m_prompt.message(QStringLiteral(
                "The contact picture log viewer is not part of this version of korvel."));
    });
}

void MeasureScreen::applyColours()
{
    const std::optional<QColor> all =
        messageColour(m_settings.get(QStringLiteral("labelcolor"), QString()));
    struct Default {
        const char* name;
        QColor colour;
    } defaults[] = {
        {"Make_comment", Qt::black}, {"Other_Grid", Qt::black},      {"Fall", Qt::black},
        {"Pass", Qt::black},         {"optJumpOK", Qt::black},       {"IWSFlabel", Qt::black},
        {"AWSAlabel", Qt::black},    {"M_Reride", Qt::red},          {"O_reride", Qt::yellow},
        {"FrozenSign", Qt::white},   {"AdjustmentLabel", Qt::white}, {"CrossLabel", Qt::white},
        {"maxbuoy", Qt::white},      {"maxbuoym", Qt::white},        {"minbuoy", Qt::white},
        {"minbuoym", Qt::white},
    };
    for (const Default& d : defaults) {
        QWidget* w = findChild<QWidget*>(QString::fromLatin1(d.name));
        if (!w)
            continue;
        // Labels over the picture keep their own ground; only the text colour changes.
        if (!w->property("baseSheet").isValid())
            w->setProperty("baseSheet", w->styleSheet());
        w->setStyleSheet(w->property("baseSheet").toString() +
                         QStringLiteral(" color: %1;").arg(all.value_or(d.colour).name()));
    }
    const QColor impact =
        rgb(impactColour(m_settings.get(QStringLiteral("impactcolor"), QString())));
    for (QFrame* line : {m_lineHorizontal, m_lineVertical, m_lineSplash}) {
        QPalette p = line->palette();
        p.setColor(QPalette::Window, impact);
        line->setPalette(p);
    }
}

void MeasureScreen::enter()
{
    if (m_shared.LastScreen == ScreenTag::SelectFrame) {
        const QString path = joinPath(programFolder(), QStringLiteral("currentcapture.bmp"));
        const QImage frame(path);
        if (frame.isNull())
            m_prompt.message(QStringLiteral("The exported frame could not be loaded:\n") + path);
        else
            freezePicture(frame, path);
    }
    show_the_grid();
    m_keyTimer->start();
    sync();
    show();
}

void MeasureScreen::freezePicture(const QImage& picture, const QString& source)
{
    m_model.setFrozen(true);
    m_model.setText(QStringLiteral("distance"), QString());
    m_model.setText(QStringLiteral("distance_ft"), QString());
    m_picture->setPicture(picture);
    show_the_grid();
    m_fileName->setText(source);
    m_fileNameShown = true;
    placeFileNameBelowGrid();
    m_showGrid->setFocus();
    sync();
}

bool MeasureScreen::showPictureFile(const QString& path)
{
    const QImage img(path);
    if (img.isNull()) {
        m_prompt.message(QStringLiteral("This file is not a picture korvel can show:\n") + path,
                         QString(), Icon::Exclamation);
        return false;
    }
    freezePicture(img, path);
    return true;
}

void MeasureScreen::placeFileNameBelowGrid()
{
    m_fileName->adjustSize();
    m_fileName->move(m_gridGroup->x(), m_gridGroup->y() + m_gridGroup->height() + 2);
}

void MeasureScreen::show_the_grid()
{
    m_picture->clearDrawing();
    const GridOverlay overlay = m_model.show_the_grid();
    const QColor labelC = rgb(labelColour(m_settings.get(QStringLiteral("labelcolor"), QString())));
    for (const BuoyMark& m : overlay.marks) {
        if (m.cross) {
            m_picture->drawLine({m.horizontal.from.x, m.horizontal.from.y},
                                {m.horizontal.to.x, m.horizontal.to.y}, Qt::white);
            m_picture->drawLine({m.vertical.from.x, m.vertical.from.y},
                                {m.vertical.to.x, m.vertical.to.y}, Qt::white);
        } else {
            m_picture->drawCircle({m.at.x, m.at.y}, m.radius, labelC);
            for (const ScreenPoint& p : m.dots)
                m_picture->drawPoint({p.x, p.y}, labelC);
        }
    }
    for (int k = 0; k < 4; ++k) {
        const BuoyLabel& l = overlay.labels[k];
        QLabel* w = m_buoyLabels[k];
        w->setText(l.caption);
        w->adjustSize();
        m_picture->placeAt(w, {l.left, l.top});
        w->show();
    }
    m_gridDescriptionShown = true;
    sync();
}

void MeasureScreen::Clear()
{
    m_model.Clear();
    m_fileNameShown = false;
    m_picture->clearPicture();
    show_the_grid();
    sync();
}

void MeasureScreen::setSkierNames(const QStringList& names)
{
    const QString current = m_model.text(QStringLiteral("Skier_name"));
    const QSignalBlocker block(m_skier);
    m_skier->clear();
    m_skier->addItems(names);
    m_skier->setEditText(current);
}

void MeasureScreen::placeLine(QFrame* line, const Segment& s)
{
    // Pixels of the picture the segment covers, both ends included.
    const double x1 = std::round(s.from.x / kTwipsPerPixel),
                 x2 = std::round(s.to.x / kTwipsPerPixel);
    const double y1 = std::round(s.from.y / kTwipsPerPixel),
                 y2 = std::round(s.to.y / kTwipsPerPixel);
    line->setGeometry(static_cast<int>(std::min(x1, x2)), static_cast<int>(std::min(y1, y2)),
                      static_cast<int>(std::abs(x2 - x1)) + 1,
                      static_cast<int>(std::abs(y2 - y1)) + 1);
}

void MeasureScreen::placeImpactLines()
{
    const bool visible = m_model.impactLinesVisible();
    const ImpactMark& mark = m_model.impactMark();
    if (visible) {
        placeLine(m_lineHorizontal, mark.horizontal);
        placeLine(m_lineVertical, mark.vertical);
        if (mark.splash)
            placeLine(m_lineSplash, *mark.splash);
    }
    m_lineHorizontal->setVisible(visible);
    m_lineVertical->setVisible(visible);
    m_lineSplash->setVisible(visible && mark.splash.has_value());
}

QImage MeasureScreen::composedPicture() const
{
    QImage out = m_picture->picture().convertToFormat(QImage::Format_RGB32);
    QPainter p(&out);
    p.drawImage(0, 0, m_picture->drawing());
    for (const QFrame* line : {m_lineHorizontal, m_lineVertical, m_lineSplash}) {
        if (line->isVisibleTo(m_picture))
            p.fillRect(line->geometry(), line->palette().color(QPalette::Window));
    }
    return out;
}

QString MeasureScreen::writePicture(const QString& path) const
{
    QImageWriter writer(path);
    if (writer.format().isEmpty())
        writer.setFormat("bmp");
    if (!writer.write(composedPicture()))
        return writer.errorString();
    return {};
}

void MeasureScreen::sync()
{
    for (auto it = m_boxes.constBegin(); it != m_boxes.constEnd(); ++it) {
        const QString t = m_model.text(it.key());
        if (it.value()->text() != t) {
            const QSignalBlocker block(it.value());
            it.value()->setText(t);
        }
    }
    const QString skier = m_model.text(QStringLiteral("Skier_name"));
    if (m_skier->currentText() != skier) {
        const QSignalBlocker block(m_skier);
        m_skier->setEditText(skier);
    }
    m_setGrid->setVisible(m_model.setGridVisible());
    m_setGrid->setText(m_model.setGridCaption());
    m_verify->setText(m_model.verifyCaption());

    const std::optional<Outcome> outcome = m_model.outcome();
    m_outcomes->setExclusive(false);
    for (int k = 0; k < 7; ++k) {
        const QSignalBlocker block(m_outcomeOptions[k]);
        m_outcomeOptions[k]->setChecked(outcome == kOutcomeOptions[k].outcome);
    }
    m_outcomes->setExclusive(true);

    m_boxes.value(QStringLiteral("Comment"))->setVisible(m_model.commentVisible());
    m_boxes.value(QStringLiteral("barefoot_indicator"))
        ->setVisible(m_model.barefootIndicatorVisible());
    const bool verify = m_model.readoutsVisible();
    for (const char* name : {"xtwips", "ytwips", "xposition", "yposition", "VerifyDistance"})
        m_boxes.value(QString::fromLatin1(name))->setVisible(verify);
    m_unofficial->setVisible(verify);
    m_boxes.value(QStringLiteral("grid_description"))->setVisible(m_gridDescriptionShown);
    m_gridGroup->adjustSize();
    m_frozenSign->setVisible(m_model.frozen());
    m_fileName->setVisible(m_fileNameShown);
    m_adjustGroup->setVisible(m_model.nudgeArrowsVisible());
    if (m_crossSize->value() != m_model.crossSize()) {
        const QSignalBlocker block(m_crossSize);
        m_crossSize->setValue(m_model.crossSize());
    }
    placeImpactLines();
}

void MeasureScreen::changeEvent(QEvent* e)
{
    // The arrow keys nudge the impact only while this screen has the focus.
    if (e->type() == QEvent::ActivationChange && isVisible()) {
        if (isActiveWindow())
            m_keyTimer->start();
        else
            m_keyTimer->stop();
    }
    QMainWindow::changeEvent(e);
}

bool MeasureScreen::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_picture && event->type() == QEvent::MouseMove) {
        const QPointF twips = static_cast<QMouseEvent*>(event)->position() * kTwipsPerPixel;
        m_model.mouseMove(twips.x(), twips.y());
        if (m_model.readoutsVisible())
            sync();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MeasureScreen::pasteClipboard()
{
    const QImage img = QGuiApplication::clipboard()->image();
    if (img.isNull()) {
        m_prompt.message(QStringLiteral("The clipboard holds no picture to take."));
        return;
    }
    freezePicture(img, kFromClipboard);
}

void MeasureScreen::loadSnapshot()
{
    // The scoring side may not have left a picture: nothing happens then.
    const QString path = m_model.snapshotPath();
    const QImage img(path);
    if (!img.isNull())
        freezePicture(img, QFileInfo(path).fileName());
}

void MeasureScreen::autoLoadTick()
{
    if (!m_model.clipFlagReady())
        return;
    const QImage img = QGuiApplication::clipboard()->image();
    // A flag set before the picture reached the clipboard is tried again at
    // the next tick.
    if (img.isNull())
        return;
    freezePicture(img, kFromClipboard);
    m_model.consumeClipFlag();
}

void MeasureScreen::loadPictureCommand()
{
    const auto path =
        m_prompt.openFileSelecting(QStringLiteral("Load Picture"), kLoadFilter,
                                   m_shared.CapturesDir, filterEntryFor(m_shared.PictureExtension));
    if (!path || !showPictureFile(*path))
        return;
    m_model.pictureLoaded(*path);
    m_shared.LastScreen = ScreenTag::PictureLoadMenu;
}

void MeasureScreen::savePictureCommand()
{
    m_model.savePicture([this](const QString& path) { return writePicture(path); });
}

void MeasureScreen::showResults()
{
    const QString path = m_shared.ResultsFile;
    QString error;
    const auto lines = readLines(path, &error);
    if (!lines) {
        m_prompt.message(
            QStringLiteral("The results file cannot be read:\n%1\n%2").arg(path, error));
        return;
    }
    m_results->showResults(path, lines->join(QLatin1Char('\n')));
}

void MeasureScreen::exitCommand()
{
    if (!m_model.leave(MeasureModel::Leaving::Exit,
                       [this](const QString& p) { return writePicture(p); }))
        return;
    m_shared.LastScreen = ScreenTag::None;
    Clear();
    for (QLabel* l : m_buoyLabels)
        l->clear();
    m_gridDescriptionShown = false;
    sync();
    hide();
    m_keyTimer->stop();
    if (!m_model.listener() || !m_model.listener()->showMainScreen())
        m_prompt.message(
            QStringLiteral("There is no main screen to return to in this version of korvel."));
}

void MeasureScreen::nextJumpCommand()
{
    // Asked first: a missing capture screen must not cost the picture.
    if (!m_model.listener() || !m_model.listener()->captureAvailable()) {
        m_prompt.message(
            QStringLiteral("The capture screen is not part of this version of korvel, so there is "
                           "no next jump to capture. The picture and the jump stay as they are."));
        return;
    }
    if (!m_model.leave(MeasureModel::Leaving::NextJump,
                       [this](const QString& p) { return writePicture(p); }))
        return;
    m_shared.LastScreen = ScreenTag::Measure;
    Clear();
    m_keyTimer->stop();
    hide();
    m_model.listener()->showCapture();
}

} // namespace korvel
