#include "review/setstartscreen.h"

#include "review/mediaplayer.h"
#include "shell/arrowkeys.h"
#include "shell/namedwidgets.h"
#include "shell/twips.h"

#include <QCloseEvent>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace korvel
{

namespace
{

int px(int twips)
{
    return int(std::lround(twips / kTwipsPerPixel));
}

QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

// The control's font, made smaller in quarter points until the text fits the
// box: the layout's places were drawn for a narrower font than most systems
// have, and a caption cut off tells the operator nothing.
QFont fittingFont(const QFont& font, const QRect& box, int flags, const QString& text)
{
    QFont f = font;
    while (f.pointSizeF() > 6) {
        const QRect need = QFontMetrics(f).boundingRect(box, flags, text);
        if (need.width() <= box.width() && need.height() <= box.height())
            break;
        f.setPointSizeF(f.pointSizeF() - 0.25);
    }
    return f;
}

// A button whose caption wraps onto as many lines as its height holds, as
// the long captions of this screen need at their width.
class WrapButton : public QPushButton
{
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter p(this);
        QStyleOptionButton opt;
        initStyleOption(&opt);
        opt.text.clear();
        p.drawControl(QStyle::CE_PushButton, opt);
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                 QPalette::ButtonText));
        const QRect box = rect().adjusted(3, 1, -3, -1);
        const int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
        p.setFont(fittingFont(font(), box, flags, text()));
        p.drawText(box, flags, text());
    }
};

// A label whose text is drawn smaller when it would not fit its box.
class FitLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const int flags = int(alignment()) | (wordWrap() ? Qt::TextWordWrap : 0);
        p.setFont(fittingFont(font(), contentsRect(), flags, text()));
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(contentsRect(), flags, text());
    }
};

// Where each control stands, in twips, and its own font where it has one.
struct Place {
    ReviewControl id;
    int left, top, width, height;
    double points = 0; // 0: the screen's font
    bool bold = false;
};
const Place kPlaces[] = {
    {ReviewControl::MediaPlayer1, 240, 360, 5775, 5415},
    {ReviewControl::Label10, 360, 0, 1935, 255},
    {ReviewControl::lblDiskSpace, 2520, 0, 1215, 255},
    {ReviewControl::Label11, 3840, 0, 2295, 255, 8.25, true},
    {ReviewControl::cmdViewLog, 6360, 0, 2295, 255},
    {ReviewControl::Label3, 6360, 240, 2775, 375, 9.75, true},
    {ReviewControl::Command6, 9120, 120, 375, 315},
    {ReviewControl::Text6, 6360, 480, 3255, 975},
    {ReviewControl::Label5, 6480, 1440, 3135, 495, 9.75, true},
    {ReviewControl::Command1, 6480, 2040, 735, 375, 18},
    {ReviewControl::Command4, 7440, 2040, 735, 375, 18},
    {ReviewControl::cmdMarkStart, 6480, 3000, 1695, 495},
    {ReviewControl::btnGoToSetup, 6480, 3600, 1695, 495},
    {ReviewControl::cmdGoToCapture, 6480, 5040, 1695, 495},
    {ReviewControl::cmdGoToSetup, 6480, 5760, 1695, 495},
    {ReviewControl::Label9, 6600, 6360, 2295, 375, 12, true},
    {ReviewControl::lblProposedContact, 6480, 2460, 3135, 495, 9.75, true},
    {ReviewControl::cmdGoToProposed, 8280, 3000, 1335, 495},
};

} // namespace

// Controls from here rightwards stand beside the player and move with its
// right edge.
constexpr int kBesideThePlayer = 6360;
// What a title bar and borders take around the window, about.
const QSize kWindowFrame(16, 48);

QSize SetStartScreen::clientSize()
{
    return QSize(px(10935), px(10305));
}

