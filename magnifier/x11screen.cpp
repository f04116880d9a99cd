#include "magnifier/x11screen.h"

// Built where the X client library is there to build it with.
#ifdef LENSOR_X11

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace lensor
{

struct X11Screen::Segment {
    X11Screen* owner = nullptr; // null once the screen is gone
    xcb_shm_seg_t id = 0;
    uchar* data = nullptr;
    std::size_t bytes = 0;
};

namespace
{
template <class T> struct Reply {
    T* p;
    explicit Reply(T* reply) : p(reply) {}
    ~Reply() { std::free(p); }
    Reply(const Reply&) = delete;
    Reply& operator=(const Reply&) = delete;
    T* operator->() const { return p; }
    explicit operator bool() const { return p != nullptr; }
};

// Rectangles as a frame needs them, inline: it asks fifty times a second.
bool covers(const QRect& outer, const QRect& r)
{
    return r.left() >= outer.left() && r.right() <= outer.right() && r.top() >= outer.top() &&
           r.bottom() <= outer.bottom() && !outer.isEmpty();
}

QRect onScreen(const QRect& r, QSize screen)
{
    const int left = std::max(r.left(), 0);
    const int top = std::max(r.top(), 0);
    const int right = std::min(r.right(), screen.width() - 1);
    const int bottom = std::min(r.bottom(), screen.height() - 1);
    return left <= right && top <= bottom ? QRect(QPoint(left, top), QPoint(right, bottom))
                                          : QRect();
}

// The root's pixels as lensor draws them: 32 bits a pixel, blue in the low
// byte (x86's order, and the server's when it is the same machine).
bool rootIsXrgb32(const xcb_setup_t* setup, const xcb_screen_t* screen)
{
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST)
        return false;
    if (screen->root_depth != 24 && screen->root_depth != 32)
        return false;
    bool formatOk = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f))
        if (f.data->depth == screen->root_depth)
            formatOk = f.data->bits_per_pixel == 32 && f.data->scanline_pad == 32;
    if (!formatOk)
        return false;
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        if (d.data->depth != screen->root_depth)
            continue;
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
            if (v.data->visual_id == screen->root_visual)
                return v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                       v.data->blue_mask == 0xff;
    }
    return false;
}
} // namespace

std::unique_ptr<X11Screen> X11Screen::open()
{
#if !QT_CONFIG(xcb)
    return nullptr;
#else
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return nullptr;
    std::unique_ptr<X11Screen> s(new X11Screen);
    // A connection of our own: its replies come straight back to this thread,
    // not through the toolkit's event reader.
    int number = 0;
    s->m_connection = xcb_connect(nullptr, &number);
    s->m_ownConnection = true;
    const auto rootOf = [](xcb_connection_t* c, int n) -> xcb_screen_t* {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (; it.rem && n > 0; --n)
            xcb_screen_next(&it);
        return it.rem ? it.data : nullptr;
    };
    xcb_screen_t* screen =
        xcb_connection_has_error(s->m_connection) ? nullptr : rootOf(s->m_connection, number);
    xcb_screen_t* toolkitScreen = rootOf(x11->connection(), 0);
    if (!screen || !toolkitScreen || screen->root != toolkitScreen->root) {
        // Another display than the toolkit's (a -display switch): share its connection.
        xcb_disconnect(s->m_connection);
        s->m_connection = x11->connection();
        s->m_ownConnection = false;
        screen = toolkitScreen;
    }
    if (!screen || !rootIsXrgb32(xcb_get_setup(s->m_connection), screen))
        return nullptr;
    s->m_root = screen->root;
    s->m_depth = screen->root_depth;
    s->m_size = QSize(screen->width_in_pixels, screen->height_in_pixels);
    s->m_sizeRead = std::chrono::steady_clock::now();
    s->m_gc = xcb_generate_id(s->m_connection);
    const uint32_t noExposures = 0;
    xcb_create_gc(s->m_connection, s->m_gc, s->m_root, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);

    Reply<xcb_shm_query_version_reply_t> shm(xcb_shm_query_version_reply(
        s->m_connection, xcb_shm_query_version(s->m_connection), nullptr));
    if (shm) {
        // Shared memory works only with a server on this machine: try it once.
        if (Segment* probe = s->newSegment(4096)) {
            s->m_shm = true;
            s->releaseSegment(probe);
        }
    }
    return s;
#endif
}

X11Screen::~X11Screen()
{
    for (Segment* p : m_pictures)
        p->owner = nullptr; // the pictures may outlive the screen; their memory stays theirs
    if (m_grabSegment)
        releaseSegment(m_grabSegment);
    if (m_aheadSegment)
        releaseSegment(m_aheadSegment);
    if (m_connection) {
        if (m_gc)
            xcb_free_gc(m_connection, m_gc);
        if (m_ownConnection)
            xcb_disconnect(m_connection);
        else
            xcb_flush(m_connection);
    }
}

