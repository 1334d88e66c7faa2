// The map bitmap's pixels written directly for lines, discs and fills; text and the widest pens
// go to the painter. Antialiasing is always off.
#include "imaging/RasterCanvas.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <sys/mman.h>
#include <unistd.h>

#include "base/Errors.h"

namespace veltra {

namespace {

constexpr int DotLength = 3; // pixels on, then the same off

// A colour repeated as 8-byte words of the bitmap's red, green, blue byte order: word k begins
// on colour byte k, so the 8 bytes at offset i of a run are word i % 3. Kept in registers, so
// a run's stores never wait on a pattern just written to memory.
struct TColourWords {
    std::uint64_t Word[3];
};

inline TColourWords ColourWords(TColour colour)
{
    const std::uint64_t r = RedOf(colour), g = GreenOf(colour), b = BlueOf(colour);
    const auto repeat = [](std::uint64_t three) {
        const std::uint64_t word = three | three << 24 | three << 48;
        if constexpr (std::endian::native == std::endian::big)
            return __builtin_bswap64(word);
        else
            return word;
    };
    return {
        {repeat(r | g << 8 | b << 16), repeat(g | b << 8 | r << 16), repeat(b | r << 8 | g << 16)}};
}

// Paints a run of pixels starting at p: 8 bytes at a time, the last 8 ending on the run's end.
inline void PaintRun(std::uint8_t* p, int pixels, const TColourWords& colour)
{
    const int bytes = 3 * pixels;
    if (bytes < 8) {
        for (int i = 0; i < bytes; i += 3)
            std::memcpy(p + i, &colour.Word[0], 3);
        return;
    }
    // The last 8 bytes begin on colour byte (3 pixels - 8) % 3, which is 1 for any run.
    std::memcpy(p + bytes - 8, &colour.Word[1], 8);
    std::memcpy(p, &colour.Word[0], 8);
    if (bytes <= 16) // 3 to 5 pixels, a footprint's rows: the two stores cover them
        return;
    // Offsets 8, 16, 24, ... begin on colour bytes 2, 1, 0, ...
    std::uint64_t now = colour.Word[2], next = colour.Word[1], after = colour.Word[0];
    for (int i = 8; i + 8 < bytes; i += 8) {
        std::memcpy(p + i, &now, 8);
        const std::uint64_t done = now;
        now = next;
        next = after;
        after = done;
    }
}

// Clips the segment to the rectangle (Liang-Barsky); false when nothing of it is inside.
bool ClipSegment(double& x0, double& y0, double& x1, double& y1, double left, double top,
                 double right, double bottom)
{
    const double dx = x1 - x0, dy = y1 - y0;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - left, right - x0, y0 - top, bottom - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, r);
        else
            t1 = std::min(t1, r);
    }
    if (t0 > t1)
        return false;
    const double ox = x0, oy = y0;
    x0 = ox + t0 * dx;
    y0 = oy + t0 * dy;
    x1 = ox + t1 * dx;
    y1 = oy + t1 * dy;
    return true;
}

// Runs gathered for a sink and handed over a batch at a time; runs off the sink's rows are
// dropped.
class TRunBatch {
public:
    TRunBatch(TRunSink& sink, int firstRow, int lastRow)
        : sink_(sink), firstRow_(firstRow), lastRow_(lastRow)
    {
    }
    ~TRunBatch() { Flush(); }
    TRunBatch(const TRunBatch&) = delete;
    TRunBatch& operator=(const TRunBatch&) = delete;
    void Add(int row, int first, int last)
    {
        if (row < firstRow_ || row > lastRow_)
            return;
        if (count_ == Capacity)
            Flush();
        runs_[count_++] = {row, first, last};
    }
    void Flush()
    {
        if (count_ > 0)
            sink_.Runs(runs_, count_);
        count_ = 0;
    }

private:
    static constexpr int Capacity = 128;
    TRunSink& sink_;
    int firstRow_, lastRow_;
    TPixelRun runs_[Capacity];
    int count_ = 0;
};

