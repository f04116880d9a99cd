#include "magnifier/lensorwindow.h"

#include "magnifier/art.h"
#include "magnifier/messages.h"
#include "magnifier/pixelsurface.h"
#include "magnifier/toolwindows.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QSplashScreen>
#include <QSystemTrayIcon>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>
#include <qdrawutil.h>

#include <cerrno>

namespace lensor
{

MagnifierView::MagnifierView(LensorWindow& owner, Magnifier& magnifier)
    : QWidget(&owner), m_owner(owner), m_magnifier(magnifier)
{
    setObjectName(QStringLiteral("picture"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
}

void MagnifierView::paintEvent(QPaintEvent*)
{
    if (m_owner.isMinimized())
        return;
    QPainter p(this);
    qDrawShadePanel(&p, m_magnifier.layout().frame, palette(), true, 2);
    if (m_magnifier.options().isOn(Option::Position))
        p.drawImage(panelPlace(PanelItem::Icon, height()).topLeft(),
                    panelIcon(devicePixelRatioF()));
}

void MagnifierView::mouseMoveEvent(QMouseEvent* e)
{
    // The screen's own pointer position: the event's is in logical pixels.
    if (m_magnifier.mouseMoved(m_owner.m_screen.pointer(), m_owner.isMinimized()))
        m_owner.showPicture();
    QWidget::mouseMoveEvent(e);
}

void MagnifierView::resizeEvent(QResizeEvent*)
{
    m_magnifier.resize(size(), devicePixelRatioF());
    m_owner.layoutChanged();
}

LensorWindow::LensorWindow(OptionsStore store, LensorState state, ScreenSource& screen,
                           bool placeFromRecord)
    : m_store(std::move(store)), m_state(state), m_screen(screen),
      m_magnifier(screen, state.options)
{
    setObjectName(QStringLiteral("LensorAppClass"));
    setWindowTitle(QString::fromLatin1(kTitle));
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(programIcon(16)));
    icon.addPixmap(QPixmap::fromImage(programIcon(32)));
    setWindowIcon(icon);
    m_view = new MagnifierView(*this, m_magnifier);
    setCentralWidget(m_view);
    buildMenus();
    buildPanel();
    setMinimumSize(kSmallestWindow);
    setWindowFlag(Qt::WindowStaysOnTopHint, m_magnifier.options().isOn(Option::TopMost));
    // The stored place, on a screen there is now, at a size that fits it.
    const WindowRecord& w = m_state.window(Section::Window);
    const QRect place = placedOnScreens({w.left, w.top, w.width, w.height}, screenAreas());
    resize(place.size().expandedTo(kSmallestWindow));
    if (placeFromRecord)
        move(place.topLeft());

    m_timer.setObjectName(QStringLiteral("refresh"));
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { tick(m_screen.pointer()); });
    // Where lensor puts its pixels on the screen itself, a frame needs nothing
    // of the toolkit's: it runs on a thread of its own.
    if (m_screen.putsOnWindows())
        m_frames = FrameClock::create([this] { tick(m_screen.pointer()); });
    startFrames();
    followTaskTray();
    updateChecks();
}

LensorWindow::~LensorWindow()
{
    m_frames.reset();
    for (auto& [section, tool] : m_tools)
        delete tool.data();
}

void LensorWindow::buildMenus()
{
    std::map<MenuName, QMenu*> menus;
    for (MenuName m : {MenuName::File, MenuName::Edit, MenuName::View, MenuName::Tools}) {
        menus[m] = menuBar()->addMenu(menuCaption(m));
        connect(menus[m], &QMenu::aboutToShow, this, &LensorWindow::updateChecks);
    }
    for (const CommandInfo& c : commandTable()) {
        auto* a = new QAction(QString::fromLatin1(c.caption), this);
        a->setObjectName(QString::fromLatin1(c.name));
        a->setCheckable(c.checkable);
        a->setShortcuts(c.keys);
        connect(a, &QAction::triggered, this, [this, cmd = c.command] { run(cmd); });
        menus[c.menu]->addAction(a);
        m_actions[c.command] = a;
    }
}

void LensorWindow::buildPanel()
{
    m_picture = new PixelSurface(QStringLiteral("picture"), m_screen, m_view);
    m_picture->setSource([this]() -> const QImage& { return m_magnifier.picture(); });
    if (m_screen.putsOnWindows())
        m_strip = new PanelStrip(m_screen, m_view);
    m_disc = new ColourDisc(m_screen, m_view, m_strip);
    m_vertical = new Readout("VerticalReadout", m_screen, m_view, m_strip);
    m_horizontal = new Readout("HorizontalReadout", m_screen, m_view, m_strip);
    m_colourText = new Readout("ColourText", m_screen, m_view, m_strip);
    // Over its parts: an X window lies under the toolkit's own widgets
    // that come after it.
    if (m_strip)
        m_strip->raise();
    const auto label = [this](const char* name) {
        auto* l = new QLabel(m_view);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    const char* buttons[4] = {"ZoomNorm", "Zoom2x", "Zoom4x", "Zoom8x"};
    const char* captions[4] = {"Norm", "2x", "4x", "8x"};
    for (int i = 0; i < 4; ++i) {
        m_zoomButtons[i] = new QRadioButton(m_view);
        m_zoomButtons[i]->setObjectName(QString::fromLatin1(buttons[i]));
        m_zoomButtons[i]->setFocusPolicy(Qt::NoFocus);
        connect(m_zoomButtons[i], &QRadioButton::clicked, this, [this, i] {
            m_magnifier.setZoom(i);
            updatePanel();
            updateChecks();
        });
        m_zoomLabels[i] = label(captions[i]);
        m_zoomLabels[i]->setText(QString::fromLatin1(captions[i]));
        QFont small = m_zoomLabels[i]->font();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        m_zoomLabels[i]->setFont(small);
    }
    m_colourText->setFont(m_zoomLabels[0]->font());
}

void LensorWindow::layoutChanged()
{
    const bool on = m_magnifier.options().isOn(Option::Position);
    const int b = m_view->height();
    m_picture->setGeometry(m_magnifier.layout().picture);
    m_picture->setVisible(!m_magnifier.layout().picture.isEmpty());
    m_disc->setGeometry(ColourDisc::area(b));
    m_disc->setVisible(on);
    if (m_strip) {
        m_strip->setGeometry(PanelStrip::area(b, m_view->devicePixelRatioF()));
        m_strip->setVisible(on);
    }
    const std::pair<QWidget*, PanelItem> places[] = {
        {m_vertical, PanelItem::VerticalReadout}, {m_horizontal, PanelItem::HorizontalReadout},
        {m_colourText, PanelItem::ColourText},    {m_zoomButtons[0], PanelItem::ZoomNorm},
        {m_zoomButtons[1], PanelItem::Zoom2x},    {m_zoomButtons[2], PanelItem::Zoom4x},
        {m_zoomButtons[3], PanelItem::Zoom8x},    {m_zoomLabels[0], PanelItem::LabelNorm},
        {m_zoomLabels[1], PanelItem::Label2x},    {m_zoomLabels[2], PanelItem::Label4x},
        {m_zoomLabels[3], PanelItem::Label8x},
    };
    for (const auto& [widget, item] : places) {
        widget->setGeometry(panelPlace(item, b));
        widget->setVisible(on);
    }
    updatePanel();
    m_view->update();
    m_picture->update();
}

void LensorWindow::updatePanel()
{
    if (!m_magnifier.options().isOn(Option::Position))
        return;
    updateReadouts();
    m_screen.flush();
    const int zoom = m_magnifier.options().zoom();
    for (int i = 0; i < 4; ++i)
        if (m_zoomButtons[i]->isChecked() != (i == zoom))
            m_zoomButtons[i]->setChecked(i == zoom);
}

// What a frame changes in the panel: the pointer's position and colour.
void LensorWindow::updateReadouts()
{
    if (!m_magnifier.options().isOn(Option::Position))
        return;
    // Each written out and redrawn only when its value changed, and all
    // shown together.
    const PanelStrip::Batch batch(m_strip);
    m_vertical->setNumber(m_magnifier.readoutPoint().y());
    m_horizontal->setNumber(m_magnifier.readoutPoint().x());
    const QRgb colour = m_magnifier.rgb();
    const bool html = m_magnifier.options().isOn(Option::Html);
    if (!m_colourShown || m_colourShown->first != colour || m_colourShown->second != html) {
        char text[8];
        m_colourText->setLatin1(text, colourDigits(colour, html, text));
        m_colourShown = std::pair(colour, html);
    }
    m_disc->setColour(colour);
}

// Only what a tick changes: the picture and the panel's read-outs; the rest
// of the window is repainted by the toolkit when it needs it.
void LensorWindow::showPicture()
{
    updateReadouts();
    m_picture->present();
    m_screen.flush();
}

// The window moved to a screen of another scale: the picture's screen pixels change.
void LensorWindow::followPixelRatio()
{
    if (qFuzzyCompare(m_view->devicePixelRatioF(), m_magnifier.pixelRatio()))
        return;
    m_magnifier.resize(m_view->size(), m_view->devicePixelRatioF());
    // The strip last: it takes its parts' new images in.
    for (PixelSurface* s : std::initializer_list<PixelSurface*>{m_disc, m_vertical, m_horizontal,
                                                                m_colourText, m_strip})
        if (s)
            s->redraw();
    layoutChanged();
}

void LensorWindow::updateChecks()
{
    const Options& o = m_magnifier.options();
    action(Command::Position)->setChecked(o.isOn(Option::Position));
    action(Command::Crosshair)->setChecked(o.isOn(Option::CrossHair));
    const Command zooms[4] = {Command::NormalSize, Command::Zoom2x, Command::Zoom4x,
                              Command::Zoom8x};
    for (int i = 0; i < 4; ++i)
        action(zooms[i])->setChecked(o.zoom() == i);
    action(Command::LockView)->setChecked(m_magnifier.locked());
    action(Command::FixedView)->setChecked(m_magnifier.fixed());
    action(Command::AlwaysOnTop)->setChecked(o.isOn(Option::TopMost));
}

void LensorWindow::tick(QPoint cursor)
{
    const bool taskTray = m_magnifier.options().isOn(Option::TaskTray);
    switch (m_magnifier.tick(cursor, m_minimised, taskTray)) {
    case Magnifier::TickResult::Magnified:
        if (m_magnifier.changed())
            showPicture();
        break;
    case Magnifier::TickResult::Title: {
        // The title and the tool windows are the window thread's to change;
        // a frame on its own thread hands them over.
        const QString title = minimisedTitle(cursor);
        if (title != windowTitle())
            QMetaObject::invokeMethod(this, [this, title] { setWindowTitle(title); });
        break;
    }
    case Magnifier::TickResult::Nothing:
        break;
    }
    if (toolWindow(Section::SysInfo))
        QMetaObject::invokeMethod(this, [this] {
            if (auto* info = qobject_cast<SysInfoWindow*>(toolWindow(Section::SysInfo)))
                info->refresh();
        });
}

void LensorWindow::startFrames()
{
    const int period = m_magnifier.options().periodMs();
    if (m_frames)
        m_frames->start(period);
    else
        m_timer.start(period);
}

void LensorWindow::stopFrames()
{
    if (m_frames)
        m_frames->stop();
    m_timer.stop();
}

void LensorWindow::run(Command c)
{
    switch (c) {
    case Command::Options:
        openSheet(OptionsSheet::Page::General);
        break;
    case Command::Exit:
        close();
        break;
    case Command::Copy:
        copyToClipboard();
        break;
    case Command::Position:
        m_magnifier.togglePosition();
        layoutChanged();
        break;
    case Command::Crosshair:
        m_magnifier.options().toggle(Option::CrossHair);
        break;
    case Command::NormalSize:
    case Command::Zoom2x:
    case Command::Zoom4x:
    case Command::Zoom8x:
        m_magnifier.setZoom(static_cast<int>(c) - static_cast<int>(Command::NormalSize));
        updatePanel();
        break;
    case Command::LockView:
        if (m_magnifier.toggleLock())
            QApplication::beep();
        break;
    case Command::FixedView:
        m_magnifier.toggleFixed();
        layoutChanged();
        break;
    case Command::Minimize:
        showMinimized();
        break;
    case Command::AlwaysOnTop:
        m_magnifier.options().toggle(Option::TopMost);
        applyTopMost();
        break;
    case Command::HorizontalRuler:
    case Command::VerticalRuler: {
        const Section s = c == Command::HorizontalRuler ? Section::HRuler : Section::VRuler;
        if (ToolWindow* ruler = toolWindow(s))
            ruler->close();
        else
            showTool(s);
        break;
    }
    case Command::AsciiChart:
        showTool(Section::AsciiChart);
        break;
    case Command::ErrorCodes:
        showTool(Section::ErrorCodes);
        break;
    case Command::SystemInformation:
        showTool(Section::SysInfo);
        break;
    case Command::Help: {
        const QString help =
            QApplication::applicationDirPath() + QStringLiteral("/lensor-help.html");
        if (!QFileInfo::exists(help) || !QDesktopServices::openUrl(QUrl::fromLocalFile(help)))
            report(messageText(Message::OpenFile, QFileInfo::exists(help) ? EIO : ENOENT, help));
        break;
    }
    case Command::Setup:
        openSheet(OptionsSheet::Page::Setup);
        break;
    case Command::About: {
        auto* about = new QSplashScreen(QPixmap::fromImage(startPicture()));
        about->setObjectName(QStringLiteral("About"));
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->show(); // a click closes it
        break;
    }
    }
    updateChecks();
}

ToolWindow* LensorWindow::toolWindow(Section s) const
{
    const auto it = m_tools.find(s);
    return it == m_tools.end() ? nullptr : it->second.data();
}

void LensorWindow::showTool(Section s)
{
    if (ToolWindow* open = toolWindow(s)) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    WindowRecord& record = m_state.window(s);
    ToolWindow* tool = nullptr;
    switch (s) {
    case Section::HRuler:
        tool = new RulerWindow(false, record);
        break;
    case Section::VRuler:
        tool = new RulerWindow(true, record);
        break;
    case Section::AsciiChart:
        tool = new CharChartWindow(record);
        break;
    case Section::ErrorCodes:
        tool = new ErrorCodesWindow(record);
        break;
    case Section::SysInfo:
        tool = new SysInfoWindow(record);
        break;
    default:
        return;
    }
    m_tools[s] = tool;
    tool->show();
}

void LensorWindow::copyToClipboard()
{
    const QImage picture = m_magnifier.copyPicture(m_screen.pointer());
    showPicture();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        report(messageText(Message::ClipboardOpen, EBUSY));
        return;
    }
    // The shutter: the system's own bell, which every desktop can sound.
    if (m_magnifier.options().isOn(Option::Shutter))
        QApplication::beep();
    clipboard->setImage(picture);
}

void LensorWindow::applyTopMost()
{
    const bool on = m_magnifier.options().isOn(Option::TopMost);
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible)
        show();
}

