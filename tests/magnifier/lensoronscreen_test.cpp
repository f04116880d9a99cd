// lensor itself on a virtual X screen: over a screen of known pixels, with the
// pointer at a known point, its picture must be the screen around the pointer,
// pixel for pixel, in whole blocks.

#include "magnifier/magnifier.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace lensor;

namespace
{
// The test screen's colours name their own position.
QPoint positionOf(QRgb c)
{
    const int b = qBlue(c);
    return {qRed(c) | ((b & 15) << 8), qGreen(c) | ((b >> 4) << 8)};
}

struct Child {
    QProcess process;
    ~Child()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(3000);
        }
    }
};

// Reads one line from a child, waiting as long as it needs within the bound.
QByteArray lineFrom(QProcess& p, int boundMs, QString* error)
{
    const QDeadlineTimer deadline(boundMs);
    QByteArray out;
    while (!out.contains('\n')) {
        out += p.readAllStandardOutput();
        if (out.contains('\n'))
            break;
        if (p.state() == QProcess::NotRunning) {
            *error = QStringLiteral("it ended (exit code %1): %2")
                         .arg(p.exitCode())
                         .arg(QString::fromLocal8Bit(p.readAllStandardError()));
            return {};
        }
        if (deadline.hasExpired()) {
            *error = QStringLiteral("nothing within %1 s").arg(boundMs / 1000);
            return {};
        }
        p.waitForReadyRead(100);
    }
    return out.left(out.indexOf('\n'));
}

// A virtual X screen of its own with the test screen on it, and a home, a
// configuration and a runtime folder of its own for the programs started there.
class VirtualScreen
{
public:
    // Empty when it runs; else why not.
    QString start(QSize size)
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return QStringLiteral("Xvfb is not installed");
        if (!m_home.isValid())
            return QStringLiteral("no temporary folder");
        // -noreset: the desktop's settings stay while the programs come and go.
        m_server.process.start(
            xvfb,
            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
             QStringLiteral("0"), QStringLiteral("%1x%2x24").arg(size.width()).arg(size.height()),
             QStringLiteral("-nolisten"), QStringLiteral("tcp"), QStringLiteral("-noreset")});
        if (!m_server.process.waitForStarted(30000))
            return QStringLiteral("Xvfb did not start: ") + m_server.process.errorString();
        // A busy machine can take seconds before Xvfb names its display.
        QString error;
        const QByteArray number = lineFrom(m_server.process, 60000, &error);
        if (number.isEmpty())
            return QStringLiteral("Xvfb did not start: ") + error;

        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("DISPLAY"),
                     QLatin1Char(':') + QString::fromLatin1(number.trimmed()));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        for (const char* v : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS",
                              "QT_ENABLE_HIGHDPI_SCALING", "QT_AUTO_SCREEN_SCALE_FACTOR"})
            m_env.remove(QString::fromLatin1(v));
        for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
            const QString dir = m_home.filePath(QString::fromLatin1(v));
            QDir().mkpath(dir);
            QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner);
            m_env.insert(QString::fromLatin1(v), dir);
        }

        m_screen.process.setProcessEnvironment(m_env);
        m_screen.process.start(QStringLiteral(LENSOR_TESTSCREEN), {});
        if (lineFrom(m_screen.process, 60000, &error) != "ready")
            return QStringLiteral("the test screen did not start: ") + error;
        return {};
    }

    const QProcessEnvironment& env() const { return m_env; }
    QString path(const char* name) const { return m_home.filePath(QLatin1String(name)); }

    // Asks the test screen for something; empty when it answered "done".
    QString ask(const QByteArray& command)
    {
        m_screen.process.write(command + '\n');
        QString error;
        const QByteArray answer = lineFrom(m_screen.process, 30000, &error);
        return answer == "done" ? QString() : QStringLiteral("the test screen: ") + error;
    }
    QImage grab()
    {
        const QString shot = path("screen.png");
        if (!ask("grab " + QFile::encodeName(shot)).isEmpty())
            return {};
        return QImage(shot).convertToFormat(QImage::Format_RGB32);
    }

private:
    QTemporaryDir m_home;
    Child m_server;
    Child m_screen;
    QProcessEnvironment m_env;
};

