#include "measure/measurescreen.h"
#include "shell/namedwidgets.h"

#include "measure/resultsviewer.h"
#include "shell/arrowkeys.h"
#include "shell/colours.h"
#include "shell/draghandle.h"
#include "shell/paths.h"
#include "shell/picturefile.h"
#include "shell/pictureview.h"
#include "shell/prompt.h"
#include "shell/settings.h"
#include "shell/textfile.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
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

using C = MeasureControl;

const std::pair<MeasureControl, Outcome> kOutcomeOptions[7] = {
    {C::JumpOK, Outcome::JumpOK},
    {C::Pass, Outcome::Pass},
    {C::Fall, Outcome::Fall},
    {C::OptionalReride, Outcome::OptionalReride},
    {C::MandatoryReride, Outcome::MandatoryReride},
    {C::OtherGrid, Outcome::OtherGrid},
    {C::MakeComment, Outcome::Comment},
};

const MeasureControl kBuoyLabels[4] = {C::MaxBuoy, C::MinBuoy, C::MaxBuoyM, C::MinBuoyM};

// The verify read-outs.
const MeasureControl kReadouts[5] = {C::XTwips, C::YTwips, C::XPosition, C::YPosition,
                                     C::VerifyDistance};

QColor rgb(std::uint32_t v)
{
    return QColor(int((v >> 16) & 0xFF), int((v >> 8) & 0xFF), int(v & 0xFF));
}

QFrame* impactLine(QWidget* parent, MeasureControl id)
{
    auto* f = make<QFrame>(parent, id);
    f->setAttribute(Qt::WA_TransparentForMouseEvents);
    f->setAutoFillBackground(true);
    f->hide();
    return f;
}

// Review's proposed touch-down: a faint ring in a colour of its own, never
// the impact's, so it cannot be taken for the point to be recorded.
class ProposedTouchMark : public QWidget
{
public:
    static constexpr int kSide = 15;
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0, 230, 255, 150), 1.5));
        p.drawEllipse(QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
        p.drawPoint(QPointF(kSide / 2.0, kSide / 2.0));
    }
};

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
    m_results->setTraceOpener([this](const JumpTrace& t) { openTraced(t); });

    // Form load: Jump OK, no comment, nothing drawn, the read-outs and the
    // grid description hidden until they mean something.
    m_model.clickOutcome(Outcome::JumpOK);
    m_model.setText(C::Comment, QString());
    applyColours();
    sync();
    // Large enough for the blank picture; each picture shown grows it to fit.
    m_picture->fitWindow();
}

MeasureScreen::~MeasureScreen() = default;

