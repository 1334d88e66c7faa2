#pragma once
// Many passes on one map. A composite takes, from every footprint of every pass, what its rule
// needs (value, scan-line time, scan angle, colour) into an accumulator: one per pixel for the
// picture (TPixelComposite), one per cell of a latitude-longitude grid for the gridded product
// (TGridComposite). Passes are decoded into accumulators of their own (one per thread) and
// merged; every choice is made on a total order of the footprints and every sum is kept in
// whole units, so the result does not depend on how the passes were shared out or in which
// order the accumulators are merged.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/Canvas.h"
#include "base/Errors.h"

namespace veltra {

// Which footprint a pixel or cell shows. Latest: the later scan line (the one drawn last within
// a line); nadir: the smallest scan angle, ties to the later line; min and max: the value, ties
// to the later line; mean: the arithmetic mean of every value that reaches it.
enum class TCompositeRule : std::uint8_t { Latest, Nadir, Min, Max, Mean };

inline constexpr TCompositeRule CompositeRules[] = {TCompositeRule::Latest, TCompositeRule::Nadir,
                                                    TCompositeRule::Min, TCompositeRule::Max,
                                                    TCompositeRule::Mean};

// "latest", "nadir", "min", "max", "mean".
const char* CompositeRuleName(TCompositeRule rule);
// The rule of a name (lower case as above); nothing for another text.
std::optional<TCompositeRule> CompositeRuleNamed(const std::string& name);

// One footprint as a composite sees it. Rank orders the footprints of equal value (or angle)
// for the choosing rules: the scan line's UTC time, then Order, which is the pass's place in
// time order (high bits) and the footprint's place in its line (low 12 bits), so that of two
// footprints of one line the later one wins, as it is drawn on top.
struct TCompositeFootprint {
    float Value = 0;       // the brightness temperature (K), or the visible channel's value
    float Angle = 0;       // |scan angle| in degrees
    std::int64_t Time = 0; // ms since 1970
    std::uint32_t Order = 0;
    TColour Colour = 0; // as the picture draws it
};

inline constexpr int FootprintOrderBits = 12;
inline std::uint32_t FootprintOrder(std::uint32_t pass, std::int32_t footprint)
{
    return pass << FootprintOrderBits |
           (static_cast<std::uint32_t>(footprint) & ((1u << FootprintOrderBits) - 1));
}

// Sums of values are kept in units of 2^-20 (K): whole numbers add exactly in any order.
inline constexpr double SumUnitsPerKelvin = 1048576.0;
// A value in those units, held within +-2^62 (a value no file should give, but one may).
std::int64_t SumUnits(float value);
// Adds to a sum, stopping at the ends of the range rather than wrapping round: sums of
// absurd values (a damaged file's) stay absurd but never overflow.
inline void AddToSum(std::int64_t& sum, std::int64_t value)
{
    if (__builtin_add_overflow(sum, value, &sum))
        sum = value < 0 ? INT64_MIN : INT64_MAX;
}

// The state of one pixel or cell for the choosing rules: the chosen footprint.
struct TChosen {
    std::int64_t Time = 0;
    std::uint32_t Order = 0;
    TColour Colour = 0;
    float Value = 0;
    float Angle = 0;
    std::uint32_t Count = 0; // footprints that reached it; 0: empty
};

// Whether footprint a (its value or angle as the rule's key, and its rank) wins over footprint
// b under the rule; a full tie goes to a, the later one of a pass.
inline bool Wins(TCompositeRule rule, float keyA, std::int64_t timeA, std::uint32_t orderA,
                 float keyB, std::int64_t timeB, std::uint32_t orderB)
{
    switch (rule) {
    case TCompositeRule::Nadir:
    case TCompositeRule::Min:
        if (keyA != keyB)
            return keyA < keyB;
        break;
    case TCompositeRule::Max:
        if (keyA != keyB)
            return keyA > keyB;
        break;
    case TCompositeRule::Latest:
    case TCompositeRule::Mean: break;
    }
    return timeA != timeB ? timeA > timeB : orderA >= orderB;
}

// Memory that reads as zero until written (pages the system maps in as they are touched), so an
// accumulator costs only the part of the map the passes reach.
template <typename T> class TZeroedArray {
public:
    TZeroedArray() = default;
    // Large blocks come straight from the system as zero pages, mapped in when touched.
    explicit TZeroedArray(std::size_t count)
        : items_(count == 0 ? nullptr : static_cast<T*>(std::calloc(count, sizeof(T)))),
          count_(count)
    {
        if (count != 0 && items_ == nullptr)
            throw EVeltraError("Not enough memory for a composite");
    }
    ~TZeroedArray() { std::free(items_); }
    TZeroedArray(TZeroedArray&& other) noexcept : items_(other.items_), count_(other.count_)
    {
        other.items_ = nullptr;
        other.count_ = 0;
    }
    TZeroedArray& operator=(TZeroedArray&& other) noexcept
    {
        std::swap(items_, other.items_);
        std::swap(count_, other.count_);
        return *this;
    }
    TZeroedArray(const TZeroedArray&) = delete;
    TZeroedArray& operator=(const TZeroedArray&) = delete;
    T& operator[](std::size_t i) { return items_[i]; }
    const T& operator[](std::size_t i) const { return items_[i]; }
    std::size_t size() const { return count_; }

private:
    T* items_ = nullptr;
    std::size_t count_ = 0;
};

// The chosen footprint's key under the rule: its angle (nadir), else its value.
inline float KeyOf(TCompositeRule rule, float value, float angle)
{
    return rule == TCompositeRule::Nadir ? angle : value;
}

// The footprint whose strokes a caller is adding to a pixel composite (TPixelComposite::
// SetFootprint): each caller drawing at once has its own.
struct TPixelPen {
    std::int64_t Time = 0;
    std::uint32_t Order = 0;
    TColour Colour = 0;
    float Key = 0;
    std::int64_t Sum = 0;
    std::uint32_t Stamp = 0;
};

// Per pixel of a picture. Strokes of the footprints' pens arrive as runs of pixels (rows and
// their first and last columns, all on the bitmap); each run carries the footprint it paints.
// Callers may add runs at once as long as no two of them add to the same row.
//
// By the latest rule, a caller that adds the footprints from the highest rank down (each ranked
// at most as high as every one before it, as when passes and lines in time order are added
// from the last back) may say so (rankOrdered): the first footprint to reach a pixel is then
// its chosen one, the pixel keeps only its colour (4 bytes instead of 16) and a bit telling it
// was reached, and a footprint whose stroke reaches only pixels already reached (Reached)
// need not be added at all. A footprint out of that order must not be added to such a
// composite.
class TPixelComposite {
public:
    TPixelComposite(TCompositeRule rule, int width, int height, bool rankOrdered = false);