// Where lensor's picture is on the grabbed screen: the pixels that show the
// neighbourhood of the pointer although they lie far from it, in rows and
// columns full of them (the status panel's small colour disc shows the
// pointer's pixel too).
QRect pictureOnScreen(const QImage& screen, QPoint cursor)
{
    std::vector<int> rows(screen.height()), columns(screen.width());
    const auto shown = [&](int x, int y) {
        const QPoint shows = positionOf(screen.pixel(x, y));
        return (shows - cursor).manhattanLength() <= 80 &&
               (shows - QPoint(x, y)).manhattanLength() > 150;
    };
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (shown(x, y)) {
                ++rows[y];
                ++columns[x];
            }
    QRect found;
    for (int y = 0; y < screen.height(); ++y)
        for (int x = 0; x < screen.width(); ++x)
            if (rows[y] >= 64 && columns[x] >= 64 && shown(x, y))
                found |= QRect(x, y, 1, 1);
    return found;
}

// The crosshair's colour, which the test screen never shows.
const QRgb kBlue = qRgb(0, 0, 255);

// Pixels of the picture that are not their screen pixel's block of factor x
// factor (the crosshair aside).
int mismatches(const QImage& screen, const QRect& picture, const QRect& source, int factor)
{
    int wrong = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int sx = source.x() + x / factor;
            const int sy = source.y() + y / factor;
            const QRgb shown = screen.pixel(picture.x() + x, picture.y() + y);
            if (shown != screen.pixel(sx, sy) && shown != kBlue)
                ++wrong;
        }
    return wrong;
}

// The longest run of black pixels in a row of the area: lensor draws no
// line of them; a window that leaves a row of screen pixels to the window
// below shows one there.
int longestBlackRun(const QImage& screen, const QRect& area)
{
    int longest = 0;
    const QRect inside = area & screen.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        int run = 0;
        for (int x = inside.left(); x <= inside.right(); ++x) {
            run = screen.pixel(x, y) == qRgb(0, 0, 0) ? run + 1 : 0;
            longest = std::max(longest, run);
        }
    }
    return longest;
}

struct Seen {
    QRect picture;
    QRect source;
    int wrong = -1;
    QImage screen;
    QString lensorSaid;
};

// Starts lensor at 8x with the given options file over the test screen, the
// pointer at cursor, and waits (within a bound) until its picture is the screen
// around the pointer.
Seen lensorAt8x(VirtualScreen& x, QPoint cursor, const QByteArray& ini,
                const QProcessEnvironment& env)
{
    Seen seen;
    QDir().mkpath(x.path("XDG_CONFIG_HOME/lensor"));
    QFile file(x.path("XDG_CONFIG_HOME/lensor/lensor.ini"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return seen;
    file.write(ini);
    file.close();
    if (const QString failed =
            x.ask(QStringLiteral("cursor %1 %2").arg(cursor.x()).arg(cursor.y()).toLatin1());
        !failed.isEmpty()) {
        seen.lensorSaid = failed;
        return seen;
    }

    Child lensor;
    lensor.process.setProcessEnvironment(env);
    lensor.process.start(QStringLiteral(LENSOR_PROGRAM),
                         {QStringLiteral("-8"), QStringLiteral("-nosplash")});
    if (!lensor.process.waitForStarted(30000))
        return seen;
    QImage grabbed;
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() && lensor.process.state() == QProcess::Running) {
        lensor.process.waitForFinished(100);
        grabbed = x.grab();
        if (grabbed.isNull())
            break;
        seen.picture = pictureOnScreen(grabbed, cursor);
        if (seen.picture.width() < 8 || seen.picture.height() < 8)
            continue;
        seen.source = sourceRect(cursor, seen.picture.size(), 8, grabbed.size());
        seen.wrong = mismatches(grabbed, seen.picture, seen.source, 8);
        if (seen.wrong == 0)
            break;
    }
    seen.screen = grabbed;
    // What the screen last showed, for whoever reads a failure from a log.
    if ((seen.wrong != 0 || seen.picture.isEmpty()) && !grabbed.isNull())
        grabbed.save(QDir::tempPath() + QStringLiteral("/lensor-onscreen-failed.png"));
    if (lensor.process.state() != QProcess::Running)
        seen.lensorSaid = QStringLiteral("lensor ended: ");
    seen.lensorSaid += QString::fromLocal8Bit(lensor.process.readAllStandardError());
    return seen;
}
} // namespace