// Every byte of a new bitmap is written at once: its pages are asked for in one call rather
// than one fault each (Linux 5.14 and later; elsewhere, or when refused, the faults come as
// before).
void PrefaultPages(void* data, std::size_t bytes)
{
#ifdef MADV_POPULATE_WRITE
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0)
        return;
    const auto page = static_cast<std::uintptr_t>(pageSize);
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t begin = (start + page - 1) / page * page,
                         end = (start + bytes) / page * page;
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

} // namespace

TRasterCanvas::TRasterCanvas(TCanvasPainter* painter, int width, int height, TColour fillColour)
    : painter_(painter), fillColour_(fillColour)
{
    Resize(width, height);
}

// Rows are padded to whole 32-bit words, as image libraries expect them.
std::ptrdiff_t TRasterCanvas::PaddedStride(int width)
{
    return (3 * std::ptrdiff_t{width} + 3) / 4 * 4;
}

TRasterCanvas::TRasterCanvas(TStrokesOnly rows, int width, int height)
    : painter_(nullptr), fillColour_(0), sinkFirstRow_(rows.FirstRow), sinkLastRow_(rows.LastRow)
{
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    // The rows the pixels would have, as the offsets of a recording count them.
    stride_ = PaddedStride(width_);
}

void TRasterCanvas::Resize(int width, int height)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (width == width_ && height == height_ && pixels_ != nullptr)
        return;
    std::shared_ptr<std::uint8_t[]> resized;
    const std::ptrdiff_t stride = PaddedStride(width);
    if (width > 0 && height > 0) {
        const std::size_t bytes =
            static_cast<std::size_t>(stride) * static_cast<std::size_t>(height);
        try {
            resized.reset(new std::uint8_t[bytes]);
        } catch (const std::bad_alloc&) {
            throw EVeltraError("Not enough memory for the map bitmap");
        }
        PrefaultPages(resized.get(), bytes);
        const TColourWords colour = ColourWords(fillColour_);
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = resized.get() + y * stride;
            // The pixels both sizes share keep their colour, the others get the fill colour.
            const int kept = y < height_ ? std::min(width, width_) : 0;
            if (kept > 0)
                std::memcpy(row, pixels_.get() + y * stride_, 3 * static_cast<std::size_t>(kept));
            if (kept < width)
                PaintRun(row + 3 * std::ptrdiff_t{kept}, width - kept, colour);
            std::memset(row + 3 * std::ptrdiff_t{width}, 0,
                        static_cast<std::size_t>(stride - 3 * std::ptrdiff_t{width}));
        }
    }
    pixels_ = std::move(resized);
    bits_ = nullptr;
    width_ = pixels_ != nullptr ? width : 0;
    height_ = pixels_ != nullptr ? height : 0;
    stride_ = pixels_ != nullptr ? stride : 0;
}

std::uint8_t* TRasterCanvas::OwnPixels()
{
    if (pixels_ != nullptr && pixels_.use_count() > 1) {
        const std::size_t bytes =
            static_cast<std::size_t>(stride_) * static_cast<std::size_t>(height_);
        std::shared_ptr<std::uint8_t[]> own(new std::uint8_t[bytes]);
        std::memcpy(own.get(), pixels_.get(), bytes);
        pixels_ = std::move(own);
    }
    return pixels_.get();
}

TRgbPixels TRasterCanvas::Lent()
{
    return {width_, height_, stride_, Bits()};
}

TCanvasPainter& TRasterCanvas::Painter() const
{
    if (painter_ == nullptr)
        throw EVeltraError("This map bitmap draws no text and no pens wider than 33 pixels");
    return *painter_;
}

void TRasterCanvas::SetPixel(int x, int y, TColour colour)
{
    std::uint8_t* p = Bits() + y * stride_ + 3 * x;
    p[0] = static_cast<std::uint8_t>(RedOf(colour));
    p[1] = static_cast<std::uint8_t>(GreenOf(colour));
    p[2] = static_cast<std::uint8_t>(BlueOf(colour));
}

TColour TRasterCanvas::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_ == nullptr)
        return 0;
    const std::uint8_t* p = pixels_.get() + y * stride_ + 3 * x;
    return PackColour(p[0], p[1], p[2]);
}

