#include "magnifier/lensorwindow.h"
#include "magnifier/optionssheet.h"
#include "magnifier/pixelsurface.h"
#include "magnifier/toolfigures.h"
#include "magnifier/toolwindows.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>

using namespace lensor;

namespace
{
class PlainScreen : public ScreenSource
{
public:
    QSize screenSize() const override { return {640, 480}; }
    QImage grab(const QRect& r) override
    {
        QImage image(r.size(), QImage::Format_RGB32);
        image.fill(colour);
        return image;
    }
    QPoint pointer() override { return at; }
    bool movePointer(QPoint p) override
    {
        at = p;
        return true;
    }
    QPoint at{10, 20};
    QColor colour{255, 0, 0};
};

// A screen that puts pictures on windows itself, as X11 does: the window's
// frames run on a thread of their own (and, offscreen, fall back to the
// toolkit's painting, handed to the window's thread).
class DirectScreen : public PlainScreen
{
public:
    bool putsOnWindows() const override { return true; }
};

// Asleep in the event loop, where frames on their own thread run, until done
// holds or boundMs passed.
template <class Done> bool sleepUntil(Done done, int boundMs = 5000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && !t.hasExpired(boundMs)) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

// A magnifier window shown over a test screen, its options in a folder of its own.
template <class Screen> struct ShownWindow {
    ShownWindow()
        : store(dir.filePath(QStringLiteral("lensor.ini"))),
          w(store, store.load({640, 480}), screen)
    {
        w.show();
    }
    QTemporaryDir dir;
    const OptionsStore store;
    Screen screen;
    LensorWindow w;
};

template <class T> T* child(QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}
} // namespace

TEST(LensorWindow, MenusPanelAndTheOptionsKeptAtExit)
{
    QTemporaryDir dir;
    const OptionsStore store(dir.filePath(QStringLiteral("lensor.ini")));
    PlainScreen screen;
    {
        LensorWindow w(store, store.load({640, 480}), screen);
        w.show();
        EXPECT_EQ(w.objectName(), QStringLiteral("LensorAppClass"));
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Lensor"));
        EXPECT_EQ(w.timer().interval(), 33);

        QAction* zoom8 = child<QAction>(w, "8x Zoom");
        ASSERT_TRUE(zoom8);
        EXPECT_EQ(zoom8->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_8));
        EXPECT_EQ(child<QAction>(w, "Normal Size")->shortcuts().size(), 2);
        zoom8->trigger();
        EXPECT_EQ(w.magnifier().options().factor(), 8);
        EXPECT_TRUE(zoom8->isChecked());

        w.tick({10, 20});
        EXPECT_EQ(child<Readout>(w, "VerticalReadout")->text(), QStringLiteral("20"));
        EXPECT_EQ(child<Readout>(w, "HorizontalReadout")->text(), QStringLiteral("10"));
        EXPECT_EQ(child<Readout>(w, "ColourText")->text(), QStringLiteral("0x0000FF"));

        w.run(Command::LockView);
        w.tick({30, 40});
        EXPECT_EQ(child<Readout>(w, "HorizontalReadout")->text(), QStringLiteral("10"));
        QTest::mouseClick(child<QWidget>(w, "Zoom2x"), Qt::LeftButton); // unlocks
        EXPECT_FALSE(w.magnifier().locked());
        EXPECT_EQ(w.magnifier().options().zoom(), 1);

        w.run(Command::Position);
        EXPECT_FALSE(child<Readout>(w, "ColourText")->isVisible());
        w.run(Command::Copy);
        EXPECT_EQ(QGuiApplication::clipboard()->image().size(),
                  w.magnifier().layout().picture.size());
        w.close();
    }
    const LensorState kept = store.load({640, 480});
    EXPECT_EQ(kept.options.zoom(), 1);
    EXPECT_FALSE(kept.options.isOn(Option::Position));
    QFile ini(store.path());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("[Version]"));
}