TEST(LensorOnScreen, MagnifiesWhatIsUnderThePointer)
{
    VirtualScreen x;
    const QString failed = x.start({1024, 768});
    if (failed == QStringLiteral("Xvfb is not installed"))
        GTEST_SKIP() << failed.toStdString();
    // Installed but not running is a fault of the machine the test must show.
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

    // lensor's window beside the pointer's neighbourhood, 332 wide: a picture of
    // 320 pixels, 40 screen pixels at 8x.
    const Seen seen =
        lensorAt8x(x, {300, 120},
                   "[Options]\nZoom=0\nPosition=1\n[DeskTop]\nWindow\\Left=600\nWindow\\Top=40\n"
                   "Window\\Width=332\nWindow\\Height=300\n",
                   x.env());
    ASSERT_FALSE(seen.picture.isEmpty())
        << "no magnified picture on the screen (kept in the temporary folder as "
           "lensor-onscreen-failed.png); "
        << seen.lensorSaid.toStdString();
    EXPECT_EQ(seen.wrong, 0) << "pixels that differ from the screen around the pointer (screen "
                                "kept in the temporary folder as lensor-onscreen-failed.png)";
    // The picture is where the layout puts it: 332 - 4 = 328, a multiple of 8,
    // loses 4 at each side.
    const QRect& p = seen.picture;
    EXPECT_EQ(p.width(), 320) << p.x() << "," << p.y() << " " << p.width() << "x" << p.height();
    EXPECT_EQ(p.height() % 8, 0) << p.x() << "," << p.y() << " " << p.width() << "x" << p.height();
    EXPECT_EQ(p.x(), 600 + 6);
    EXPECT_FALSE(seen.lensorSaid.startsWith(QStringLiteral("lensor ended")))
        << seen.lensorSaid.toStdString();
}

TEST(LensorOnScreen, ScaledDesktopsShowTheScreensOwnPixels)
{
    VirtualScreen x;
    const QString failed = x.start({1024, 768});
    if (failed == QStringLiteral("Xvfb is not installed"))
        GTEST_SKIP() << failed.toStdString();
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();

    // The pointer on an odd pixel, which a desktop scaled by 2 cannot name in
    // its own coordinates.
    const QPoint cursor(301, 121);
    struct Case {
        const char* desktop;
        const char* variable; // for lensor alone
        const char* resource; // for every program started
        int left;             // the window's place in logical pixels, 600 screen pixels
        int picture;          // 160 logical pixels in screen pixels
    } cases[] = {
        {"scaled by 2 (QT_SCALE_FACTOR)", "QT_SCALE_FACTOR=2", "", 300, 320},
        {"at 144 dpi (Xft.dpi)", "", "Xft.dpi: 144", 400, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.desktop);
        ASSERT_TRUE(x.ask(QByteArray("resource ") + c.resource).isEmpty());
        QProcessEnvironment env = x.env();
        if (*c.variable) {
            const QString v = QString::fromLatin1(c.variable);
            env.insert(v.section(QLatin1Char('='), 0, 0), v.section(QLatin1Char('='), 1));
        }
        const Seen seen =
            lensorAt8x(x, cursor,
                       QStringLiteral("[Options]\nCrossHair=1\n[DeskTop]\nWindow\\Left=%1\n"
                                      "Window\\Top=20\nWindow\\Width=168\nWindow\\Height=200\n")
                           .arg(c.left)
                           .toLatin1(),
                       env);
        ASSERT_FALSE(seen.picture.isEmpty())
            << "no magnified picture on the screen (kept in the temporary folder as "
               "lensor-onscreen-failed.png); "
            << seen.lensorSaid.toStdString();
        EXPECT_EQ(seen.wrong, 0) << "pixels that are not the screen's own in 8 x 8 blocks";
        EXPECT_EQ(seen.picture.width(), c.picture);
        // The crosshair on the middle of the pointer's own block.
        const QPoint middle =
            seen.picture.topLeft() + (cursor - seen.source.topLeft()) * 8 + QPoint(4, 4);
        EXPECT_EQ(seen.screen.pixel(middle), kBlue) << middle.x() << "," << middle.y();
        EXPECT_EQ(seen.screen.pixel(middle + QPoint(1, 1)), seen.screen.pixel(cursor));
        // The frame, the picture and the panel below it, whole: no dark line
        // where a window's edge falls inside a screen pixel. (A glyph's
        // stroke is shorter; the menu's underlines lie above.)
        const int panel = qRound(kPanelHeight * c.picture / 160.0);
        const QRect window = seen.picture.adjusted(-4, -4, 4, panel + 4);
        EXPECT_LT(longestBlackRun(seen.screen, window), c.picture / 10);
    }
}
