#include "review/contactfinder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <vector>

namespace korvel
{

namespace
{

// Brightness is kept relative to the frame's median, 128 standing for the
// median: a cloud that dims the whole picture leaves it as it was.
constexpr int kMedianLevel = 128;
constexpr int kBefore = 3;             // frames a new brightness is compared with
constexpr double kStaysSeconds = 0.25; // how long white water must stay
constexpr int kTrackFrames = 4;        // frames a wake's growth is followed back

// The picture at a reduced size, grey, each cell the mean of d x d pixels
// and of its 3 x 3 neighbourhood (noise and compression blocks smoothed).
struct GreyFrame {
    int width = 0, height = 0;
    std::vector<std::int16_t> level; // relative to the median, kMedianLevel = median
};

class Reducer
{
public:
    Reducer(int width, int height, int d)
        : m_d(d), m_w(width / d), m_h(height / d), m_sum(std::size_t(m_w) * m_h),
          m_grey(std::size_t(m_w) * m_h)
    {
    }
    int width() const { return m_w; }
    int height() const { return m_h; }

    GreyFrame reduce(const Picture& pic)
    {
        // Sums of d x d pixels, then a 3 x 3 box of them in two passes (edges
        // repeated), then grey levels by one table.
        const std::size_t w = std::size_t(m_w);
        for (int y = 0; y < m_h; ++y) {
            std::uint32_t* out = &m_sum[std::size_t(y) * w];
            std::fill(out, out + w, 0u);
            for (int dy = 0; dy < m_d; ++dy) {
                const std::uint8_t* px = pic.row(y * m_d + dy);
                for (std::size_t x = 0; x < w; ++x)
                    for (int dx = 0; dx < m_d; ++dx, px += 3)
                        out[x] += px[0] + 2u * px[1] + px[2]; // blue, green, red
            }
            // Across, in place: each sum with its two neighbours.
            std::uint32_t left = out[0], here = out[0];
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint32_t right = x + 1 < w ? out[x + 1] : here;
                out[x] = left + here + right;
                left = here;
                here = right;
            }
        }
        const std::uint64_t scale = (1ull << 32) / (36ull * std::uint64_t(m_d * m_d));
        std::array<int, 256> histogram{};
        for (int y = 0; y < m_h; ++y) {
            const std::uint32_t* up = &m_sum[std::size_t(std::max(0, y - 1)) * w];
            const std::uint32_t* mid = &m_sum[std::size_t(y) * w];
            const std::uint32_t* down = &m_sum[std::size_t(std::min(m_h - 1, y + 1)) * w];
            std::uint8_t* grey = &m_grey[std::size_t(y) * w];
            for (std::size_t x = 0; x < w; ++x) {
                const std::uint64_t v = std::uint64_t(up[x] + mid[x] + down[x]) * scale >> 32;
                grey[x] = std::uint8_t(std::min<std::uint64_t>(v, 255));
                ++histogram[grey[x]];
            }
        }
        int median = 0;
        for (std::size_t seen = 0; median < 255; ++median) {
            seen += std::size_t(histogram[std::size_t(median)]);
            if (seen * 2 >= m_grey.size())
                break;
        }
        median = std::max(median, 8); // a black picture has no brightness to be relative to
        std::array<std::int16_t, 256> level{};
        for (int g = 0; g < 256; ++g)
            level[std::size_t(g)] = std::int16_t(g * kMedianLevel / median);
        GreyFrame g{m_w, m_h, std::vector<std::int16_t>(m_grey.size())};
        for (std::size_t i = 0; i < m_grey.size(); ++i)
            g.level[i] = level[m_grey[i]];
        return g;
    }

private:
    int m_d, m_w, m_h;
    std::vector<std::uint32_t> m_sum;
    std::vector<std::uint8_t> m_grey;
};

struct Patch {
    std::int64_t frame = 0;
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0; // cells, inclusive
    double cx = 0, cy = 0;              // centre, cells
    int cells = 0;
    double weight = 0; // how much brighter, summed over the cells
};

bool near(const Patch& a, const Patch& b, int margin)
{
    return a.x0 - margin <= b.x1 && b.x0 - margin <= a.x1 && a.y0 - margin <= b.y1 &&
           b.y0 - margin <= a.y1;
}

} // namespace

QPolygonF widenedLandingArea(const QPolygonF& buoys)
{
    if (buoys.size() < 3)
        return buoys;
    QPointF centre;
    for (const QPointF& p : buoys)
        centre += p;
    centre /= double(buoys.size());
    QPolygonF wide;
    for (const QPointF& p : buoys)
        wide << centre + (p - centre) * 1.2;
    return wide;
}