// The discs at the centres of a segment's walk, in order, each a row at most from the last:
// every row from reach above the top centre to reach below the bottom one takes the union of
// the discs' spans there, which is one run (consecutive discs overlap or touch, being at most a
// column apart, and a row within reach of two centres is within reach of those between).
template <int Centres>
[[gnu::always_inline]] inline void TRasterCanvas::PaintDiscs(const int (&x)[Centres],
                                                             const int (&y)[Centres], int top,
                                                             int bottom, std::uint8_t* bits)
{
    const int reach = stampReach_;
    const int* const span = unionSpan_ + UnionSpanMargin + stampRadius_;
    if (sink_ != nullptr) {
        // At most MaxShortSteps + 2 MaxStampRadius + 1 rows, handed over at once.
        TPixelRun runs[MaxShortSteps + 2 * MaxStampRadius + 1];
        int count = 0;
        const int firstRow = std::max(top - reach, sinkFirstRow_);
        const int lastRow = std::min(bottom + reach, sinkLastRow_);
        for (int row = firstRow; row <= lastRow; ++row) {
            int first = x[0] - span[row - y[0]], last = x[0] + span[row - y[0]];
            for (int c = 1; c < Centres; ++c) {
                first = std::min(first, x[c] - span[row - y[c]]);
                last = std::max(last, x[c] + span[row - y[c]]);
            }
            runs[count++] = {row, first, last};
        }
        if (count > 0)
            sink_->Runs(runs, count);
        return;
    }
    const TColourWords colour = ColourWords(penColour_);
    for (int row = top - reach; row <= bottom + reach; ++row) {
        int first = x[0] - span[row - y[0]], last = x[0] + span[row - y[0]];
        for (int c = 1; c < Centres; ++c) {
            first = std::min(first, x[c] - span[row - y[c]]);
            last = std::max(last, x[c] + span[row - y[c]]);
        }
        PaintRun(bits + row * stride_ + 3 * first, last - first + 1, colour);
    }
}

// A segment of at most two steps whose discs lie on the bitmap, nearly every footprint: the
// discs at its two or three centres painted together.
[[gnu::always_inline]] inline bool TRasterCanvas::ShortSegment(int x0, int y0, int x1, int y1,
                                                               std::uint8_t* bits)
{
    if (stampWidth_ != penWidth_)
        PrepareStamp();
    const int reach = stampReach_;
    const int top = std::min(y0, y1), bottom = std::max(y0, y1);
    if (recording_ != nullptr || std::min(x0, x1) < reach || std::max(x0, x1) >= width_ - reach ||
        top < reach || bottom >= height_ - reach)
        return false;
    // Both ends on the bitmap, so the differences cannot overflow.
    const int dx = std::abs(x1 - x0), dy = bottom - top;
    static_assert(MaxShortSteps == 2); // one step or two, below
    if (dx > MaxShortSteps || dy > MaxShortSteps)
        return false;
    if (dx <= 1 && dy <= 1) {
        PaintDiscs<2>({x0, x1}, {y0, y1}, top, bottom, bits);
    } else {
        // The middle centre is where the round pen's walk (in WideSegment) lands after its
        // first step; the thin pen's walk rounds differently.
        const int twiceError = 2 * (dx - dy);
        const int xm = x0 + (twiceError >= -dy ? (x0 < x1 ? 1 : -1) : 0);
        const int ym = y0 + (twiceError <= dx ? (y0 < y1 ? 1 : -1) : 0);
        PaintDiscs<3>({x0, xm, x1}, {y0, ym, y1}, top, bottom, bits);
    }
    return true;
}

[[gnu::always_inline]] inline void TRasterCanvas::Segment(int x0, int y0, int x1, int y1,
                                                          std::uint8_t* bits)
{
    // A stroke reaches at most its pen width beyond the rows of its ends.
    if (sink_ != nullptr && (std::max<std::int64_t>(y0, y1) + penWidth_ < sinkFirstRow_ ||
                             std::min<std::int64_t>(y0, y1) - penWidth_ > sinkLastRow_))
        return;
    if (penWidth_ <= 1)
        ThinSegment(x0, y0, x1, y1, bits);
    else if (penWidth_ <= 2 * MaxStampRadius - 2) {
        if (!ShortSegment(x0, y0, x1, y1, bits))
            WideSegment(x0, y0, x1, y1, bits);
    } else
        WideSegmentPainted(x0, y0, x1, y1);
}