QWidget* MeasureScreen::buildPanel()
{
    auto* panel = new QWidget;
    panel->setFixedWidth(340);
    auto* v = new QVBoxLayout(panel);
    // A control that hides keeps its place, so the others never move under
    // the operator's next click.
    auto keepPlace = [](QWidget* w) {
        QSizePolicy p = w->sizePolicy();
        p.setRetainSizeWhenHidden(true);
        w->setSizePolicy(p);
        return w;
    };
    auto box = [this, keepPlace](QWidget* parent, MeasureControl id, bool readOnly) {
        auto* e = m_binder.bind(id, make<QLineEdit>(parent, id));
        e->setReadOnly(readOnly);
        keepPlace(e);
        return e;
    };

    auto* top = new QHBoxLayout;
    m_setGrid = make<QPushButton>(panel, C::SetGrid);
    keepPlace(m_setGrid);
    m_showGrid = make<QPushButton>(panel, C::ShowGrid);
    m_verify = make<QPushButton>(panel, C::Verify);
    top->addWidget(m_setGrid);
    top->addWidget(m_showGrid);
    top->addWidget(m_verify);
    v->addLayout(top);

    auto* who = new QHBoxLayout;
    m_skier = make<QComboBox>(panel, C::SkierName);
    m_skier->setEditable(true);
    m_skier->setInsertPolicy(QComboBox::NoInsert);
    m_binder.bind(C::SkierName, m_skier);
    who->addWidget(m_skier, 3);
    who->addWidget(box(panel, C::JumpNo, false), 1);
    v->addLayout(who);

    auto* frame = make<QGroupBox>(panel, C::OutcomeFrame);
    // A mid-tone ground, so every message colour stays readable on it.
    frame->setStyleSheet(QStringLiteral("QGroupBox#Frame1 { background: #56697a; }"));
    auto* fl = new QGridLayout(frame);
    m_outcomes = new QButtonGroup(this);
    for (int k = 0; k < 7; ++k) {
        auto* b = make<QRadioButton>(frame, kOutcomeOptions[k].first);
        m_outcomes->addButton(b, k);
        m_outcomeOptions[k] = b;
        fl->addWidget(b, k / 2, k % 2);
    }
    v->addWidget(frame);
    connect(m_outcomes, &QButtonGroup::idClicked, this, [this](int id) {
        m_model.clickOutcome(kOutcomeOptions[id].second);
        sync();
    });

    m_comment = box(panel, C::Comment, false);
    m_comment->setPlaceholderText(QStringLiteral("Comment"));
    v->addWidget(m_comment);

    auto* record = make<QPushButton>(panel, C::Record);
    v->addWidget(record);

    QFont big = font();
    big.setPointSize(20);
    big.setBold(true);
    auto* distances = new QGridLayout;
    distances->addWidget(make<QLabel>(panel, C::IwsfLabel), 0, 0);
    distances->addWidget(make<QLabel>(panel, C::AwsaLabel), 0, 1);
    int column = 0;
    for (const MeasureControl id : {C::Distance, C::DistanceFt}) {
        auto* e = box(panel, id, true);
        e->setFont(big);
        e->setAlignment(Qt::AlignCenter);
        distances->addWidget(e, 1, column++);
    }
    v->addLayout(distances);
    m_pixelWorth = make<QLabel>(panel, C::PixelWorthLabel);
    m_pixelWorth->setAlignment(Qt::AlignCenter);
    m_pixelWorth->setWordWrap(true);
    v->addWidget(m_pixelWorth);
    m_barefoot = box(panel, C::BarefootIndicator, true);
    v->addWidget(m_barefoot);

    auto* clear = make<QPushButton>(panel, C::Unfreeze);
    v->addWidget(clear);

    auto* readouts = new QGridLayout;
    for (int r = 0; r < 5; ++r) {
        m_readouts[r] = box(panel, kReadouts[r], true);
        if (r < 4)
            readouts->addWidget(m_readouts[r], r / 2, r % 2);
        else
            readouts->addWidget(m_readouts[r], 2, 0, 1, 2);
    }
    v->addLayout(readouts);

    auto* pictures = new QHBoxLayout;
    auto* clip = make<QToolButton>(panel, C::ClipSnapShot);
    clip->setIcon(style()->standardIcon(QStyle::SP_DialogApplyButton));
    clip->setToolTip(QStringLiteral("Take the picture on the clipboard"));
    auto* img = make<QToolButton>(panel, C::ImgSnapShot);
    img->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    img->setToolTip(QStringLiteral("Load snapshot.bmp from the exchange folder"));
    m_autoLoad = make<QCheckBox>(panel, C::AutoLoad);
    pictures->addWidget(clip);
    pictures->addWidget(img);
    pictures->addWidget(m_autoLoad);
    pictures->addStretch(1);
    v->addLayout(pictures);

    auto* next = make<QPushButton>(panel, C::NextJump);
    v->addWidget(next);
    v->addStretch(1);

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
    auto makeGroup = [this](MeasureControl handleId, QPoint at) {
        auto* group = new QWidget(m_picture);
        auto* lay = new QVBoxLayout(group);
        lay->setContentsMargins(0, 0, 0, 0);
        lay->setSpacing(1);
        auto* handle = make<QLabel>(group, handleId);
        handle->setStyleSheet(QStringLiteral("background: black; color: white; padding: 1px 3px;"));
        lay->addWidget(handle);
        new DragHandle(handle, group);
        group->move(at);
        return std::pair{group, lay};
    };

    m_frozenSign = make<QLabel>(m_picture, C::FrozenSign);
    m_frozenSign->setStyleSheet(
        QStringLiteral("background: black; font-weight: bold; padding: 2px 6px;"));
    new DragHandle(m_frozenSign, m_frozenSign);
    m_frozenSign->adjustSize();
    m_frozenSign->move(8, 8);
    m_frozenSign->hide();

    m_unofficial = make<QLabel>(m_picture, C::Unofficial);
    m_unofficial->setStyleSheet(QStringLiteral(
        "color: red; background: black; font-size: 16pt; font-weight: bold; padding: 2px;"));
    m_unofficial->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_unofficial->adjustSize();
    m_unofficial->move(200, 8);
    m_unofficial->hide();

    auto [grid, gridLayout] = makeGroup(C::GridHandle, {8, 40});
    m_gridDescription =
        m_binder.bind(C::GridDescription, make<QLineEdit>(grid, C::GridDescription));
    m_gridDescription->setReadOnly(true);
    m_gridDescription->setMinimumWidth(240);
    gridLayout->addWidget(m_gridDescription);
    grid->adjustSize();
    m_gridGroup = grid;
    m_gridDescription->hide();

    m_fileName = make<QLineEdit>(m_picture, C::FileName);
    m_fileName->setReadOnly(true);
    m_fileName->setMinimumWidth(300);
    m_fileName->adjustSize();
    m_fileName->hide();

    auto [cross, crossLayout] = makeGroup(C::CrossHandle, {8, 120});
    m_crossSize = make<QScrollBar>(cross, C::CrossSize, Qt::Horizontal);
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

    auto [adjust, adjustLayout] = makeGroup(C::AdjustHandle, {8, 170});
    auto* arrows = new QGridLayout;
    const struct {
        MeasureControl id;
        Qt::ArrowType type;
        int row, col;
        NudgeDirection dir;
    } arrowButtons[] = {{C::AdjustUp, Qt::UpArrow, 0, 1, NudgeDirection::Up},
                        {C::AdjustLeft, Qt::LeftArrow, 1, 0, NudgeDirection::Left},
                        {C::AdjustRight, Qt::RightArrow, 1, 2, NudgeDirection::Right},
                        {C::AdjustDown, Qt::DownArrow, 2, 1, NudgeDirection::Down}};
    for (const auto& a : arrowButtons) {
        auto* b = make<QToolButton>(adjust, a.id);
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
        m_buoyLabels[k] = make<QLabel>(m_picture, kBuoyLabels[k]);
        m_buoyLabels[k]->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_buoyLabels[k]->setStyleSheet(
            QStringLiteral("background: transparent; font-weight: bold;"));
    }

    m_lineHorizontal = impactLine(m_picture, C::LineHorizontal);
    m_lineVertical = impactLine(m_picture, C::LineVertical);
    m_lineSplash = impactLine(m_picture, C::LineSplash);
    m_proposedTouch = make<ProposedTouchMark>(m_picture, C::ProposedTouch);
    m_proposedTouch->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_proposedTouch->resize(ProposedTouchMark::kSide, ProposedTouchMark::kSide);
    m_proposedTouch->hide();
    // T takes the proposed touch point as the impact; a text box being
    // typed in keeps its T.
    auto* take = new QShortcut(QKeySequence(Qt::Key_T), this);
    connect(take, &QShortcut::activated, this, [this] {
        if (!m_model.proposedTouch())
            return;
        m_model.takeProposedTouch();
        sync();
    });
}