SetStartScreen::SetStartScreen(SharedState& shared, Settings& settings, Prompt& prompt,
                               ReviewListener& screens, FreeSpaceQuery freeSpace, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmSetStart"));
    setWindowTitle(QStringLiteral("Korvel 2005 Frame Selection"));
    QFont screenFont = font();
    screenFont.setPointSizeF(8.25);
    setFont(screenFont);

    using C = ReviewControl;
    m_player = new MediaPlayer(this);
    m_player->setObjectName(controlName(C::MediaPlayer1));
    m_model = std::make_unique<ReviewModel>(shared, settings, prompt, screens, *m_player,
                                            std::move(freeSpace));

    m_label10 = make<FitLabel>(this, C::Label10);
    m_diskSpace = make<FitLabel>(this, C::lblDiskSpace);
    m_lowSpace = make<FitLabel>(this, C::Label11);
    QPalette warning = m_lowSpace->palette();
    warning.setColor(QPalette::WindowText, QColor(0xc0, 0, 0));
    m_lowSpace->setPalette(warning);
    auto* viewLog = make<QPushButton>(this, C::cmdViewLog);
    make<FitLabel>(this, C::Label3);
    auto* browse = make<QPushButton>(this, C::Command6);
    m_video = make<QPlainTextEdit>(this, C::Text6);
    // The path of the file on the disk, changed by the program only.
    m_video->setReadOnly(true);
    m_instruction = make<FitLabel>(this, C::Label5);
    m_instruction->setWordWrap(true);
    auto* back = make<QPushButton>(this, C::Command1);
    auto* forward = make<QPushButton>(this, C::Command4);
    m_markStart = make<WrapButton>(this, C::cmdMarkStart);
    m_goToSetup = make<WrapButton>(this, C::btnGoToSetup);
    auto* toCapture = make<WrapButton>(this, C::cmdGoToCapture);
    auto* toMain = make<WrapButton>(this, C::cmdGoToSetup);
    m_barefoot = make<FitLabel>(this, C::Label9);
    m_proposed = make<FitLabel>(this, C::lblProposedContact);
    m_proposed->setWordWrap(true);
    QPalette green = m_proposed->palette();
    green.setColor(QPalette::WindowText, QColor(0, 120, 50));
    m_proposed->setPalette(green);
    m_goToProposed = make<WrapButton>(this, C::cmdGoToProposed);

    for (const Place& p : kPlaces) {
        QWidget* w = findControl<QWidget>(this, p.id);
        if (!w)
            continue;
        w->setGeometry(twipsRect(p.left, p.top, p.width, p.height));
        if (p.left >= kBesideThePlayer)
            m_beside.emplace_back(w, w->geometry());
        if (p.points > 0 || p.bold) {
            QFont f = font();
            if (p.points > 0)
                f.setPointSizeF(p.points);
            f.setBold(p.bold);
            w->setFont(f);
        }
    }
    // The buttons leave the keys to the player, where the operator steps.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setFocusPolicy(Qt::NoFocus);

    // Held arrows step ten frames a second; up and down do nothing here.
    m_clock.start();
    m_timer2 = makeKeyTimer(this, [this](ArrowKeys::Key k) {
        if (k != ArrowKeys::Left && k != ArrowKeys::Right)
            return;
        for (int n = m_held.steps(k, m_clock.elapsed()); n > 0; --n) {
            if (k == ArrowKeys::Left)
                m_model->StepBack();
            else
                m_model->StepForward();
        }
    });
    connect(m_timer2, &QTimer::timeout, this, [this] {
        // A key let go: the player decodes no farther ahead than its frame.
        if (m_held.endPoll())
            m_player->endTravel();
    });
    m_timer2->setObjectName(controlName(C::Timer2));

    connect(back, &QPushButton::clicked, this, [this] { m_model->StepBack(); });
    connect(forward, &QPushButton::clicked, this, [this] { m_model->StepForward(); });
    connect(m_player, &MediaPlayer::keyPressed, this,
            [this](int code) { m_model->playerKey(code); });
    connect(browse, &QPushButton::clicked, this, [this] {
        m_model->BrowseForVideo();
        fitToVideo();
        keepOnDisplay();
        sync();
    });
    connect(m_markStart, &QPushButton::clicked, this, [this] { useDisplayedFrame(false); });
    connect(m_goToSetup, &QPushButton::clicked, this, [this] { useDisplayedFrame(true); });
    connect(toCapture, &QPushButton::clicked, this, [this] {
        m_model->GoToCapture();
        hide();
        sync();
    });
    connect(toMain, &QPushButton::clicked, this, [this] {
        m_model->GoToMainScreen();
        hide();
        sync();
    });
    connect(viewLog, &QPushButton::clicked, this, [this] { m_model->ViewLog(); });
    connect(m_goToProposed, &QPushButton::clicked, this, [this] { m_model->GoToProposed(); });
    m_model->setProposalShown([this] { sync(); });

    setMinimumSize(clientSize());
    resize(clientSize());
    m_fitted = size();
    sync();
}