X11Screen::Segment* X11Screen::newSegment(std::size_t bytes)
{
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return nullptr;
    void* data = shmat(id, nullptr, 0);
    if (reinterpret_cast<std::intptr_t>(data) == -1) { // shmat's failure
        shmctl(id, IPC_RMID, nullptr);
        return nullptr;
    }
    auto* s = new Segment{this, xcb_generate_id(m_connection), static_cast<uchar*>(data), bytes};
    xcb_generic_error_t* error = xcb_request_check(
        m_connection, xcb_shm_attach_checked(m_connection, s->id, uint32_t(id), 0));
    // Gone as soon as both sides let go of it, also when lensor is killed.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        std::free(error);
        shmdt(s->data);
        delete s;
        return nullptr;
    }
    return s;
}

void X11Screen::releaseSegment(Segment* s)
{
    if (s->owner && m_connection)
        xcb_shm_detach(m_connection, s->id);
    shmdt(s->data);
    delete s;
}

void X11Screen::releasePicture(void* info)
{
    auto* s = static_cast<Segment*>(info);
    if (X11Screen* owner = s->owner) {
        std::erase(owner->m_pictures, s);
        owner->releaseSegment(s);
    } else {
        shmdt(s->data);
        delete s;
    }
}

QSize X11Screen::screenSize() const
{
    // Monitors come and go; a second's delay in seeing it is no matter.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_sizeRead > std::chrono::seconds(1)) {
        Reply<xcb_get_geometry_reply_t> g(
            xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, m_root), nullptr));
        if (g)
            m_size = QSize(g->width, g->height);
        m_sizeRead = now;
    }
    return m_size;
}

QPoint X11Screen::pointer()
{
    const xcb_query_pointer_cookie_t asked = xcb_query_pointer(m_connection, m_root);
    // The magnifier grabs around the pointer next: the area around its last
    // grab goes with the same request, so the pointer and the pixels come
    // back together, one round trip to the server instead of two.
    constexpr int kMargin = 32;
    QRect ahead;
    xcb_shm_get_image_cookie_t fetched{};
    if (m_shm && m_grabbedSincePointer) {
        ahead = onScreen(m_lastGrab.adjusted(-kMargin, -kMargin, kMargin, kMargin), screenSize());
        const std::size_t bytes = std::size_t(ahead.width()) * std::size_t(ahead.height()) * 4;
        if (!ahead.isEmpty() && ensure(m_aheadSegment, bytes))
            fetched =
                xcb_shm_get_image(m_connection, m_root, int16_t(ahead.x()), int16_t(ahead.y()),
                                  uint16_t(ahead.width()), uint16_t(ahead.height()), ~0u,
                                  XCB_IMAGE_FORMAT_Z_PIXMAP, m_aheadSegment->id, 0);
        else
            ahead = QRect();
    }
    m_grabbedSincePointer = false;
    m_ahead = QRect();
    Reply<xcb_query_pointer_reply_t> p(xcb_query_pointer_reply(m_connection, asked, nullptr));
    if (p && p->same_screen)
        m_lastPointer = QPoint(p->root_x, p->root_y);
    if (!ahead.isEmpty()) {
        Reply<xcb_shm_get_image_reply_t> got(
            xcb_shm_get_image_reply(m_connection, fetched, nullptr));
        if (got)
            m_ahead = ahead;
    }
    dropEvents();
    return m_lastPointer;
}

bool X11Screen::movePointer(QPoint p)
{
    xcb_warp_pointer(m_connection, XCB_NONE, m_root, 0, 0, 0, 0, int16_t(p.x()), int16_t(p.y()));
    xcb_flush(m_connection);
    m_lastPointer = p;
    return true;
}

QImage X11Screen::grab(const QRect& r)
{
    const ScreenPixels p = pixels(r);
    if (!p.bits)
        return {};
    return QImage(p.bits, p.width, p.height, p.stride, QImage::Format_RGB32);
}

ScreenPixels X11Screen::pixels(const QRect& r)
{
    if (r.isEmpty())
        return {};
    m_lastGrab = r;
    m_grabbedSincePointer = true;
    if (covers(m_ahead, r)) {
        // Fetched with the pointer a moment ago: those pixels as they lie.
        const qsizetype stride = qsizetype(m_ahead.width()) * 4;
        const uchar* at = m_aheadSegment->data + (r.y() - m_ahead.y()) * stride +
                          qsizetype(r.x() - m_ahead.x()) * 4;
        return {at, stride, r.width(), r.height()};
    }
    const QRect inside = onScreen(r, screenSize());
    if (inside == r)
        return grabInside(r);
    // Partly off the screen: black around what is on it.
    std::vector<QRgb> whole(std::size_t(r.width()) * std::size_t(r.height()), qRgb(0, 0, 0));
    if (!inside.isEmpty()) {
        const ScreenPixels part = grabInside(inside);
        if (!part.bits)
            return {};
        const QPoint at = inside.topLeft() - r.topLeft();
        for (int y = 0; y < part.height; ++y)
            std::memcpy(whole.data() + std::size_t(at.y() + y) * r.width() + at.x(), part.row(y),
                        std::size_t(part.width) * 4);
    }
    m_copy = std::move(whole);
    return {reinterpret_cast<const uchar*>(m_copy.data()), qsizetype(r.width()) * 4, r.width(),
            r.height()};
}