void MeasureScreen::buildMenus()
{
    QMenuBar* bar = menuBar();
    const std::pair<MeasureControl, void (MeasureScreen::*)()> items[] = {
        {C::SavePicture, &MeasureScreen::savePictureCommand},
        {C::LoadPicture, &MeasureScreen::loadPictureCommand},
        {C::Paste, &MeasureScreen::pasteClipboard},
        {C::Results, &MeasureScreen::showResults},
        {C::Calibrate, &MeasureScreen::calibrateCommand},
        {C::CaptureNext, &MeasureScreen::nextJumpCommand},
        {C::ViewLog, &MeasureScreen::viewLogCommand},
        {C::Exit, &MeasureScreen::exitCommand},
    };
    for (const auto& [id, run] : items) {
        QAction* a = make<QAction>(this, id);
        bar->addAction(a);
        connect(a, &QAction::triggered, this, run);
    }
}

void MeasureScreen::calibrateCommand()
{
    m_model.screens().openCalibration();
}

void MeasureScreen::viewLogCommand()
{
    m_model.screens().openPictureLog();
}

void MeasureScreen::applyColours()
{
    const std::optional<std::uint32_t> one =
        messageColour(m_settings.get(Setting::LabelColor, QString()));
    const std::optional<QColor> all = one ? std::optional<QColor>(rgb(*one)) : std::nullopt;
    const std::pair<MeasureControl, QColor> defaults[] = {
        {C::MakeComment, Qt::black}, {C::OtherGrid, Qt::black},     {C::Fall, Qt::black},
        {C::Pass, Qt::black},        {C::JumpOK, Qt::black},        {C::IwsfLabel, Qt::black},
        {C::AwsaLabel, Qt::black},   {C::MandatoryReride, Qt::red}, {C::OptionalReride, Qt::yellow},
        {C::FrozenSign, Qt::white},  {C::AdjustHandle, Qt::white},  {C::CrossHandle, Qt::white},
        {C::MaxBuoy, Qt::white},     {C::MaxBuoyM, Qt::white},      {C::MinBuoy, Qt::white},
        {C::MinBuoyM, Qt::white},
    };
    for (const auto& [id, colour] : defaults) {
        QWidget* w = findControl<QWidget>(this, id);
        // Labels over the picture keep their own ground; only the text colour changes.
        if (!w->property("baseSheet").isValid())
            w->setProperty("baseSheet", w->styleSheet());
        w->setStyleSheet(w->property("baseSheet").toString() +
                         QStringLiteral(" color: %1;").arg(all.value_or(colour).name()));
    }
    const QColor impact = rgb(impactColour(m_settings.get(Setting::ImpactColor, QString())));
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
        QString why;
        const QImage frame = readPictureFile(path, &why);
        if (frame.isNull())
            m_prompt.message(QStringLiteral("The exported frame could not be loaded:\n") + path +
                             QLatin1Char('\n') + why);
        else
            freezePicture(frame, path);
    }
    show_the_grid();
    m_keyTimer->start();
    sync();
    show();
}