    TCompositeRule Rule() const { return rule_; }
    bool RankOrdered() const { return rankOrdered_; }
    // Rank ordered: whether every pixel of the rectangle (columns left to right, rows top to
    // bottom, inclusive) that lies on the picture was reached.
    bool Reached(int left, int top, int right, int bottom) const
    {
        left = std::max(left, 0);
        right = std::min(right, width_ - 1);
        top = std::max(top, 0);
        bottom = std::min(bottom, height_ - 1);
        if (left > right || top > bottom)
            return true;
        if (std::endian::native == std::endian::little && right - left < 57) {
            // The bits of each row from left on, 8 bytes read at once (the rows' words are
            // laid out little-endian, and the array ends with a spare word).
            const std::uint64_t mask = ((std::uint64_t{2} << (right - left)) - 1) << (left & 7);
            const auto* bytes = reinterpret_cast<const unsigned char*>(&reached_[0]) +
                                static_cast<std::size_t>(left >> 3);
            for (int row = top; row <= bottom; ++row) {
                std::uint64_t bits = 0;
                std::memcpy(&bits, bytes + static_cast<std::size_t>(row) * wordsPerRow_ * 8, 8);
                if ((bits & mask) != mask)
                    return false;
            }
            return true;
        }
        for (int row = top; row <= bottom; ++row) {
            const std::uint64_t* bits = &reached_[static_cast<std::size_t>(row) * wordsPerRow_];
            for (int x = left; x <= right; x = (x | 63) + 1) {
                const int n = std::min(right, x | 63) - x + 1; // within x's word
                const std::uint64_t mask =
                    (n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1) << (x & 63);
                if ((bits[x >> 6] & mask) != mask)
                    return false;
            }
        }
        return true;
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Makes the pen the footprint's.
    void SetFootprint(TPixelPen& pen, const TCompositeFootprint& footprint) const
    {
        if (rule_ == TCompositeRule::Mean) {
            pen.Sum = SumUnits(footprint.Value);
            // 0 stands for no footprint yet; after 2^32 - 1 footprints the stamps start again,
            // and a pixel reached by footprints that far apart is no longer told apart.
            if (++pen.Stamp == 0)
                pen.Stamp = 1;
            return;
        }
        pen.Time = std::max<std::int64_t>(footprint.Time, 0);
        pen.Order = footprint.Order;
        pen.Colour = (footprint.Colour & 0xFFFFFF) | FilledBit;
        pen.Key = KeyOf(rule_, footprint.Value, footprint.Angle);
    }
    // Adds runs (anything with Row, First and Last) of the pen's footprint.
    template <typename Run> void AddRuns(TPixelPen& pen, const Run* runs, int count)
    {
        switch (rule_) {
        case TCompositeRule::Latest:
            if (rankOrdered_) {
                for (int i = 0; i < count; ++i)
                    AddFirst(pen, runs[i].Row, runs[i].First, runs[i].Last);
                break;
            }
            for (int i = 0; i < count; ++i)
                AddLatest(pen, runs[i].Row, runs[i].First, runs[i].Last);
            break;
        case TCompositeRule::Mean:
            for (int i = 0; i < count; ++i)
                AddMean(pen, runs[i].Row, runs[i].First, runs[i].Last);
            break;
        case TCompositeRule::Nadir:
        case TCompositeRule::Min:
            for (int i = 0; i < count; ++i)
                AddChosen<true>(pen, runs[i].Row, runs[i].First, runs[i].Last);
            break;
        case TCompositeRule::Max:
            for (int i = 0; i < count; ++i)
                AddChosen<false>(pen, runs[i].Row, runs[i].First, runs[i].Last);
            break;
        }
    }
    // Whether a pixel was reached, and its colour: the chosen footprint's, or for the mean the
    // colour `colourOf` gives the mean value.
    template <typename ColourOf> bool Colour(int x, int y, ColourOf colourOf, TColour& colour) const
    {
        const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                               static_cast<std::size_t>(x);
        switch (rule_) {
        case TCompositeRule::Mean: {
            const TMeanPixel& cell = mean_[at];
            if (cell.Count == 0)
                return false;
            colour = colourOf(
                static_cast<float>(static_cast<double>(cell.Sum) / SumUnitsPerKelvin / cell.Count));
            return true;
        }
        case TCompositeRule::Latest:
            colour = rankOrdered_ ? colour_[at] : latest_[at].Colour;
            break;
        case TCompositeRule::Nadir:
        case TCompositeRule::Min:
        case TCompositeRule::Max: colour = chosen_[at].Colour; break;
        }
        if ((colour & FilledBit) == 0)
            return false;
        colour &= ~FilledBit;
        return true;
    }

    // Paints the reached pixels of row y into a row of RGB bytes (red, green, blue), in the
    // colours Colour gives them; the others are left as they are.
    template <typename ColourOf> void PaintRow(int y, ColourOf colourOf, std::uint8_t* rgb) const
    {
        const auto paint = [rgb](int x, TColour colour) {
            rgb[3 * x] = static_cast<std::uint8_t>(RedOf(colour));
            rgb[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(colour));
            rgb[3 * x + 2] = static_cast<std::uint8_t>(BlueOf(colour));
        };
        if (rankOrdered_) {
            const TColour* row = &colour_[RowStart(y)];
            for (int x = 0; x < width_; ++x)
                if ((row[x] & FilledBit) != 0)
                    paint(x, row[x]);
            return;
        }
        for (int x = 0; x < width_; ++x) {
            TColour colour = 0;
            if (Colour(x, y, colourOf, colour))
                paint(x, colour);
        }
    }

private:
    // Set in a reached pixel's colour, whose top byte is otherwise 0.
    static constexpr TColour FilledBit = TColour{1} << 24;
    // Latest: the chosen footprint's rank. A pen's time is never below 0, so an empty pixel
    // (all 0) loses to any footprint.
    struct TLatestPixel {
        std::int64_t Time;
        std::uint32_t Order;
        TColour Colour;
    };
    static_assert(sizeof(TLatestPixel) == 16);
    // Nadir, min and max: Key is the chosen footprint's angle or value.
    struct TChosenPixel {
        std::int64_t Time;
        std::uint32_t Order;
        float Key;
        TColour Colour;
    };
    struct TMeanPixel {
        std::int64_t Sum;
        std::uint32_t Count;
        std::uint32_t Stamp; // the footprint that added to it last, so none adds twice
    };
    std::size_t RowStart(int row) const
    {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width_);
    }
    void AddLatest(const TPixelPen& pen, int row, int first, int last)
    {
        TLatestPixel* cell = &latest_[RowStart(row)];
        // Footprints come mostly in rank order: one ranked at least as high as anything the
        // row holds wins every pixel of the run without a look at them.
        TRank& highest = highest_[static_cast<std::size_t>(row)];
        if (pen.Time > highest.Time || (pen.Time == highest.Time && pen.Order >= highest.Order)) {
            highest = {pen.Time, pen.Order};
            // The pixel as one 16-byte word, stored whole.
            using TWord = long long __attribute__((vector_size(16)));
            const TLatestPixel chosen{pen.Time, pen.Order, pen.Colour};
            TWord word;
            std::memcpy(&word, &chosen, sizeof word);
            for (TLatestPixel *p = cell + first, *end = cell + last + 1; p < end; ++p)
                std::memcpy(p, &word, sizeof word);
            return;
        }
        for (int x = first; x <= last; ++x) {
            TLatestPixel& c = cell[x];
            if (pen.Time > c.Time || (pen.Time == c.Time && pen.Order >= c.Order))
                c = TLatestPixel{pen.Time, pen.Order, pen.Colour};
        }
    }
    void AddFirst(const TPixelPen& pen, int row, int first, int last)
    {
        TColour* cell = &colour_[RowStart(row)];
        std::uint64_t* bits = &reached_[static_cast<std::size_t>(row) * wordsPerRow_];
        for (int x = first; x <= last; x = (x | 63) + 1) {
            const int n = std::min(last, x | 63) - x + 1; // within x's word
            const std::uint64_t mask = (n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1)
                                       << (x & 63);
            std::uint64_t& word = bits[x >> 6];
            std::uint64_t fresh = mask & ~word;
            word |= mask;
            const int base = x & ~63;
            for (; fresh != 0; fresh &= fresh - 1)
                cell[base + std::countr_zero(fresh)] = pen.Colour;
        }
    }
    template <bool Smaller> void AddChosen(const TPixelPen& pen, int row, int first, int last)
    {
        TChosenPixel* cell = &chosen_[RowStart(row)];
        for (int x = first; x <= last; ++x) {
            TChosenPixel& c = cell[x];
            const bool wins =
                c.Colour == 0 || (pen.Key != c.Key ? (Smaller ? pen.Key < c.Key : pen.Key > c.Key)
                                  : pen.Time != c.Time ? pen.Time > c.Time
                                                       : pen.Order >= c.Order);
            if (wins)
                c = TChosenPixel{pen.Time, pen.Order, pen.Key, pen.Colour};
        }
    }
    void AddMean(const TPixelPen& pen, int row, int first, int last)
    {
        TMeanPixel* cell = &mean_[RowStart(row)];
        for (int x = first; x <= last; ++x) {
            TMeanPixel& c = cell[x];
            if (c.Stamp == pen.Stamp)
                continue;
            c.Stamp = pen.Stamp;
            AddToSum(c.Sum, pen.Sum);
            ++c.Count;
        }
    }