ContactProposal findContact(FrameSource& source, const ContactSearch& search,
                            const std::atomic_bool* cancel)
{
    ContactProposal result;
    const VideoProperties& props = source.properties();
    const double rate = props.rateNumerator > 0 && props.rateDenominator > 0
                            ? double(props.rateNumerator) / props.rateDenominator
                            : search.fallbackRate;
    const int stays = std::max(3, int(std::lround(kStaysSeconds * rate)));
    if (props.width < 16 || props.height < 16 || props.frameCount < kBefore + 1 + stays + 1) {
        result.reason = QStringLiteral("The video is too short to find a splash in.");
        return result;
    }
    // Work on about 640 cells across: a splash of a few pixels at 720p still
    // covers a cell or two.
    const int d = std::max(1, int(std::lround(props.width / 640.0)));
    Reducer reducer(props.width, props.height, d);
    const int w = reducer.width(), h = reducer.height();
    // The picture pixel at the centre of cell (x, y), fractions kept.
    const auto pixelOf = [d](double x, double y) {
        return QPointF((x + 0.5) * d - 0.5, (y + 0.5) * d - 0.5);
    };

    // Which cells may hold the splash.
    const bool areaFits =
        !search.areaPicture.isValid() || search.areaPicture == QSize(props.width, props.height);
    const QPolygonF area = areaFits ? widenedLandingArea(search.landingArea) : QPolygonF();
    result.wholePicture = area.size() < 3;
    std::vector<char> inArea(std::size_t(w) * h, 1);
    if (area.size() < 3) {
        // No grid: the whole picture but its top and bottom tenths, where
        // cameras burn in their time stamps and frame counters, whose digits
        // also turn white and stay, and where a framed landing never is.
        for (int y = 0; y < h; ++y)
            if (y < h / 10 || y >= h - h / 10)
                std::fill_n(inArea.begin() + std::ptrdiff_t(y) * w, w, char(0));
    } else
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                inArea[std::size_t(y) * w + x] =
                    area.containsPoint(pixelOf(x, y), Qt::OddEvenFill) ? 1 : 0;

    // How much brighter counts: well above the frame-to-frame noise.
    int threshold = 0;
    std::deque<GreyFrame> frames; // frames n - kBefore .. n + stays
    std::deque<Patch> recent;     // white patches that stayed, of the last frames
    std::vector<int> born(std::size_t(w) * h);
    std::vector<int> label(std::size_t(w) * h);
    std::vector<int> stack;
    std::optional<Patch> pending; // a splash found, checked against the next frame

    for (std::int64_t next = 0; next < props.frameCount; ++next) {
        if (cancel && cancel->load()) {
            result.reason = QStringLiteral("The search was stopped.");
            return result;
        }
        const FrameResult got = source.frame(next);
        ++result.framesRead;
        if (!got) {
            if (got.damaged() && !frames.empty()) {
                frames.push_back(frames.back()); // a damaged frame: the one before stands in
            } else {
                result.reason = got.error;
                return result;
            }
        } else {
            frames.push_back(reducer.reduce(*got.picture));
        }
        if (int(frames.size()) == 2 && threshold == 0) {
            // The noise: the median difference between the first two frames.
            std::array<int, 512> histogram{};
            for (std::size_t i = 0; i < frames[0].level.size(); ++i)
                ++histogram[std::size_t(
                    std::min(511, std::abs(frames[1].level[i] - frames[0].level[i])))];
            std::size_t seen = 0;
            int mad = 0;
            for (; mad < 511; ++mad) {
                seen += std::size_t(histogram[std::size_t(mad)]);
                if (seen * 2 >= frames[0].level.size())
                    break;
            }
            threshold = std::max(kMedianLevel / 5, 8 * mad);
        }
        if (int(frames.size()) < kBefore + 1 + stays)
            continue;
        // Frame n is judged once the frames that show whether its new white stays are read.
        const std::int64_t n = next - stays;
        const std::int16_t* b0 = frames[0].level.data();
        const std::int16_t* b1 = frames[1].level.data();
        const std::int16_t* b2 = frames[2].level.data();
        const std::int16_t* now = frames[kBefore].level.data();
        std::vector<const std::int16_t*> after;
        for (int j = 1; j <= stays; ++j)
            after.push_back(frames[std::size_t(kBefore) + std::size_t(j)].level.data());
        static_assert(kBefore == 3);
        int bornCount = 0;
        std::fill(born.begin(), born.end(), 0);
        for (std::size_t i = 0; i < born.size(); ++i) {
            const int before = std::max(b0[i], std::max(b1[i], b2[i]));
            if (now[i] - before <= threshold)
                continue;
            bool staying = true;
            for (const std::int16_t* a : after)
                if (a[i] - before <= threshold / 2) {
                    staying = false;
                    break;
                }
            if (staying) {
                born[i] = now[i] - before;
                ++bornCount;
            }
        }
        frames.pop_front();
        while (!recent.empty() && recent.front().frame < n - kTrackFrames)
            recent.pop_front();
        if (bornCount == 0 && !pending)
            continue;

        // Patches of new white that stays, each judged on its own.
        std::fill(label.begin(), label.end(), 0);
        std::vector<Patch> patches;
        const int margin = std::max(2, w / 100);
        const int minCells = std::max(1, 4 / (d * d));
        for (int start = 0; start < int(born.size()); ++start) {
            if (!born[std::size_t(start)] || label[std::size_t(start)])
                continue;
            Patch p{n, w, h, -1, -1, 0, 0, 0};
            double weight = 0;
            stack.assign(1, start);
            label[std::size_t(start)] = 1;
            while (!stack.empty()) {
                const int i = stack.back();
                stack.pop_back();
                const int x = i % w, y = i / w;
                const double v = born[std::size_t(i)];
                p.cx += v * x;
                p.cy += v * y;
                weight += v;
                ++p.cells;
                p.x0 = std::min(p.x0, x);
                p.x1 = std::max(p.x1, x);
                p.y0 = std::min(p.y0, y);
                p.y1 = std::max(p.y1, y);
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int xx = x + dx, yy = y + dy;
                        if (xx < 0 || yy < 0 || xx >= w || yy >= h)
                            continue;
                        const std::size_t j = std::size_t(yy) * w + xx;
                        if (born[j] && !label[j]) {
                            label[j] = 1;
                            stack.push_back(int(j));
                        }
                    }
            }
            p.cx /= weight;
            p.cy /= weight;
            p.weight = weight;
            patches.push_back(p);
        }
        const Patch* splash = nullptr;
        for (const Patch& p : patches) {
            if (p.cells < minCells)
                continue;
            // A wake grows out of the white water it left in the frames before.
            std::int64_t lastFrame = -1;
            int framesNear = 0;
            for (const Patch& r : recent)
                if (near(p, r, margin) && r.frame != lastFrame) {
                    lastFrame = r.frame;
                    ++framesNear;
                }
            const bool early = n < kBefore + kTrackFrames; // nothing before to compare with
            const int centre = int(std::lround(p.cy)) * w + int(std::lround(p.cx));
            if (framesNear < 2 && !early && inArea[std::size_t(centre)] &&
                (!splash || p.weight > splash->weight))
                splash = &p;
        }
        if (pending) {
            // What the frame before took for the start of a splash may be the
            // skier just above the water where the splash comes a frame
            // later: the splash is then far the greater change.
            const Patch* later = nullptr;
            for (const Patch& p : patches)
                if (near(p, *pending, margin) && p.weight > 2 * pending->weight &&
                    (!later || p.weight > later->weight))
                    later = &p;
            const Patch& chosen = later ? *later : *pending;
            result.frame = chosen.frame;
            result.pixel = pixelOf(chosen.cx, chosen.cy);
            return result;
        }
        if (splash)
            pending = *splash;
        recent.insert(recent.end(), patches.begin(), patches.end());
    }
    if (pending) {
        result.frame = pending->frame;
        result.pixel = pixelOf(pending->cx, pending->cy);
        return result;
    }
    result.reason = QStringLiteral("No splash begins in the landing area in this video.");
    return result;
}

ContactProposal findContact(const QString& video, const ContactSearch& search,
                            const std::atomic_bool* cancel)
{
    FrameSourceLimits limits;
    limits.cacheBytes = 64LL * 1024 * 1024; // frames are read once, in order
    OpenResult opened = openVideo(video, limits);
    if (!opened.source) {
        ContactProposal none;
        none.reason = opened.reason.isEmpty()
                          ? QStringLiteral("The video could not be opened.")
                          : QStringLiteral("The video could not be opened: %1").arg(opened.reason);
        return none;
    }
    return findContact(*opened.source, search, cancel);
}

} // namespace korvel