void TRasterCanvas::MoveTo(int x, int y)
{
    position_ = {x, y};
    dotPhase_ = 0;
    if (recording_ != nullptr)
        recording_->MovesPen = true;
}

void TRasterCanvas::LineTo(int x, int y)
{
    if (width_ > 0)
        Segment(position_.X, position_.Y, x, y, Bits());
    position_ = {x, y};
    if (recording_ != nullptr)
        recording_->MovesPen = true;
}

void TRasterCanvas::Polyline(const TPoint* points, int count)
{
    if (points == nullptr || count < 2)
        return;
    dotPhase_ = 0;
    if (width_ == 0) // no pixels
        return;
    std::uint8_t* const bits = Bits();
    for (int i = 1; i < count; ++i)
        Segment(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y, bits);
}

// Bresenham's walk along the major axis, pixel i at major = start + i and minor = start +
// round(i * minor extent / major extent), halves away from the start; the end point is not
// painted. Only the steps whose major coordinate lies on the bitmap are walked, so a segment
// with far-out ends costs no more than one across the bitmap.
void TRasterCanvas::ThinSegment(int x0, int y0, int x1, int y1, std::uint8_t* bits)
{
    const std::int64_t dx = static_cast<std::int64_t>(x1) - x0;
    const std::int64_t dy = static_cast<std::int64_t>(y1) - y0;
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t major = xMajor ? std::llabs(dx) : std::llabs(dy);
    const std::int64_t minor = xMajor ? std::llabs(dy) : std::llabs(dx);
    if (major == 0)
        return;
    const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t majorStart = xMajor ? x0 : y0;
    const std::int64_t minorStart = xMajor ? y0 : x0;
    const std::int64_t majorLimit = xMajor ? width_ : height_;
    const std::int64_t minorLimit = xMajor ? height_ : width_;

    // Steps i in [0, major) with 0 <= majorStart + majorStep * i < majorLimit.
    std::int64_t first = 0, last = major - 1;
    if (majorStep > 0) {
        first = std::max(first, -majorStart);
        last = std::min(last, majorLimit - 1 - majorStart);
    } else {
        first = std::max(first, majorStart - majorLimit + 1);
        last = std::min(last, majorStart);
    }
    const bool dotted = penStyle_ == TPenStyle::Dot;
    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(RedOf(penColour_)),
                                 static_cast<std::uint8_t>(GreenOf(penColour_)),
                                 static_cast<std::uint8_t>(BlueOf(penColour_))};
    const std::ptrdiff_t stride = stride_;
    TPixelRecording* const recording = recording_;
    // offset(i) = (2 i minor + major) div (2 major), carried from step to step as quotient and
    // remainder: 2 minor never exceeds 2 major, so a step carries at most one. 128 bits for
    // the first: i and both extents reach 2^32 for ends at opposite ends of the int range.
    const std::int64_t twoMajor = 2 * major, twoMinor = 2 * minor;
    // A walk from the first end (i = 0, most of them) starts at quotient 0, remainder major.
    std::int64_t offset = 0, rest = major;
    if (first > 0 && major < (std::int64_t{1} << 30)) { // 64 bits hold it
        const std::int64_t start = 2 * first * minor + major;
        offset = start / twoMajor;
        rest = start % twoMajor;
    } else if (first > 0) {
        const __int128 start = 2 * static_cast<__int128>(first) * minor + major;
        offset = static_cast<std::int64_t>(start / twoMajor);
        rest = static_cast<std::int64_t>(start % twoMajor);
    }
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t m = minorStart + minorStep * offset;
        if (!(dotted && (dotPhase_ + i) % (2 * DotLength) >= DotLength) && m >= 0 &&
            m < minorLimit) {
            const std::int64_t a = majorStart + majorStep * i;
            const std::int64_t px = xMajor ? a : m, py = xMajor ? m : a;
            if (sink_ != nullptr) {
                if (py >= sinkFirstRow_ && py <= sinkLastRow_)
                    sink_->Runs(std::array{TPixelRun{static_cast<int>(py), static_cast<int>(px),
                                                     static_cast<int>(px)}}
                                    .data(),
                                1);
            } else
                std::memcpy(bits + py * stride + 3 * px, rgb, 3);
            if (recording != nullptr)
                recording->Offsets.push_back(static_cast<std::uint32_t>(py * stride + 3 * px));
        }
        rest += twoMinor;
        if (rest >= twoMajor) {
            rest -= twoMajor;
            ++offset;
        }
    }
    dotPhase_ = (dotPhase_ + major) % (2 * DotLength);
}

