// A screen of known pixels for lensor's on-screen test: a frameless window over
// the whole screen showing either a picture whose every pixel names its own
// position or a given picture file, with the mouse pointer put at a given
// point. Commands on standard input, each answered "done":
//   grab <file> [x y w h]   writes the screen (or that part of it) to file
//   cursor <x> <y>          puts the pointer there from now on
//   resource <text>         the desktop's settings for programs started from
//                           now on ("Xft.dpi: 144" scales them by 1.5)
//   lensor-testscreen [--picture file.png] [--cursor x y]

#include <QApplication>
#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTextStream>
#include <QWidget>

#ifdef LENSOR_X11
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#endif

#include <cstdio>
#include <iostream>
#include <string>

namespace
{
QRgb positionColour(int x, int y)
{
    return qRgb(x & 255, y & 255, (x >> 8) | ((y >> 8) << 4));
}

class Backdrop : public QWidget
{
public:
    explicit Backdrop(QImage picture) : m_picture(std::move(picture))
    {
        setWindowFlag(Qt::FramelessWindowHint);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(64, 64, 64));
        p.drawImage(0, 0, m_picture);
    }

private:
    QImage m_picture;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    QImage picture;
    QPoint cursor(screen.width() / 3, screen.height() / 6);
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--picture") && i + 1 < args.size())
            picture = QImage(args[++i]).convertToFormat(QImage::Format_RGB32);
        else if (args[i] == QLatin1String("--cursor") && i + 2 < args.size()) {
            cursor = QPoint(args[i + 1].toInt(), args[i + 2].toInt());
            i += 2;
        }
    }
    if (picture.isNull()) {
        picture = QImage(screen, QImage::Format_RGB32);
        for (int y = 0; y < screen.height(); ++y)
            for (int x = 0; x < screen.width(); ++x)
                picture.setPixel(x, y, positionColour(x, y));
    }

    Backdrop backdrop(picture);
    backdrop.setGeometry(QRect(QPoint(0, 0), screen));
    backdrop.show();
    QCursor::setPos(cursor);

    QSocketNotifier commands(0, QSocketNotifier::Read);
    QObject::connect(&commands, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line)) {
            app.quit();
            return;
        }
        const QStringList words = QString::fromStdString(line).split(QLatin1Char(' '));
        if (words.size() == 3 && words[0] == QLatin1String("cursor"))
            cursor = QPoint(words[1].toInt(), words[2].toInt());
#ifdef LENSOR_X11
        if (words.size() >= 1 && words[0] == QLatin1String("resource")) {
            // The X resources a desktop sets on the root window, read by every
            // program as it starts.
            const QByteArray text =
                QString::fromStdString(line).mid(9).toUtf8().replace(": ", ":\t");
            auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
            xcb_connection_t* c = x11->connection();
            const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, XCB_ATOM_RESOURCE_MANAGER,
                                XCB_ATOM_STRING, 8, uint32_t(text.size()), text.constData());
            xcb_flush(c);
        }
#endif
        QCursor::setPos(cursor);
        if (words.size() >= 2 && words[0] == QLatin1String("grab")) {
            QScreen* s = QGuiApplication::primaryScreen();
            const QPixmap shot = words.size() >= 6
                                     ? s->grabWindow(0, words[2].toInt(), words[3].toInt(),
                                                     words[4].toInt(), words[5].toInt())
                                     : s->grabWindow(0);
            shot.save(words[1]);
        }
        std::cout << "done" << std::endl;
    });
    std::cout << "ready" << std::endl;
    return app.exec();
}