void SetStartScreen::relayout()
{
    const QSize standard = MediaPlayer::standardSize();
    const QSize client = clientSize();
    const QRect base = twipsRect(240, 360, 5775, 5415);
    const int wider = std::max(0, width() - client.width());
    // Below the player the standard window has room to spare: a taller
    // video takes it first; a window made taller by hand gives the player
    // all it grew by.
    const int room = height() - base.top() - base.left();
    const int tall =
        std::max(standard.height(), std::min(m_player->sizeForVideo().height(), room)) +
        std::max(0, height() - std::max(m_fitted.height(), client.height()));
    m_player->setGeometry(base.left(), base.top(), standard.width() + wider, tall);
    for (const auto& [w, at] : m_beside)
        w->move(at.topLeft() + QPoint(wider, 0));
}

void SetStartScreen::resizeEvent(QResizeEvent* e)
{
    relayout();
    QWidget::resizeEvent(e);
}

void SetStartScreen::fitToVideo()
{
    const QSize standard = MediaPlayer::standardSize();
    const QSize player = m_player->sizeForVideo();
    const QSize client = clientSize();
    const QRect base = twipsRect(240, 360, 5775, 5415);
    QSize wanted(client.width() + player.width() - standard.width(),
                 std::max(client.height(), base.top() + player.height() + base.left()));
    // Within the display, less the title bar and borders. A window the
    // operator sized by hand only grows; one at the size fitted last
    // follows its video, smaller too.
    QSize room = wanted;
    if (const QScreen* s = screen())
        room = s->availableGeometry().size() - kWindowFrame;
    if (size() != m_fitted)
        wanted = wanted.expandedTo(size());
    resize(wanted.boundedTo(room).expandedTo(client));
    m_fitted = size();
    relayout();
}

SetStartScreen::~SetStartScreen()
{
    // The model refers to the player, a child widget deleted after this.
    m_model.reset();
}

void SetStartScreen::keepOnDisplay()
{
    // A window grown past the display's edge comes back onto it, whole.
    const QScreen* s = screen();
    if (!isVisible() || !s)
        return;
    const QRect display = s->availableGeometry();
    const QRect frame = frameGeometry();
    const int x = std::clamp(frame.x(), display.left(),
                             std::max(display.left(), display.right() + 1 - frame.width()));
    const int y = std::clamp(frame.y(), display.top(),
                             std::max(display.top(), display.bottom() + 1 - frame.height()));
    if (x != frame.x() || y != frame.y())
        move(x, y);
}

void SetStartScreen::enter()
{
    m_model->Arrive();
    fitToVideo();
    sync();
    show();
    keepOnDisplay();
    raise();
    activateWindow();
}

void SetStartScreen::sync()
{
    const ReviewView& v = m_model->view();
    m_label10->setText(v.Label10);
    m_diskSpace->setText(v.lblDiskSpace);
    m_lowSpace->setVisible(v.Label11Visible);
    if (m_video->toPlainText() != v.Text6)
        m_video->setPlainText(v.Text6);
    m_instruction->setText(v.Label5);
    m_markStart->setVisible(v.cmdMarkStartVisible);
    m_markStart->setEnabled(v.cmdMarkStartEnabled);
    m_goToSetup->setEnabled(v.btnGoToSetupEnabled);
    m_barefoot->setVisible(v.Label9Visible);
    m_proposed->setText(v.lblProposedContact);
    m_goToProposed->setEnabled(v.cmdGoToProposedEnabled);
    m_player->setProposedMark(m_model->jump().proposedFrame);
    if (v.Timer2Running && !m_timer2->isActive())
        m_timer2->start();
    else if (!v.Timer2Running)
        m_timer2->stop();
}

void SetStartScreen::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isVisible()) {
        m_model->focusChanged(isActiveWindow());
        sync();
    }
    QWidget::changeEvent(e);
}

void SetStartScreen::closeEvent(QCloseEvent* e)
{
    if (isVisible()) {
        m_model->GoToMainScreen();
        sync();
    }
    e->accept();
}

void SetStartScreen::useDisplayedFrame(bool forSetup)
{
    const NextScreen next = m_model->UseDisplayedFrame(forSetup);
    sync();
    if (next != NextScreen::Stay)
        hide();
}

} // namespace korvel
