#include "capture/previewform.h"

#include "capture/capturecontrol.h"
#include "shell/namedwidgets.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace korvel
{

namespace
{
using C = PreviewControl;
}

PreviewView::PreviewView(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(320, 240);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewView::show(const QImage& picture)
{
    m_picture = picture;
    update();
}

void PreviewView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    if (m_picture.isNull())
        return;
    const QSize fit = m_picture.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - fit.width()) / 2, (height() - fit.height()) / 2), fit);
    p.setRenderHint(QPainter::SmoothPixmapTransform, fit != m_picture.size());
    p.drawImage(target, m_picture);
}

PreviewForm::PreviewForm(CaptureScreenModel& model, CaptureControl& control, QWidget* parent)
    : QWidget(parent), m_model(model), m_binder(model, [this] { sync(); })
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Korvel 2005 Capture Screen"));
    auto* top = new QVBoxLayout(this);
    auto* menu = new QMenuBar(this);
    auto* start = make<QAction>(menu, C::MenuStart);
    menu->addAction(start);
    top->setMenuBar(menu);

    auto* body = new QHBoxLayout;
    m_view = make<PreviewView>(this, C::Preview);
    body->addWidget(m_view, 1);

    auto* side = new QVBoxLayout;
    auto* form = new QFormLayout;
    m_skierName = m_binder.bind(C::SkierName, make<QLineEdit>(this, C::SkierName));
    // A double click on the name picks one from the names file, as the
    // button below does.
    m_skierName->installEventFilter(this);
    connect(m_skierName, &QLineEdit::editingFinished, this,
            [this] { m_model.skierNameFinished(); });
    form->addRow(m_skierName);
    form->addRow(make<QLabel>(this, C::AttemptLabel),
                 m_binder.bind(C::Pass, make<QLineEdit>(this, C::Pass)));
    side->addLayout(form);
    auto* select = make<QPushButton>(this, C::Select);
    m_getName = make<QPushButton>(this, C::GetName);
    side->addWidget(select);
    side->addWidget(m_getName);
    m_times = make<QComboBox>(this, C::CaptureTime);
    m_times->addItems(m_model.captureTimes());
    auto* timeForm = new QFormLayout;
    timeForm->addRow(make<QLabel>(this, C::CaptureTimeLabel), m_times);
    side->addLayout(timeForm);
    m_start = make<QPushButton>(this, C::StartCapture);
    m_contact = make<QPushButton>(this, C::Contact);
    m_end = make<QPushButton>(this, C::EndCapture);
    m_end->hide(); // reached through Escape and the tick only
    QFont big = m_start->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    m_start->setFont(big);
    m_contact->setFont(big);
    m_start->setMinimumHeight(56);
    m_contact->setMinimumHeight(56);
    side->addWidget(m_start);
    side->addWidget(m_contact);
    auto* stats = new QFormLayout;
    m_captime = make<QLabel>(this, C::TimeLeft);
    m_frames = make<QLabel>(this, C::Frames);
    m_dropped = make<QLabel>(this, C::Dropped);
    m_startFrame = make<QLabel>(this, C::StartFrame);
    stats->addRow(make<QLabel>(this, C::TimeLeftLabel), m_captime);
    stats->addRow(make<QLabel>(this, C::FramesLabel), m_frames);
    stats->addRow(make<QLabel>(this, C::DroppedLabel), m_dropped);
    stats->addRow(m_startFrame);
    side->addLayout(stats);
    m_warning = make<QLabel>(this, C::DuplicateWarning);
    m_warning->setWordWrap(true);
    m_warning->setStyleSheet(QStringLiteral("color: red; font-weight: bold"));
    side->addWidget(m_warning);
    side->addWidget(make<QLabel>(this, C::EscapeHint));
    side->addStretch(1);
    m_goToTimer = make<QPushButton>(this, C::GoToTimer);
    m_goSetup = make<QPushButton>(this, C::GoSetup);
    side->addWidget(m_goToTimer);
    side->addWidget(m_goSetup);
    body->addLayout(side);
    top->addLayout(body, 1);

    m_tick = named<QTimer>("Timer1", this);
    m_tick->setInterval(1000);
    connect(m_tick, &QTimer::timeout, this, [this] { m_model.tick(); });
    connect(&m_model, &CaptureScreenModel::tickRunning, this,
            [this](bool on) { on ? m_tick->start() : m_tick->stop(); });
    connect(&m_model, &CaptureScreenModel::changed, this, &PreviewForm::sync);
    connect(&control, &CaptureControl::previewFrame, m_view, &PreviewView::show);
    auto startRecording = [this] {
        m_model.startRecording();
        if (m_model.recording())
            m_contact->setFocus(); // the next press is Contact
    };
    connect(m_start, &QPushButton::clicked, this, startRecording);
    connect(start, &QAction::triggered, this, startRecording);
    connect(m_contact, &QPushButton::clicked, this, [this] { m_model.contact(); });
    connect(m_end, &QPushButton::clicked, this, [this] { m_model.escape(); });
    connect(select, &QPushButton::clicked, this, [this] { m_model.selectNameFromFile(); });
    connect(m_getName, &QPushButton::clicked, this, [this] { m_model.wstimsName(); });
    connect(m_times, &QComboBox::activated, this,
            [this](int index) { m_model.selectCaptureTime(index); });
    connect(m_goSetup, &QPushButton::clicked, this, [this] { m_model.goSetup(); });
    connect(m_goToTimer, &QPushButton::clicked, this, [this] { m_model.goToTimer(); });
    resize(1000, 600);
    sync();
}

void PreviewForm::sync()
{
    m_binder.sync();
    const QSignalBlocker block(m_times);
    m_times->setCurrentIndex(m_model.captureTimeIndex());
    m_captime->setText(m_model.text(C::TimeLeft));
    m_frames->setText(m_model.text(C::Frames));
    m_dropped->setText(m_model.text(C::Dropped));
    m_startFrame->setText(m_model.text(C::StartFrame));
    m_warning->setText(m_model.text(C::DuplicateWarning));
    m_warning->setVisible(m_model.warningVisible());
    m_getName->setVisible(m_model.wstimsVisible());
    m_start->setEnabled(m_model.startEnabled());
    m_contact->setEnabled(m_model.contactEnabled());
    m_end->setEnabled(m_model.endEnabled());
    m_goToTimer->setEnabled(m_model.leaveEnabled());
    m_goSetup->setEnabled(m_model.leaveEnabled());
}

void PreviewForm::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    sync();
}

void PreviewForm::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    if (!m_painted) {
        // The first paint of the run: the attempt checks, once.
        m_painted = true;
        QTimer::singleShot(0, this, [this] { m_model.firstPaint(); });
    }
}

void PreviewForm::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        m_model.escape();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool PreviewForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_skierName && e->type() == QEvent::MouseButtonDblClick) {
        m_model.selectNameFromFile();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

void PreviewForm::closeEvent(QCloseEvent* e)
{
    // The close button goes back to the main screen as "Go Back To Main
    // Screen" does; the camera stays connected for the next jump. While a
    // jump is recorded there is no leaving: Escape stops the recording.
    if (m_model.recording()) {
        e->ignore();
        return;
    }
    if (isVisible())
        m_model.goSetup();
    e->accept();
}

} // namespace korvel