void MeasureScreen::freezePicture(const QImage& picture, const QString& source,
                                  const QString& traced)
{
    m_model.newPicture(traced.isEmpty() ? source : traced);
    m_model.setPictureSize(picture.size());
    m_picture->setPicture(picture);
    show_the_grid();
    m_fileName->setText(source);
    m_fileNameShown = true;
    placeFileNameBelowGrid();
    m_showGrid->setFocus();
    sync();
    // Said at once, not only at Record: the operator may still pick the
    // grid of this camera.
    if (const auto refusal = m_model.pictureSizeRefusal())
        m_prompt.message(*refusal, {}, Icon::Exclamation);
}

bool MeasureScreen::showPictureFile(const QString& path)
{
    QString why;
    const QImage img = readPictureFile(path, &why);
    if (img.isNull()) {
        m_prompt.message(QStringLiteral("This file is not a picture korvel can show:\n") + path +
                             QLatin1Char('\n') + why,
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
    const QColor labelC = rgb(labelColour(m_settings.get(Setting::LabelColor, QString())));
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
    const QString current = m_model.text(C::SkierName);
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
    if (const auto touch = m_model.proposedTouch()) {
        const QPoint centre(int(std::lround(touch->x / kTwipsPerPixel)),
                            int(std::lround(touch->y / kTwipsPerPixel)));
        m_proposedTouch->move(centre -
                              QPoint(ProposedTouchMark::kSide / 2, ProposedTouchMark::kSide / 2));
        m_proposedTouch->show();
        m_proposedTouch->raise();
    } else {
        m_proposedTouch->hide();
    }
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
    return writePictureFile(path, composedPicture()).error;
}

void MeasureScreen::sync()
{
    m_binder.sync();
    const auto worth = m_model.impactWorth();
    m_pixelWorth->setText(worth ? pixelWorthText(*worth) : QString());
    m_setGrid->setVisible(m_model.setGridVisible());
    m_setGrid->setText(m_model.setGridCaption());
    m_verify->setText(m_model.verifyCaption());

    const std::optional<Outcome> outcome = m_model.outcome();
    m_outcomes->setExclusive(false);
    for (int k = 0; k < 7; ++k) {
        const QSignalBlocker block(m_outcomeOptions[k]);
        m_outcomeOptions[k]->setChecked(outcome == kOutcomeOptions[k].second);
    }
    m_outcomes->setExclusive(true);

    m_comment->setVisible(m_model.commentVisible());
    m_barefoot->setVisible(m_model.barefootIndicatorVisible());
    const bool verify = m_model.readoutsVisible();
    for (QLineEdit* readout : m_readouts)
        readout->setVisible(verify);
    m_unofficial->setVisible(verify);
    m_gridDescription->setVisible(m_gridDescriptionShown);
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
    const QImage img = readPictureFile(path);
    if (!img.isNull())
        freezePicture(img, QFileInfo(path).fileName(), path);
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

void MeasureScreen::openTraced(const JumpTrace& t)
{
    // The video first: it holds the frames around the one measured.
    if (!t.video.isEmpty()) {
        if (QFileInfo(t.video).isFile()) {
            if (m_model.reviewMeasuredVideo(t.video, t.frame))
                m_results->hide();
            return;
        }
        if (t.picture.isEmpty() || !QFileInfo(t.picture).isFile()) {
            m_prompt.message(QStringLiteral("The video of this result is no longer there:\n") +
                             t.video);
            return;
        }
    }
    if (!QFileInfo(t.picture).isFile()) {
        m_prompt.message(QStringLiteral("The picture of this result is no longer there:\n") +
                         t.picture);
        return;
    }
    if (showPictureFile(t.picture))
        m_results->hide();
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
    m_model.screens().showMainScreen();
}

void MeasureScreen::closeEvent(QCloseEvent* e)
{
    // Hidden without the main screen shown, korvel would have no window left
    // and end, the picture and its unrecorded impact lost. "E&xit" asks about
    // the picture and brings the hub back; when the operator stays, so does
    // the window.
    if (isVisible())
        exitCommand();
    if (isVisible())
        e->ignore();
    else
        e->accept();
}

void MeasureScreen::nextJumpCommand()
{
    if (!m_model.leave(MeasureModel::Leaving::NextJump,
                       [this](const QString& p) { return writePicture(p); }))
        return;
    m_shared.LastScreen = ScreenTag::Measure;
    Clear();
    m_keyTimer->stop();
    hide();
    m_model.screens().showCapture();
}

} // namespace korvel