// The read-outs are written out only when their value changes: every change
// still shows, whichever way it came.
TEST(LensorWindow, ReadoutsFollowEveryChangeOfPositionColourAndNotation)
{
    ShownWindow<PlainScreen> shown;
    LensorWindow& w = shown.w;
    auto& screen = shown.screen;
    Readout* vertical = child<Readout>(w, "VerticalReadout");
    Readout* colour = child<Readout>(w, "ColourText");
    ASSERT_TRUE(vertical && colour);
    const auto withHtml = [&](bool on) {
        LensorState s = w.currentState();
        s.options.set(Option::Html, on);
        w.takeOptions(s, false);
    };
    struct Step {
        QPoint at;
        QColor screenColour;
        bool html;
        const char* y;
        const char* text;
    };
    const Step steps[] = {
        {{10, 20}, QColor(255, 0, 0), false, "20", "0x0000FF"},
        {{11, 20}, QColor(255, 0, 0), false, "20", "0x0000FF"},
        {{11, 20}, QColor(255, 0, 0), true, "20", "#FF0000"}, // only the notation
        {{11, 20}, QColor(0, 128, 1), true, "20", "#008001"}, // only the screen
        {{11, 21}, QColor(0, 128, 1), false, "21", "0x018000"},
    };
    for (const Step& s : steps) {
        screen.colour = s.screenColour;
        withHtml(s.html);
        w.tick(s.at);
        EXPECT_EQ(vertical->text(), QString::fromLatin1(s.y)) << s.at.x() << "," << s.at.y();
        EXPECT_EQ(colour->text(), QString::fromLatin1(s.text)) << s.at.x() << "," << s.at.y();
    }
    // A number set again after another text is written out again.
    vertical->setNumber(7);
    vertical->setText(QStringLiteral("-"));
    vertical->setNumber(7);
    EXPECT_EQ(vertical->text(), QStringLiteral("7"));
}

// A read-out is stamped over its last text up to fifty times a second: what
// it shows after any change is what a fresh read-out of that text shows.
TEST(LensorWindow, AReadoutShowsItsTextAsIfDrawnAfresh)
{
    PlainScreen screen;
    QWidget panel;
    const auto drawn = [&](const QStringList& texts, QSize size) {
        Readout r("VerticalReadout", screen, &panel);
        r.setGeometry(QRect(QPoint(0, 0), size));
        for (const QString& t : texts)
            r.setText(t);
        return r.grab().toImage();
    };
    struct Case {
        QStringList before;
        QString text;
        QSize size;
    } cases[] = {
        {{"-1234"}, "7", {30, 16}},              // shorter: the old digits go
        {{"7"}, "-1234", {30, 16}},              // longer
        {{"0x00FF00", "#FFFFFF"}, "", {30, 16}}, // nothing left
        {{"88888888888888"}, "1", {30, 16}},     // the old text was cut at the edge
        {{"-1234"}, "56", {30, 6}},              // lower than a line: glyphs cut
        {{"369"}, "379", {30, 16}},              // a digit in the middle
        {{"369", "379"}, "389", {30, 16}},       // and again
        {{"10"}, "1", {30, 16}},                 // the last digit goes
        {{"1"}, "10", {30, 16}},                 // a digit comes
        {{"0x1070FF"}, "0x1270FF", {57, 15}},    // the colour, mostly the same
        {{""}, "12", {30, 16}},                  // from nothing
        {{"12", ""}, "345", {30, 16}},           // through nothing
        {{"1234567"}, "1234568", {30, 16}},      // a change past the edge
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QStringList sequence = c.before;
        sequence << c.text;
        EXPECT_EQ(drawn(sequence, c.size), drawn({c.text}, c.size));
    }
}

// A read-out keeps its text as Latin-1 characters, as many as any read-out
// could show: what it cannot hold shows as a fresh read-out of what it kept.
TEST(LensorWindow, AReadoutKeepsLatin1TextsAndCutsLongOnes)
{
    PlainScreen screen;
    QWidget panel;
    const auto drawn = [&](const QString& text, QString* kept = nullptr) {
        Readout r("ColourText", screen, &panel);
        r.setGeometry(QRect(0, 0, 57, 15));
        r.setText(QStringLiteral("0x000000"));
        r.setText(text);
        if (kept)
            *kept = r.text();
        return r.grab().toImage();
    };
    const struct {
        QString text;
        QString kept;
    } cases[] = {
        {QStringLiteral("#A0B0C0"), QStringLiteral("#A0B0C0")},
        {QString::fromUtf8("\xc3\xa9-1"), QString::fromUtf8("\xc3\xa9-1")}, // Latin-1 stays
        {QString::fromUtf8("\xe4\xb8\xad"
                           "1"),
         QStringLiteral("?1")}, // beyond it: "?"
        {QString(40, QLatin1Char('7')), QString(Readout::kMaxLength, QLatin1Char('7'))},
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QString kept;
        const QImage shown = drawn(c.text, &kept);
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(shown, drawn(c.kept));
    }
}

