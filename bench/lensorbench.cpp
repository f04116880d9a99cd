// The screen for bench/lensor.sh: a picture over the whole screen in which
// every pixel differs from its neighbours, so a magnifier that follows the
// pointer draws a new picture every frame, and the pointer moving a pixel
// every few milliseconds on a small circle away from the magnifiers' windows.
//   lensor-bench [--around X Y] [--step MS]

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace
{
class Backdrop : public QWidget
{
public:
    explicit Backdrop(QSize size) : m_picture(size, QImage::Format_RGB32)
    {
        setWindowFlag(Qt::FramelessWindowHint);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                m_picture.setPixel(x, y, qRgb(x & 255, y & 255, ((x >> 8) | (y >> 8) << 4) & 255));
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, m_picture); }

private:
    QImage m_picture;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QPoint around(screen.width() - 140, screen.height() - 100);
    int stepMs = 10;
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--around") && i + 2 < args.size()) {
            around = QPoint(args[i + 1].toInt(), args[i + 2].toInt());
            i += 2;
        } else if (args[i] == QLatin1String("--step") && i + 1 < args.size()) {
            stepMs = args[++i].toInt();
        }
    }

    Backdrop backdrop(screen);
    backdrop.setGeometry(QRect(QPoint(0, 0), screen));
    backdrop.show();

    // Round and round, 30 pixels from the middle: a new pixel at every step.
    int step = 0;
    QTimer move;
    move.setTimerType(Qt::PreciseTimer);
    QObject::connect(&move, &QTimer::timeout, [&] {
        const double a = 2 * M_PI * (step++ % 180) / 180.0;
        QCursor::setPos(around + QPoint(int(std::lround(30 * std::cos(a))),
                                        int(std::lround(30 * std::sin(a)))));
    });
    move.start(stepMs);
    return app.exec();
}