    TCompositeRule rule_;
    bool rankOrdered_;
    int width_, height_;
    TZeroedArray<TColour> colour_; // latest, rank ordered: the colour with FilledBit
    // Latest, rank ordered: a bit per pixel, by rows of whole words, and a spare word.
    TZeroedArray<std::uint64_t> reached_;
    std::size_t wordsPerRow_ = 0;
    TZeroedArray<TLatestPixel> latest_; // latest
    // Latest: per row, the highest rank any of its pixels holds.
    struct TRank {
        std::int64_t Time;
        std::uint32_t Order;
    };
    std::vector<TRank> highest_;
    TZeroedArray<TChosenPixel> chosen_; // nadir, min, max
    TZeroedArray<TMeanPixel> mean_;     // mean
};

// Per cell of a regular latitude-longitude grid of `step` degrees. Row i holds the latitudes
// -90 + i step <= lat < -90 + (i + 1) step, the top row also 90; column j the longitudes,
// taken into [-180, 180), -180 + j step <= lon < -180 + (j + 1) step.
struct TGridCell {
    std::int64_t Sum = 0;     // the mean: the values' sum, SumUnits
    std::int64_t TimeSum = 0; // the mean: the times' sum, ms
    TChosen Chosen;           // Count: footprints in the cell; the rest for the choosing rules
};
class TGridComposite {
public:
    // The steps a grid may have: from MinGridStep to 90 degrees.
    static constexpr double MinGridStep = 0.1;
    TGridComposite(TCompositeRule rule, double step);

