// lensor itself on a virtual X screen: over a screen of known pixels, with the
// pointer at a known point, its picture must be the screen around the pointer,
// pixel for pixel.

#include "magnifier/magnifier.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

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

// Pixels of the picture that are not their screen pixel's block of factor x factor.
int mismatches(const QImage& screen, const QRect& picture, const QRect& source, int factor)
{
    int wrong = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const int sx = source.x() + x / factor;
            const int sy = source.y() + y / factor;
            if (screen.pixel(picture.x() + x, picture.y() + y) != screen.pixel(sx, sy))
                ++wrong;
        }
    return wrong;
}
} // namespace

TEST(LensorOnScreen, MagnifiesWhatIsUnderThePointer)
{
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (xvfb.isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";

    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    Child server;
    server.process.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                QStringLiteral("-screen"), QStringLiteral("0"),
                                QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
    ASSERT_TRUE(server.process.waitForStarted(5000));
    QByteArray number;
    QElapsedTimer clock;
    clock.start();
    while (!number.contains('\n') && clock.elapsed() < 10000 &&
           server.process.waitForReadyRead(500))
        number += server.process.readAllStandardOutput();
    if (!number.contains('\n'))
        GTEST_SKIP() << "Xvfb did not start: "
                     << server.process.readAllStandardError().toStdString();

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(number.trimmed()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    for (const char* v : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        const QString dir = home.filePath(QString::fromLatin1(v));
        QDir().mkpath(dir);
        QFile::setPermissions(dir, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner);
        env.insert(QString::fromLatin1(v), dir);
    }
    // lensor's window beside the pointer's neighbourhood, 332 wide: a picture of
    // 320 pixels, 40 screen pixels at 8x.
    QDir().mkpath(home.filePath(QStringLiteral("XDG_CONFIG_HOME/lensor")));
    QFile ini(home.filePath(QStringLiteral("XDG_CONFIG_HOME/lensor/lensor.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Options]\nZoom=0\nPosition=1\n[DeskTop]\nWindow\\Left=600\nWindow\\Top=40\n"
              "Window\\Width=332\nWindow\\Height=300\n");
    ini.close();

    const QPoint cursor(300, 120);
    Child screen;
    screen.process.setProcessEnvironment(env);
    screen.process.start(
        QStringLiteral(LENSOR_TESTSCREEN),
        {QStringLiteral("--cursor"), QString::number(cursor.x()), QString::number(cursor.y())});
    ASSERT_TRUE(screen.process.waitForReadyRead(10000)) << "test screen did not start";
    screen.process.readAll();

    Child lensor;
    lensor.process.setProcessEnvironment(env);
    lensor.process.start(QStringLiteral(LENSOR_PROGRAM),
                         {QStringLiteral("-8"), QStringLiteral("-nosplash")});
    ASSERT_TRUE(lensor.process.waitForStarted(5000));

    const QString shot = home.filePath(QStringLiteral("screen.png"));
    QImage grabbed;
    QRect picture;
    int wrong = -1;
    clock.restart();
    while (clock.elapsed() < 15000) {
        QThread::msleep(300);
        screen.process.write("grab " + QFile::encodeName(shot) + "\n");
        ASSERT_TRUE(screen.process.waitForReadyRead(5000));
        screen.process.readAll();
        grabbed = QImage(shot).convertToFormat(QImage::Format_RGB32);
        picture = pictureOnScreen(grabbed, cursor);
        if (picture.width() < 8 || picture.height() < 8)
            continue;
        const QRect source = sourceRect(cursor, picture.size(), 8, grabbed.size());
        wrong = mismatches(grabbed, picture, source, 8);
        if (wrong == 0)
            break;
    }
    ASSERT_FALSE(picture.isEmpty()) << "no magnified picture on the screen; lensor said: "
                                    << lensor.process.readAllStandardError().toStdString();
    if (wrong != 0)
        grabbed.save(QDir::tempPath() + QStringLiteral("/lensor-onscreen-failed.png"));
    EXPECT_EQ(wrong, 0) << "pixels that differ from the screen around the pointer (screen "
                           "kept in the temporary folder as lensor-onscreen-failed.png)";
    // The picture is where the layout puts it: 332 - 4 = 328, a multiple of 8,
    // loses 4 at each side.
    EXPECT_EQ(picture.width(), 320)
        << picture.x() << "," << picture.y() << " " << picture.width() << "x" << picture.height();
    EXPECT_EQ(picture.height() % 8, 0)
        << picture.x() << "," << picture.y() << " " << picture.width() << "x" << picture.height();
    EXPECT_EQ(picture.x(), 600 + 6);
    EXPECT_EQ(lensor.process.state(), QProcess::Running);
}