void TRasterCanvas::PrepareStamp()
{
    if (stampWidth_ == penWidth_)
        return;
    stampWidth_ = penWidth_;
    stampRadius_ = penWidth_ / 2 + 1;
    stampReach_ = 0;
    std::fill(std::begin(unionSpan_), std::end(unionSpan_), NoSpan);
    const double r2 = penWidth_ * penWidth_ / 4.0;
    for (int dy = -stampRadius_; dy <= stampRadius_; ++dy) {
        const double rest = r2 - static_cast<double>(dy) * dy;
        halfSpan_[dy + stampRadius_] =
            rest < 0 ? -1 : static_cast<int>(std::floor(std::sqrt(rest)));
        unionSpan_[UnionSpanMargin + dy + stampRadius_] =
            rest < 0 ? NoSpan : halfSpan_[dy + stampRadius_];
        if (rest >= 0)
            stampReach_ = std::max(stampReach_, std::abs(dy));
    }
}

// A round pen is a disc swept along the line: the disc (pixels whose centres lie within half
// the pen width of its centre) is stamped at every pixel of the Bresenham walk, both ends
// included, which gives round caps and joins. Footprints are drawn this way tens of thousands
// of times a render, so it is done here rather than through a painter per segment.
//
// A short segment whose discs all lie on the bitmap (the usual footprint) is not stamped disc
// by disc: on each row the discs of successive steps overlap or touch (a step moves the centre
// by at most one pixel each way, and the steps that reach a row are consecutive), so their
// union is one run of pixels, from the leftmost disc's left end to the rightmost one's right
// end. Each row's run is found from the columns the walk visits on the rows within reach,
// and written once.
void TRasterCanvas::WideSegment(int x0, int y0, int x1, int y1, std::uint8_t* bits)
{
    const int width = width_, height = height_;
    // Clip to the bitmap grown by the pen, so the walk never leaves the neighbourhood of it.
    // Clipping leaves a segment with both ends inside that rectangle as it is.
    const int margin = penWidth_;
    auto near = [&](int x, int y) {
        return x >= -margin && y >= -margin && x <= width + margin && y <= height + margin;
    };
    int x = x0, y = y0, xe = x1, ye = y1;
    if (!near(x0, y0) || !near(x1, y1)) {
        double ax = x0, ay = y0, bx = x1, by = y1;
        if (!ClipSegment(ax, ay, bx, by, -margin, -margin, width + margin, height + margin))
            return;
        x = static_cast<int>(std::lround(ax));
        y = static_cast<int>(std::lround(ay));
        xe = static_cast<int>(std::lround(bx));
        ye = static_cast<int>(std::lround(by));
    }
    PrepareStamp();
    const int radius = stampRadius_, reach = stampReach_;
    const int* const halfSpan = halfSpan_;
    const std::ptrdiff_t stride = stride_;
    const int dx = std::abs(xe - x), sx = x < xe ? 1 : -1;
    const int dy = -std::abs(ye - y), sy = y < ye ? 1 : -1;
    // Visits the centre of every step, both ends included.
    auto walk = [&](auto&& visit) {
        int cx = x, cy = y, error = dx + dy;
        for (;;) {
            visit(cx, cy);
            if (cx == xe && cy == ye)
                break;
            const int e2 = 2 * error;
            if (e2 >= dy) {
                error += dy;
                cx += sx;
            }
            if (e2 <= dx) {
                error += dx;
                cy += sy;
            }
        }
    };

    // The walk stays within the box of its ends.
    constexpr int MaxRunRows = 64;
    const int rowFirst = std::min(y, ye), centreRows = -dy + 1;
    if (recording_ == nullptr && centreRows <= MaxRunRows && std::min(x, xe) >= reach &&
        std::max(x, xe) < width - reach && rowFirst >= reach && std::max(y, ye) < height - reach) {
        // The first and last column the walk visits on each row of centres: consecutive
        // columns, as a step moves at most one column.
        struct TColumns {
            int Low, High;
        } visited[MaxRunRows];
        for (int row = 0; row < centreRows; ++row)
            visited[row] = {width, -1};
        walk([&](int cx, int cy) {
            TColumns& columns = visited[cy - rowFirst];
            columns.Low = std::min(columns.Low, cx);
            columns.High = std::max(columns.High, cx);
        });
        const TColourWords colour = ColourWords(penColour_);
        std::optional<TRunBatch> batch;
        if (sink_ != nullptr)
            batch.emplace(*sink_, sinkFirstRow_, sinkLastRow_);
        // Row R takes from each centre row C within reach the discs' spans there, half(R - C)
        // either side of the columns visited on C.
        for (int row = -reach; row < centreRows + reach; ++row) {
            int first = width, last = -1;
            const int from = std::max(row - reach, 0), to = std::min(row + reach, centreRows - 1);
            for (int centre = from; centre <= to; ++centre) {
                const int half = halfSpan[row - centre + radius];
                first = std::min(first, visited[centre].Low - half);
                last = std::max(last, visited[centre].High + half);
            }
            if (batch)
                batch->Add(rowFirst + row, first, last);
            else
                PaintRun(bits + (rowFirst + row) * stride + 3 * first, last - first + 1, colour);
        }
        return;
    }
    // Disc by disc along the walk, each disc's rows clipped to the bitmap.
    const auto discRuns = [&](auto run) {
        walk([&](int cx, int cy) {
            for (int d = -radius; d <= radius; ++d) {
                const int row = cy + d, half = halfSpan[d + radius];
                if (half < 0 || row < 0 || row >= height)
                    continue;
                const int left = std::max(cx - half, 0), right = std::min(cx + half, width - 1);
                run(row, left, right);
            }
        });
    };
    if (sink_ != nullptr) {
        TRunBatch batch(*sink_, sinkFirstRow_, sinkLastRow_);
        discRuns([&](int row, int left, int right) {
            if (left <= right)
                batch.Add(row, left, right);
        });
        return;
    }

    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(RedOf(penColour_)),
                                 static_cast<std::uint8_t>(GreenOf(penColour_)),
                                 static_cast<std::uint8_t>(BlueOf(penColour_))};
    TPixelRecording* const recording = recording_;
    discRuns([&](int row, int left, int right) {
        std::uint8_t* p = bits + row * stride + 3 * left;
        for (int column = left; column <= right; ++column, p += 3) {
            std::memcpy(p, rgb, 3);
            if (recording != nullptr)
                recording->Offsets.push_back(static_cast<std::uint32_t>(p - bits));
        }
    });
}

