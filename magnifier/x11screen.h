#pragma once
// The X display read and drawn directly, over a connection of lensor's own:
// screen pixels and the pointer to the pixel whatever the desktop's scale (the
// toolkit rounds both to its logical pixels), and pictures put on lensor's own
// windows from shared memory, with no toolkit repaint and no copy. The
// magnifier's tick then costs no more than a plain X magnifier's frame.

#include "magnifier/magnifier.h"

#include <chrono>
#include <memory>
#include <vector>

struct xcb_connection_t;

namespace lensor
{

class X11Screen : public ScreenSource
{
public:
    // Nothing when the program does not run on X11, or the display's pixels
    // are not 32-bit xRGB (then the toolkit's own grab serves).
    static std::unique_ptr<X11Screen> open();
    ~X11Screen() override;
    X11Screen(const X11Screen&) = delete;
    X11Screen& operator=(const X11Screen&) = delete;

    QSize screenSize() const override;
    QImage grab(const QRect& r) override;
    ScreenPixels pixels(const QRect& r) override;
    QPoint pointer() override;
    bool movePointer(QPoint p) override;
    QImage newPicture(QSize size) override;
    bool putOnWindow(WId window, const QImage& image) override;
    bool putsOnWindows() const override { return true; }
    void flush() override;

    bool sharedMemory() const { return m_shm; }

    struct Segment; // a shared memory segment the X server reads and writes too

private:
    X11Screen() = default;
    Segment* newSegment(std::size_t bytes);
    void releaseSegment(Segment* s);
    static void releasePicture(void* info);
    ScreenPixels grabInside(const QRect& r);
    bool ensure(Segment*& s, std::size_t bytes);
    int depthOf(WId window);
    void dropEvents() const;

    xcb_connection_t* m_connection = nullptr;
    bool m_ownConnection = false;
    quint32 m_root = 0;
    quint8 m_depth = 0;
    quint32 m_gc = 0;
    bool m_shm = false;
    mutable QSize m_size;
    mutable std::chrono::steady_clock::time_point m_sizeRead;
    QPoint m_lastPointer;
    Segment* m_grabSegment = nullptr;
    // The area around the last grab, fetched with the pointer in one round
    // trip; a grab inside it costs none.
    Segment* m_aheadSegment = nullptr;
    QRect m_ahead;
    QRect m_lastGrab;
    bool m_grabbedSincePointer = false;
    std::vector<Segment*> m_pictures;
    std::vector<QRgb> m_copy; // a grab without shared memory, or partly off the screen
    std::vector<std::pair<WId, int>> m_windowDepths;
};

} // namespace lensor