// Frames on their own thread follow the pointer as the timer's did, hand the
// minimised window's title over to the window's thread, and stop with it.
TEST(LensorWindow, FramesOnTheirOwnThreadFollowThePointerAndHandOverTheTitle)
{
    QTemporaryDir dir;
    const OptionsStore store(dir.filePath(QStringLiteral("lensor.ini")));
    DirectScreen screen;
    auto w = std::make_unique<LensorWindow>(store, store.load({640, 480}), screen);
    ASSERT_TRUE(w->framesOnTheirOwnThread());
    EXPECT_FALSE(w->timer().isActive());
    w->show();
    Readout* vertical = child<Readout>(*w, "VerticalReadout");
    ASSERT_TRUE(vertical);
    for (const int y : {20, 21, 300}) {
        screen.at = {10, y};
        EXPECT_TRUE(sleepUntil([&] { return vertical->text() == QString::number(y); })) << y;
    }
    w->showMinimized();
    screen.at = {12, 34};
    EXPECT_TRUE(sleepUntil([&] { return w->windowTitle() == minimisedTitle({12, 34}); }));
    w->showNormal();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Lensor"));
    screen.at = {10, 40};
    EXPECT_TRUE(sleepUntil([&] { return vertical->text() == QStringLiteral("40"); }));
    w->close();
    w.reset();
}

// A screen that takes every picture put on a window, as X11 does, and keeps
// the last one of each window.
class PuttingScreen : public DirectScreen
{
public:
    bool putOnWindow(WId window, const QImage& image) override
    {
        ++puts[window];
        last[window] = image.copy();
        return true;
    }
    std::map<WId, int> puts;
    std::map<WId, QImage> last;
};

// On a desktop scaled by a fraction the strip's top lies on a whole screen
// pixel wherever one lies above the first read-out (else a row of pixels
// above it shows nothing), and the strip still holds every part that changes
// and leaves the zoom buttons and their labels to the toolkit.
TEST(PanelStrip, LiesOnWholeScreenPixelsAroundThePartsThatChange)
{
    for (const qreal ratio : {1.0, 1.25, 1.5, 1.75, 2.0})
        for (const int bottom : {180, 181, 182, 183, 251}) {
            SCOPED_TRACE(testing::Message() << "ratio " << ratio << ", bottom " << bottom);
            const QRect strip = PanelStrip::area(bottom, ratio);
            const auto whole = [ratio](int y) {
                return std::abs(y * ratio - std::round(y * ratio)) < 1e-9;
            };
            const int first = panelPlace(PanelItem::Icon, bottom).top();
            const int readout = panelPlace(PanelItem::VerticalReadout, bottom).top();
            int expected = first;
            for (int y = first; y <= readout; ++y)
                if (whole(y)) {
                    expected = y;
                    break;
                }
            EXPECT_EQ(strip.top(), expected);
            EXPECT_TRUE(strip.contains(ColourDisc::area(bottom)));
            for (const PanelItem item :
                 {PanelItem::VerticalReadout, PanelItem::HorizontalReadout, PanelItem::ColourText})
                EXPECT_TRUE(strip.contains(panelPlace(item, bottom))) << int(item);
            for (const PanelItem item :
                 {PanelItem::ZoomNorm, PanelItem::Zoom2x, PanelItem::Zoom4x, PanelItem::Zoom8x,
                  PanelItem::LabelNorm, PanelItem::Label2x, PanelItem::Label4x, PanelItem::Label8x})
                EXPECT_FALSE(strip.intersects(panelPlace(item, bottom))) << int(item);
        }
}