void TRasterCanvas::WideSegmentPainted(int x0, int y0, int x1, int y1)
{
    // Clip to the bitmap grown by the pen, so the painter never sees far-out coordinates.
    const double margin = penWidth_;
    double ax = x0, ay = y0, bx = x1, by = y1;
    if (!ClipSegment(ax, ay, bx, by, -margin, -margin, width_ + margin, height_ + margin))
        return;
    Unrecordable();
    Painter().WideSegment(Lent(), ax, ay, bx, by, penColour_, penWidth_);
}

void TRasterCanvas::FillRect(int left, int top, int right, int bottom, TColour colour)
{
    fillColour_ = colour;
    Unrecordable();
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    if (left >= right || top >= bottom)
        return;
    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(RedOf(colour)),
                                 static_cast<std::uint8_t>(GreenOf(colour)),
                                 static_cast<std::uint8_t>(BlueOf(colour))};
    // The first row pixel by pixel, the others copied from it.
    std::uint8_t* bits = Bits();
    const std::ptrdiff_t stride = stride_;
    std::uint8_t* first = bits + top * stride + 3 * left;
    for (int x = left; x < right; ++x)
        std::memcpy(first + 3 * (x - left), rgb, 3);
    const std::size_t bytes = 3 * static_cast<std::size_t>(right - left);
    for (int y = top + 1; y < bottom; ++y)
        std::memcpy(bits + y * stride + 3 * left, first, bytes);
}