    TCompositeRule Rule() const { return rule_; }
    double Step() const { return step_; }
    int Rows() const { return rows_; }
    int Columns() const { return columns_; }
    // Whole cells in 180 and 360 degrees; a step that divides them to within rounding gives
    // exactly that many.
    static int CellsIn(double extent, double step)
    {
        const double cells = extent / step;
        const double whole = std::round(cells);
        return static_cast<int>(std::fabs(cells - whole) < 1e-9 * whole ? whole : std::ceil(cells));
    }
    static int RowsFor(double step) { return CellsIn(180.0, step); }
    static int ColumnsFor(double step) { return CellsIn(360.0, step); }
    // The cell of a place; false for a latitude outside [-90, 90] or a place not a number.
    bool CellOf(double latitude, double longitude, int& row, int& column) const;
    // The row of a latitude, -1 for one outside [-90, 90] or not a number; the column of a
    // longitude, -1 for one not finite.
    int RowOf(double latitude) const;
    int ColumnOf(double longitude) const;
    // Adds a footprint at its place; false when the place is in no cell.
    bool Add(float latitude, float longitude, const TCompositeFootprint& footprint);
    // Adds a footprint to a cell.
    void AddAt(int row, int column, const TCompositeFootprint& footprint);
    // Adds a cell's worth (of a grid read back) to a cell.
    void AddCell(int row, int column, const TGridCell& cell);
    void Merge(const TGridComposite& other);

    const TGridCell& Cell(int row, int column) const
    {
        return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                      static_cast<std::size_t>(column)];
    }
    // The value a cell shows (its mean, or the chosen footprint's) and its time in ms (the
    // mean time for the mean); false for an empty cell.
    bool ValueOf(int row, int column, float& value, double& timeMs) const;
    // Centres of the rows and columns, degrees.
    double Latitude(int row) const { return -90.0 + (row + 0.5) * step_; }
    double Longitude(int column) const { return -180.0 + (column + 0.5) * step_; }
    std::uint64_t Footprints() const;

private:
    TGridCell& At(int row, int column)
    {
        return cells_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                      static_cast<std::size_t>(column)];
    }
    TCompositeRule rule_;
    double step_;
    int rows_, columns_;
    TZeroedArray<TGridCell> cells_;
};

} // namespace veltra