// Where lensor puts its own pixels, a frame puts the picture and one strip
// with the disc and the read-outs in it, however many of them changed; the
// strip shows each part as the part draws itself.
TEST(LensorWindow, AFramePutsThePictureAndOneStripForTheWholePanel)
{
    ShownWindow<PuttingScreen> shown;
    LensorWindow& w = shown.w;
    auto& screen = shown.screen;
    auto* strip = child<PanelStrip>(w, "PanelStrip");
    ASSERT_TRUE(strip);
    EXPECT_EQ(strip->geometry(), PanelStrip::area(w.centralWidget()->height()));
    // The windows a frame puts on are made with the magnifier window, on its
    // thread: a frame runs on a thread of its own and must never make one.
    for (const char* name : {"picture", "PanelStrip"}) {
        const auto* surface = child<PixelSurface>(w, name);
        EXPECT_NE(surface->internalWinId(), 0u) << name;
        EXPECT_TRUE(surface->testAttribute(Qt::WA_PaintOnScreen)) << name;
        EXPECT_TRUE(surface->hasMouseTracking()) << name;
    }
    const WId stripWindow = strip->winId();
    // It hides none of the zoom buttons or their labels.
    for (const char* name : {"ZoomNorm", "Zoom2x", "Zoom4x", "Zoom8x", "Norm", "2x", "4x", "8x"})
        EXPECT_FALSE(strip->geometry().intersects(child<QWidget>(w, name)->geometry())) << name;
    // The strip lies over its parts, which the toolkit paints under it.
    const QObjectList stacked = strip->parentWidget()->children();
    for (const char* name : {"VerticalReadout", "HorizontalReadout", "ColourText", "ColourDisc"})
        EXPECT_LT(stacked.indexOf(child<QWidget>(w, name)), stacked.indexOf(strip)) << name;
    struct Step {
        QPoint at;
        QColor colour;
        int stripPuts;
    };
    const Step steps[] = {
        {{100, 200}, QColor(1, 2, 3), 1}, // both positions and the colour
        {{100, 200}, QColor(1, 2, 3), 0}, // nothing
        {{100, 200}, QColor(9, 2, 3), 1}, // the colour alone
        {{101, 201}, QColor(9, 2, 3), 1}, // both positions
        {{0, 479}, QColor(0, 0, 0), 1},   // the screen's corner
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << s.at.x() << "," << s.at.y());
        screen.puts.clear();
        screen.colour = s.colour;
        screen.at = s.at;
        w.tick(s.at);
        EXPECT_EQ(screen.puts[stripWindow], s.stripPuts);
        for (const auto& [window, n] : screen.puts)
            EXPECT_LE(n, 1) << "a window put twice in one frame";
        // Each part as it draws itself, at its place in the strip.
        const QImage& shown = screen.last[stripWindow];
        ASSERT_FALSE(shown.isNull());
        for (const char* name :
             {"VerticalReadout", "HorizontalReadout", "ColourText", "ColourDisc"}) {
            const auto* part = child<PixelSurface>(w, name);
            const QPoint at = part->geometry().topLeft() - strip->geometry().topLeft();
            EXPECT_EQ(shown.copy(QRect(at, part->image().size())), part->image()) << name;
        }
    }
    EXPECT_EQ(child<Readout>(w, "VerticalReadout")->text(), QStringLiteral("479"));
    // Without the panel, the strip goes with it.
    w.run(Command::Position);
    EXPECT_FALSE(strip->isVisible());
    w.close();
}

TEST(LensorWindow, OptionsSheetEditsACopyAndMakesTheEntries)
{
    LensorState state;
    OptionsSheet sheet(state, OptionsSheet::Page::Setup);
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral(" Screen Lensor Options"));
    child<QWidget>(sheet, "Fast")->setProperty("checked", true);
    child<QCheckBox>(sheet, "TaskTray")->setChecked(true);
    child<QCheckBox>(sheet, "SysInfo")->setChecked(false);
    child<QCheckBox>(sheet, "Desktop")->setChecked(true);
    child<QCheckBox>(sheet, "Startup")->setChecked(true);
    const LensorState edited = sheet.result();
    EXPECT_EQ(edited.options.periodMs(), 20);
    EXPECT_TRUE(edited.options.isOn(Option::TaskTray));
    EXPECT_FALSE(edited.window(Section::SysInfo).show);
    EXPECT_TRUE(edited.window(Section::HRuler).show);
    EXPECT_EQ(state, LensorState{}); // the live state is untouched until OK

    EXPECT_TRUE(sheet
                    .applySetup(QStringLiteral("/opt/my tools/lensor"),
                                QImage(48, 48, QImage::Format_ARGB32))
                    .isEmpty());
    EXPECT_TRUE(shellEntryExists(ShellEntry::Desktop));
    EXPECT_TRUE(shellEntryExists(ShellEntry::Startup));
    EXPECT_FALSE(shellEntryExists(ShellEntry::Programs));
    QFile entry(shellEntryPath(ShellEntry::Startup));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    EXPECT_TRUE(entry.readAll().contains("Exec=\"/opt/my tools/lensor\"\n"));

    OptionsSheet again(state, OptionsSheet::Page::Setup);
    EXPECT_TRUE(child<QCheckBox>(again, "Desktop")->isChecked());
    child<QCheckBox>(again, "Desktop")->setChecked(false);
    child<QCheckBox>(again, "Startup")->setChecked(false);
    EXPECT_TRUE(again.applySetup(QStringLiteral("/usr/bin/lensor"), QImage()).isEmpty());
    EXPECT_FALSE(shellEntryExists(ShellEntry::Desktop));
    EXPECT_FALSE(shellEntryExists(ShellEntry::Startup));
}