bool X11Screen::ensure(Segment*& s, std::size_t bytes)
{
    if (s && s->bytes >= bytes)
        return true;
    if (s)
        releaseSegment(s);
    // Room to grow: a window made larger needs no new segment at once.
    s = newSegment(std::max<std::size_t>(bytes * 2, 1 << 16));
    return s != nullptr;
}

ScreenPixels X11Screen::grabInside(const QRect& r)
{
    const std::size_t bytes = std::size_t(r.width()) * std::size_t(r.height()) * 4;
    const qsizetype stride = qsizetype(r.width()) * 4;
    if (m_shm) {
        if (ensure(m_grabSegment, bytes)) {
            Reply<xcb_shm_get_image_reply_t> reply(xcb_shm_get_image_reply(
                m_connection,
                xcb_shm_get_image(m_connection, m_root, int16_t(r.x()), int16_t(r.y()),
                                  uint16_t(r.width()), uint16_t(r.height()), ~0u,
                                  XCB_IMAGE_FORMAT_Z_PIXMAP, m_grabSegment->id, 0),
                nullptr));
            dropEvents();
            if (!reply)
                return {};
            // The segment's memory, no copy: good until the next grab.
            return {m_grabSegment->data, stride, r.width(), r.height()};
        }
    }
    Reply<xcb_get_image_reply_t> reply(xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(r.x()),
                      int16_t(r.y()), uint16_t(r.width()), uint16_t(r.height()), ~0u),
        nullptr));
    dropEvents();
    if (!reply || std::size_t(xcb_get_image_data_length(reply.p)) < bytes)
        return {};
    m_copy.resize(bytes / 4);
    std::memcpy(m_copy.data(), xcb_get_image_data(reply.p), bytes);
    return {reinterpret_cast<const uchar*>(m_copy.data()), stride, r.width(), r.height()};
}

QImage X11Screen::newPicture(QSize size)
{
    if (!m_shm || size.isEmpty())
        return ScreenSource::newPicture(size);
    Segment* s = newSegment(std::size_t(size.width()) * std::size_t(size.height()) * 4);
    if (!s)
        return ScreenSource::newPicture(size);
    m_pictures.push_back(s);
    return QImage(s->data, size.width(), size.height(), qsizetype(size.width()) * 4,
                  QImage::Format_RGB32, &X11Screen::releasePicture, s);
}

int X11Screen::depthOf(WId window)
{
    // The window put on last, most often the one asked for again.
    if (!m_windowDepths.empty() && m_windowDepths.back().first == window)
        return m_windowDepths.back().second;
    for (const auto& [w, depth] : m_windowDepths)
        if (w == window)
            return depth;
    Reply<xcb_get_geometry_reply_t> g(
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
    dropEvents();
    const int depth = g ? g->depth : -1;
    if (m_windowDepths.size() > 32)
        m_windowDepths.clear();
    m_windowDepths.emplace_back(window, depth);
    return depth;
}

bool X11Screen::putOnWindow(WId window, const QImage& image)
{
    if (!window || image.isNull() || image.format() != QImage::Format_RGB32 ||
        image.bytesPerLine() != qsizetype(image.width()) * 4)
        return false;
    // Windows of another depth (a translucent one) take the toolkit's way.
    if (depthOf(window) != m_depth)
        return false;
    const uint16_t w = uint16_t(image.width());
    const uint16_t h = uint16_t(image.height());
    for (const Segment* s : m_pictures) {
        if (s->data == image.constBits()) {
            xcb_shm_put_image(m_connection, xcb_window_t(window), m_gc, w, h, 0, 0, w, h, 0, 0,
                              m_depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, s->id, 0);
            return true;
        }
    }
    // Not in shared memory: through the connection, in requests it accepts.
    const std::size_t maxBytes = std::size_t(xcb_get_maximum_request_length(m_connection)) * 4;
    const std::size_t rowBytes = std::size_t(w) * 4;
    const int rowsPerRequest = int(std::max<std::size_t>((maxBytes - 64) / rowBytes, 1));
    for (int y = 0; y < h; y += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, h - y);
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, xcb_window_t(window), m_gc, w,
                      uint16_t(rows), 0, int16_t(y), 0, m_depth, uint32_t(rowBytes * rows),
                      image.constScanLine(y));
    }
    return true;
}

void X11Screen::flush()
{
    // The flush last: the X server it wakes may take this core at once, and
    // the frame then has nothing left to do when it gets it back.
    dropEvents();
    xcb_flush(m_connection);
}

// Errors come back as events on this connection (a window closed while its
// picture was on the way); nothing waits for them, so they are let go.
void X11Screen::dropEvents() const
{
    if (!m_ownConnection)
        return; // the toolkit reads its own connection's events
    while (xcb_generic_event_t* e = xcb_poll_for_queued_event(m_connection))
        std::free(e);
}

} // namespace lensor

#endif // LENSOR_X11