void TRasterCanvas::CopyImage(int left, int top, const TRgbImage& image)
{
    Unrecordable();
    const int from = std::max(0, -left), to = std::min(image.Width, width_ - left);
    if (image.Bits == nullptr || from >= to)
        return;
    std::uint8_t* bits = Bits();
    for (int y = std::max(0, -top); y < image.Height && y + top < height_; ++y)
        std::memcpy(bits + (y + top) * stride_ + 3 * (left + from),
                    image.Bits + y * image.BytesPerLine + 3 * from,
                    3 * static_cast<std::size_t>(to - from));
}

void TRasterCanvas::FrameRect(int left, int top, int right, int bottom)
{
    if (left >= right || top >= bottom)
        return;
    Unrecordable();
    auto plot = [this](int x, int y) {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            SetPixel(x, y, penColour_);
    };
    const int x0 = std::max(left, 0), x1 = std::min(right, width_);
    for (int x = x0; x < x1; ++x) {
        plot(x, top);
        plot(x, bottom - 1);
    }
    const int y0 = std::max(top, 0), y1 = std::min(bottom, height_);
    for (int y = y0; y < y1; ++y) {
        plot(left, y);
        plot(right - 1, y);
    }
}

int TRasterCanvas::TextWidth(const std::string& text)
{
    return Painter().TextWidth(font_, text);
}

int TRasterCanvas::TextHeight(const std::string&)
{
    return Painter().TextHeight(font_);
}

void TRasterCanvas::TextOut(int x, int y, const std::string& text)
{
    if (pixels_ == nullptr || text.empty())
        return;
    Unrecordable();
    Painter().TextOut(Lent(), x, y, font_, text);
}

bool TRasterCanvas::StartRecording(TPixelRecording& recording)
{
    // Offsets are kept in 32 bits; one recording at a time. A canvas whose strokes go to a
    // sink records them as well.
    if (recording_ != nullptr || (pixels_ == nullptr && sink_ == nullptr) ||
        stride_ * std::int64_t{height_} > std::numeric_limits<std::uint32_t>::max())
        return false;
    recording.Offsets.clear();
    recording.Width = width_;
    recording.Height = height_;
    recording.Stride = stride_;
    recording.PenColour = penColour_;
    recording.PenWidth = penWidth_;
    recording.PenStyle = penStyle_;
    recording.EndPosition = position_;
    recording.EndDotPhase = dotPhase_;
    recording.MovesPen = false;
    recording.Complete = true;
    recording_ = &recording;
    return true;
}

void TRasterCanvas::StopRecording()
{
    if (recording_ == nullptr)
        return;
    recording_->EndPosition = position_;
    recording_->EndDotPhase = dotPhase_;
    // Lines cross and share end points, and a wide pen's discs overlap: each pixel is kept
    // once (the first time it was painted), so a replay, all in one colour, writes it once.
    // Distinct pixels lie at least 3 bytes apart, so offset / 3 tells them apart.
    std::vector<std::uint32_t>& offsets = recording_->Offsets;
    std::vector<bool> seen(static_cast<std::size_t>(stride_ * std::int64_t{height_}) / 3 + 1);
    std::size_t kept = 0;
    for (const std::uint32_t offset : offsets)
        if (!seen[offset / 3]) {
            seen[offset / 3] = true;
            offsets[kept++] = offset;
        }
    offsets.resize(kept);
    recording_ = nullptr;
}

bool TRasterCanvas::Replay(const TPixelRecording& recording)
{
    if (!recording.Complete || recording_ != nullptr || pixels_ == nullptr ||
        recording.Width != width_ || recording.Height != height_ || recording.Stride != stride_ ||
        recording.PenColour != penColour_ || recording.PenWidth != penWidth_ ||
        recording.PenStyle != penStyle_)
        return false;
    const std::uint8_t rgb[3] = {static_cast<std::uint8_t>(RedOf(penColour_)),
                                 static_cast<std::uint8_t>(GreenOf(penColour_)),
                                 static_cast<std::uint8_t>(BlueOf(penColour_))};
    std::uint8_t* bits = Bits();
    for (const std::uint32_t offset : recording.Offsets)
        std::memcpy(bits + offset, rgb, 3);
    if (recording.MovesPen)
        position_ = recording.EndPosition;
    dotPhase_ = recording.EndDotPhase;
    return true;
}

} // namespace veltra