TEST(LensorToolWindows, ChartErrorListAndSystemInformation)
{
    LensorState state;
    CharChartWindow chart(state.window(Section::AsciiChart));
    chart.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(chart.windowTitle(), QStringLiteral("ASCII | ANSI Chart"));
    QTest::mouseClick(&chart, Qt::RightButton, {}, QPoint(150, 39)); // column 4, row 1
    EXPECT_EQ(chart.markedCode(), 65);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("A"));
    chart.move(100, 120);
    chart.close();
    EXPECT_EQ(state.window(Section::AsciiChart).left, 100); // the place is remembered
    EXPECT_EQ(state.window(Section::AsciiChart).top, 120);

    ErrorCodesWindow errors(state.window(Section::ErrorCodes));
    errors.setAttribute(Qt::WA_DeleteOnClose, false);
    ASSERT_GT(errors.list()->count(), 10);
    EXPECT_EQ(errors.list()->currentRow(), 0);
    EXPECT_TRUE(errors.list()->item(2)->text().startsWith(QStringLiteral("2\t0x0002\t")));

    SystemFigures f;
    f.totalRam = 67108864;
    f.freeRam = 67108864 / 100 * 3 + 1000;
    f.processors = 1;
    f.processor = QStringLiteral("x86_64");
    SysInfoWindow info(state.window(Section::SysInfo), [&] { return f; });
    info.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_EQ(info.lines()[2], QStringLiteral("64 M Total RAM"));
    EXPECT_EQ(info.lines()[1], QStringLiteral("x86_64 System CPU"));
    EXPECT_EQ(info.lines()[7], QStringLiteral("3%"));
}

TEST(LensorToolWindows, SystemInformationReadsTheSystemAtMostOnceASecond)
{
    LensorState state;
    int reads = 0;
    SystemFigures f;
    f.totalRam = 1 << 30;
    SysInfoWindow info(state.window(Section::SysInfo), [&] {
        ++reads;
        return f;
    });
    info.setAttribute(Qt::WA_DeleteOnClose, false);
    // A second of ticks at the fastest refresh, and many more besides.
    for (int tick = 0; tick < 200; ++tick)
        info.refresh();
    EXPECT_LE(reads, 2);

    // A figure that changed shows within a second or so.
    f.freeRam = f.totalRam / 4;
    QElapsedTimer clock;
    clock.start();
    while (info.lines()[7] != QStringLiteral("25%") && clock.elapsed() < 5000) {
        QThread::msleep(20);
        info.refresh();
    }
    EXPECT_EQ(info.lines()[7], QStringLiteral("25%"));
    EXPECT_LE(reads, 2 + clock.elapsed() / 1000 + 1);
}

TEST(LensorToolWindows, ChartBoxAndHintHoldTheirWholeText)
{
    const QFont desktop = QApplication::font();
    for (int pixels : {0, 11, 22}) { // the desktop's font, a small one and a large one
        QFont font = desktop;
        if (pixels > 0)
            font.setPixelSize(pixels);
        QApplication::setFont(font);
        LensorState state;
        CharChartWindow chart(state.window(Section::AsciiChart));
        chart.setAttribute(Qt::WA_DeleteOnClose, false);
        const QFontMetrics fm(chart.font());
        SCOPED_TRACE(pixels);
        for (int code = 0; code < 256; ++code) {
            const QRect box = chart.boxRect(code);
            ASSERT_TRUE(chart.rect().contains(box)) << code;
            const QStringList lines = chartBoxLines(code);
            for (int i = 0; i < lines.size(); ++i) {
                const QRect text = chart.textRect(box, i);
                ASSERT_TRUE(box.adjusted(1, 1, -1, -1).contains(text)) << code << " line " << i;
                ASSERT_LE(fm.horizontalAdvance(lines[i]), text.width()) << lines[i].toStdString();
                ASSERT_LE(fm.height(), text.height()) << code;
            }
        }
        const QRect hint = chart.hintRect();
        EXPECT_TRUE(chart.rect().contains(hint));
        EXPECT_GE(hint.top(), chartCellRect(255).bottom() + 1); // below the grid
        const QRect used =
            fm.boundingRect(hint, Qt::AlignCenter | Qt::TextWordWrap, QLatin1String(kChartHint));
        EXPECT_TRUE(hint.contains(used)) << used.width() << "x" << used.height() << " in "
                                         << hint.width() << "x" << hint.height();
    }
    QApplication::setFont(desktop);
}