void LensorWindow::followTaskTray()
{
    const bool wanted = m_magnifier.options().isOn(Option::TaskTray);
    if (wanted && !m_tray) {
        m_tray = new QSystemTrayIcon(QIcon(QPixmap::fromImage(programIcon(16))), this);
        m_tray->setObjectName(QStringLiteral("TrayIcon"));
        m_tray->setToolTip(QString::fromLatin1(kTitle));
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason r) {
                    if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::Context ||
                        r == QSystemTrayIcon::DoubleClick)
                        comeForward();
                });
        m_tray->show();
    } else if (!wanted && m_tray) {
        delete m_tray;
        m_tray = nullptr;
    }
}

void LensorWindow::comeForward()
{
    if (isMinimized())
        showNormal();
    else
        show();
    // Coming forward off the screen would not help the operator who asked.
    const QRect place = placedOnScreens({pos(), size()}, screenAreas());
    if (place.topLeft() != pos())
        move(place.topLeft());
    if (place.size() != size())
        resize(place.size().expandedTo(kSmallestWindow));
    raise();
    activateWindow();
    applyTopMost();
}

void LensorWindow::openSheet(OptionsSheet::Page page)
{
    OptionsSheet sheet(currentState(), page, this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    for (const QString& failed :
         sheet.applySetup(QApplication::applicationFilePath(), programIcon(48)))
        report(failed);
    takeOptions(sheet.result(), page == OptionsSheet::Page::General);
}

void LensorWindow::takeOptions(const LensorState& state, bool restartTimer)
{
    const LensorState now = currentState();
    m_state = state;
    m_state.window(Section::Window) = now.window(Section::Window);
    m_magnifier.options() = state.options;
    if (const auto failed = m_store.save(currentState()))
        report(*failed);
    followTaskTray();
    for (auto& [section, tool] : m_tools)
        if (tool)
            tool->applyOnTop();
    if (restartTimer)
        startFrames();
    updatePanel();
    m_view->update();
    emit optionsChanged(m_magnifier.options());
}

LensorState LensorWindow::currentState() const
{
    LensorState s = m_state;
    s.options = m_magnifier.options();
    // The normal place, also when the window is minimised or hidden in the tray.
    const bool normal = !isMinimized() && !isMaximized();
    const QRect place = normal ? QRect(pos(), size()) : normalGeometry();
    if (place.isValid()) {
        WindowRecord& w = s.window(Section::Window);
        w.left = place.x();
        w.top = place.y();
        w.width = place.width();
        w.height = place.height();
    }
    return s;
}

void LensorWindow::closeEvent(QCloseEvent* e)
{
    stopFrames();
    m_state = currentState();
    for (auto& [section, tool] : m_tools)
        if (tool)
            tool->close();
    delete m_tray;
    m_tray = nullptr;
    auto failed = m_store.save(m_state);
    if (!failed)
        failed = m_store.saveVersion();
    if (failed)
        report(*failed);
    e->accept();
    QCoreApplication::quit();
}

void LensorWindow::stepZoom(int steps)
{
    if (!m_magnifier.stepZoom(steps))
        return;
    updatePanel();
    updateChecks();
}

// The wheel and + and - zoom in and out a step at a time; Shift with an arrow
// key moves the pointer one screen pixel, to put a marker to the pixel while
// watching it magnified.
void LensorWindow::keyPressEvent(QKeyEvent* e)
{
    const bool shift = e->modifiers().testFlag(Qt::ShiftModifier);
    QPoint step;
    switch (e->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        stepZoom(1);
        return;
    case Qt::Key_Minus:
        stepZoom(-1);
        return;
    case Qt::Key_Left:
        step = {-1, 0};
        break;
    case Qt::Key_Right:
        step = {1, 0};
        break;
    case Qt::Key_Up:
        step = {0, -1};
        break;
    case Qt::Key_Down:
        step = {0, 1};
        break;
    default:
        break;
    }
    if (shift && !step.isNull()) {
        const QPoint to = m_screen.pointer() + step;
        if (m_screen.movePointer(to))
            tick(to);
        return;
    }
    QMainWindow::keyPressEvent(e);
}

void LensorWindow::wheelEvent(QWheelEvent* e)
{
    // A notch is 120; a fine wheel sends less, and its parts add up.
    m_wheel += e->angleDelta().y();
    const int steps = m_wheel / 120;
    m_wheel -= steps * 120;
    if (steps != 0)
        stepZoom(steps);
    e->accept();
}

void LensorWindow::showEvent(QShowEvent* e)
{
    if (!m_followsScreen && windowHandle()) {
        connect(windowHandle(), &QWindow::screenChanged, this, &LensorWindow::followPixelRatio);
        m_followsScreen = true;
    }
    QMainWindow::showEvent(e);
}

void LensorWindow::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::WindowStateChange) {
        m_minimised = isMinimized();
        if (isMinimized()) {
            // With a notification icon the window lives only there while
            // minimised; without a tray to show the icon it stays on the taskbar.
            if (m_tray && QSystemTrayIcon::isSystemTrayAvailable())
                QTimer::singleShot(0, this, &QWidget::hide);
        } else {
            setWindowTitle(QString::fromLatin1(kTitle));
            m_magnifier.resize(m_view->size(), m_view->devicePixelRatioF());
            layoutChanged();
        }
    }
    QMainWindow::changeEvent(e);
}

void LensorWindow::report(const QString& text)
{
    QMessageBox::warning(isVisible() ? this : nullptr, QString::fromLatin1(kTitle),
                         displayText(text));
}

} // namespace lensor