TEST(LensorWindow, StaysWithinReachOfTheOperator)
{
    QTemporaryDir dir;
    const OptionsStore store(dir.filePath(QStringLiteral("lensor.ini")));
    PlainScreen screen;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // Saved on a larger monitor than there is now, at a size no screen has.
    LensorState state;
    state.window(Section::Window) = {area.bottom() + 3000, area.right() + 5000, 100000, 100000,
                                     true};
    LensorWindow w(store, state, screen);
    w.show();
    const auto reachable = [&] {
        return area.contains(w.pos()) && w.pos().x() <= area.right() + 1 - 70 &&
               w.pos().y() <= area.bottom() + 1 - 70 && w.width() <= area.width() &&
               w.height() <= area.height();
    };
    EXPECT_TRUE(reachable()) << w.pos().x() << "," << w.pos().y() << " " << w.width() << "x"
                             << w.height();

    // Pushed off the screen since, and started again: it comes forward where
    // the operator can see it.
    w.move(area.left() - 4000, area.top() - 3000);
    w.comeForward();
    EXPECT_TRUE(reachable()) << w.pos().x() << "," << w.pos().y();
    w.close();
    const WindowRecord kept = store.load(area.size()).window(Section::Window);
    EXPECT_LE(kept.width, area.width());
    EXPECT_LE(kept.height, area.height());
}

TEST(LensorWindow, WheelAndPlusMinusZoomAndShiftArrowsMoveThePointerAPixel)
{
    QTemporaryDir dir;
    const OptionsStore store(dir.filePath(QStringLiteral("lensor.ini")));
    PlainScreen screen;
    LensorWindow w(store, LensorState{}, screen);
    w.show();
    const auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(50, 50), w.mapToGlobal(QPointF(50, 50)), {}, QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&w, &e);
        return w.magnifier().options().factor();
    };
    // A notch away from the operator is one zoom step in, as + is; never
    // past 8x or below 1x. A zoom change unlocks the view as the menu's do.
    w.run(Command::LockView);
    EXPECT_EQ(wheel(120), 2);
    EXPECT_FALSE(w.magnifier().locked());
    EXPECT_TRUE(w.action(Command::Zoom2x)->isChecked());
    EXPECT_EQ(wheel(120), 4);
    EXPECT_EQ(wheel(60), 4); // half a notch (a fine wheel) waits for the other half
    EXPECT_EQ(wheel(60), 8);
    EXPECT_EQ(wheel(120), 8);
    QTest::keyClick(&w, Qt::Key_Minus);
    EXPECT_EQ(w.magnifier().options().factor(), 4);
    EXPECT_EQ(wheel(-360), 1);
    QTest::keyClick(&w, Qt::Key_Plus);
    EXPECT_EQ(w.magnifier().options().factor(), 2);
    QTest::keyClick(&w, Qt::Key_Equal); // + without Shift on most keyboards
    EXPECT_EQ(w.magnifier().options().factor(), 4);

    struct Step {
        Qt::Key key;
        QPoint to;
    } steps[] = {{Qt::Key_Right, {11, 20}},
                 {Qt::Key_Right, {12, 20}},
                 {Qt::Key_Down, {12, 21}},
                 {Qt::Key_Left, {11, 21}},
                 {Qt::Key_Up, {11, 20}}};
    for (const Step& s : steps) {
        QTest::keyClick(&w, s.key, Qt::ShiftModifier);
        EXPECT_EQ(screen.at, s.to);
        // Magnified there at once: the panel reads the new place.
        EXPECT_EQ(child<Readout>(w, "HorizontalReadout")->text(), QString::number(s.to.x()));
        EXPECT_EQ(child<Readout>(w, "VerticalReadout")->text(), QString::number(s.to.y()));
    }
    QTest::keyClick(&w, Qt::Key_Right); // without Shift the pointer stays
    EXPECT_EQ(screen.at, QPoint(11, 20));
    w.close();
}
