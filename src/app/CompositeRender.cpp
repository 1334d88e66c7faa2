#include "app/CompositeRender.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "base/Canvas.h"
#include "base/Failure.h"
#include "base/Projector.h"
#include "formats/DecodeHost.h"
#include "formats/HirsLevel1b.h"
#include "formats/ScanLine.h"
#include "imaging/RasterCanvas.h"
#include "imaging/ThermalColour.h"

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;
// The widest pen the decoders draw footprints with (the map bitmap's rule: 5 pixels beyond 950
// pixels of width, else 3).
constexpr int MaxPenWidth = 5;

// A scan line as the census saw it: its time and how many of its footprints hold a value.
struct TLineCount {
    std::int32_t Record = 0;
    std::optional<std::int64_t> Time;
    int Valid = 0;
};

bool ValidValue(float value)
{
    return std::isfinite(value) && value > 0;
}

// A footprint's rank under the latest rule (and the last word of the others): its scan line's
// time, never below 0, then its order (FootprintOrder).
struct TRank {
    std::int64_t Time = 0;
    std::uint32_t Order = 0;
    bool operator<(const TRank& other) const
    {
        return Time != other.Time ? Time < other.Time : Order < other.Order;
    }
};

// The colour of a footprint that is coloured when it is drawn, from its temperature: only the
// footprints drawn are coloured (a colour has 24 bits).
constexpr TColour ColourLater = 0xFFFFFFFFu;

// A footprint's stroke as the decoding drew it: from the pen's place (the footprint before it
// on the map, in its line) to its own.
struct TStroke {
    std::int32_t X0, Y0, X1, Y1;
    float Value; // the temperature, or the visible channel's value
    TColour Colour;
    std::uint32_t Line; // in the recording's lines
    std::uint16_t Footprint;
};

// A footprint with a value, for the grid: its cell.
struct TCellEntry {
    std::int32_t Row, Column;
    float Value;
    TColour Colour;
    std::uint32_t Line;
    std::uint16_t Footprint;
};

struct TRecordedLine {
    std::int64_t Time; // ms since 1970: the line's, or the last one known before it
    TLineInstrument Instrument;
    int PenWidth;
};

// One pass decoded, to be added to the accumulators in time order: its strokes shared out
// between the bands of rows of the picture (a stroke near a band's edge in both), its
// footprints between those of the grid.
struct TPassRecording {
    std::vector<TRecordedLine> Lines;
    std::vector<std::vector<TStroke>> Strokes;
    std::vector<std::vector<TCellEntry>> Cells;
    std::uint32_t PassOrder = 0; // the pass's place in time order
    TRank RankOf(const TStroke& stroke) const
    {
        return {std::max<std::int64_t>(Lines[stroke.Line].Time, 0),
                FootprintOrder(PassOrder, stroke.Footprint)};
    }
    // Puts each band's strokes in rank order, those of equal rank as they were: drawn from the
    // last back, the first stroke to reach a pixel is the one the latest rule chooses. They
    // are mostly in that order already, with a few stretches out of it (scan lines whose time
    // goes back): each such stretch is merged into what comes before it.
    void SortByRank()
    {
        const auto below = [this](const TStroke& a, const TStroke& b) {
            return RankOf(a) < RankOf(b);
        };
        for (std::vector<TStroke>& strokes : Strokes) {
            std::vector<std::size_t> runs; // where the rank goes down
            for (std::size_t i = 1; i < strokes.size() && runs.size() <= MaxMergedRuns; ++i)
                if (below(strokes[i], strokes[i - 1]))
                    runs.push_back(i);
            if (runs.size() > MaxMergedRuns) {
                std::stable_sort(strokes.begin(), strokes.end(), below);
                continue;
            }
            runs.push_back(strokes.size());
            for (std::size_t r = 0; r + 1 < runs.size(); ++r) {
                // [0, runs[r]) is in order, and so is [runs[r], runs[r + 1]): only the strokes
                // of each ranked above the other's first and below its last move.
                const auto begin = strokes.begin(), middle = begin + runs[r];
                const auto first = std::upper_bound(begin, middle, *middle, below);
                const auto last =
                    std::lower_bound(middle, begin + runs[r + 1], *(middle - 1), below);
                std::inplace_merge(first, middle, last, below);
            }
        }
    }
    void Clear(std::size_t bands)
    {
        Lines.clear();
        Strokes.resize(bands);
        Cells.resize(bands);
        for (std::size_t b = 0; b < bands; ++b) {
            Strokes[b].clear();
            Cells[b].clear();
        }
    }

private:
    // More stretches out of order than this are sorted as a whole.
    static constexpr std::size_t MaxMergedRuns = 16;
};

// The bands of rows the picture and the grid are drawn in, one drawing thread at a time each.
struct TBands {
    std::vector<std::pair<int, int>> Rows, GridRows;
};

// A stroke reaches at most its pen's width (5 pixels here) beyond its ends' rows.
constexpr int StrokeMargin = 2 * MaxPenWidth;

// Makes the strokes of a pass from the pen's moves as its decoding makes them, and shares them
// and the footprints out between the bands.
//
// By the latest rule a footprint whose stroke is a dot (the pen has not moved) is left out when
// the next stroke paints over it whole: at a scale where footprints share pixels many do. The
// next stroke must start at the dot (the next footprint on the map, pen down), be drawn with
// the same round pen, and rank at least as high, so that it wins every pixel the dot would
// win; a round pen's stroke holds the disc at each end, and a dot on the bitmap is not clipped.
// That holds in every band alike: a band the dot reaches the next stroke reaches too.
class TStrokeRecorder {
public:
    TStrokeRecorder(TPassRecording& recording, const TBands& bands, const TGridComposite* grid,
                    bool skipDots, int width, int height)
        : recording_(recording), bands_(bands), grid_(grid), skipDots_(skipDots), width_(width),
          height_(height)
    {
    }

    // The footprint whose move comes next.
    void Footprint(const TFootprintPlace& place, float value, TColour colour)
    {
        const auto line = static_cast<std::uint32_t>(recording_.Lines.size() - 1);
        const auto footprint = static_cast<std::uint16_t>(place.Footprint);
        value_ = value;
        colour_ = colour;
        footprint_ = footprint;
        if (grid_ == nullptr || !std::isfinite(value))
            return;
        const int row = grid_->RowOf(place.Latitude);
        if (row < 0)
            return;
        const int column = grid_->ColumnOf(place.Longitude);
        if (column < 0)
            return;
        for (std::size_t b = 0; b < bands_.GridRows.size(); ++b)
            if (row >= bands_.GridRows[b].first && row <= bands_.GridRows[b].second) {
                recording_.Cells[b].push_back({row, column, value, colour, line, footprint});
                break;
            }
    }
    void MoveTo(int x, int y)
    {
        Flush();
        x_ = x;
        y_ = y;
    }
    void LineTo(int x, int y)
    {
        if (recording_.Lines.empty())
            return;
        const TStroke stroke{x_,
                             y_,
                             x,
                             y,
                             value_,
                             colour_,
                             static_cast<std::uint32_t>(recording_.Lines.size() - 1),
                             footprint_};
        if (pending_ && !(skipDots_ && CoveredBy(*pending_, stroke)))
            Emit(*pending_);
        pending_ = stroke;
        x_ = x;
        y_ = y;
    }
    void Flush()
    {
        if (pending_)
            Emit(*pending_);
        pending_.reset();
    }

private:
    // Whether a dot is painted over whole by the stroke after it (which starts where the dot
    // is).
    bool CoveredBy(const TStroke& dot, const TStroke& next) const
    {
        const int width = recording_.Lines[dot.Line].PenWidth;
        return dot.X0 == dot.X1 && dot.Y0 == dot.Y1 && width >= 2 && dot.X1 >= 0 && dot.Y1 >= 0 &&
               dot.X1 < width_ && dot.Y1 < height_ &&
               recording_.Lines[next.Line].PenWidth == width &&
               !(recording_.RankOf(next) < recording_.RankOf(dot));
    }
    void Emit(const TStroke& stroke)
    {
        const std::int64_t top = std::min(stroke.Y0, stroke.Y1) - std::int64_t{StrokeMargin};
        const std::int64_t bottom = std::max(stroke.Y0, stroke.Y1) + std::int64_t{StrokeMargin};
        for (std::size_t b = 0; b < bands_.Rows.size(); ++b)
            if (bottom >= bands_.Rows[b].first && top <= bands_.Rows[b].second)
                recording_.Strokes[b].push_back(stroke);
    }

    TPassRecording& recording_;
    const TBands& bands_;
    const TGridComposite* grid_;
    bool skipDots_;
    int width_, height_;
    float value_ = 0;
    TColour colour_ = 0;
    std::uint16_t footprint_ = 0;
    int x_ = 0, y_ = 0; // the pen
    std::optional<TStroke> pending_;
};

// The canvas a pass is decoded onto: it keeps the pen's width per line and hands the pen's
// moves to the stroke recorder.
class TRecordingCanvas : public TNullCanvas {
public:
    TRecordingCanvas(int width, int height, TPassRecording& recording, TStrokeRecorder& strokes)
        : TNullCanvas(width, height), recording_(recording), strokes_(strokes)
    {
    }
    void SetPenWidth(int width) override
    {
        if (width > 1 && !recording_.Lines.empty())
            recording_.Lines.back().PenWidth = std::min(width, MaxPenWidth);
    }
    void MoveTo(int x, int y) override { strokes_.MoveTo(x, y); }
    void LineTo(int x, int y) override { strokes_.LineTo(x, y); }

private:
    TPassRecording& recording_;
    TStrokeRecorder& strokes_;
};

// What the decoding pass of one input sees of the window. In a census it counts each line's
// valid footprints; in a composite it records every footprint for the accumulators.
class TPassHost : public TDecodeHost {
public:
    TPassHost(const TCompositeSettings& settings, const TCompositeInput& input, TCanvas& canvas,
              const TProjector& projection, TCompositePass& pass)
        : settings_(settings), input_(input), canvas_(canvas), projection_(projection), pass_(pass)
    {
    }

    // A census: the lines and their valid footprints.
    std::vector<TLineCount>* Census = nullptr;
    // A composite: where the footprints go, and the lines left out.
    TPassRecording* Recording = nullptr;
    TStrokeRecorder* Strokes = nullptr;
    const std::set<std::int32_t>* LeftOut = nullptr;

    std::string FileExt() const override { return input_.FileExt; }
    std::string SensorName() const override { return settings_.SensorName; }
    bool SelectedChannelCaption(std::string& caption) const override
    {
        caption = settings_.ChannelCaption;
        return !caption.empty();
    }
    std::string BaseCaption() const override { return settings_.BaseCaption; }
    bool UseHirsCountOffset() const override { return settings_.HirsCountOffset; }
    bool MaskFlaggedLines() const override { return settings_.MaskFlaggedLines; }
    TCanvas& MapCanvas() override { return canvas_; }
    const TProjector& Projection() const override { return projection_; }
    // Footprints are coloured when they are drawn (TBandDrawer), from their temperature.
    TColour ColourForTemperature(float temperature) override
    {
        asked_ = temperature;
        return ColourLater;
    }

    bool KeepLine(const TScanLineInfo& line) override
    {
        const std::optional<std::int64_t> time = line.Time;
        if ((settings_.From && (!time || *time < *settings_.From)) ||
            (settings_.To && (!time || *time >= *settings_.To)))
            return false;
        return LeftOut == nullptr || LeftOut->count(line.Record) == 0;
    }
    std::int32_t AddScanLine(const TScanLineInfo& line) override
    {
        if (line.Time)
            lineTime_ = *line.Time;
        if (Census != nullptr)
            Census->push_back({line.Record, line.Time, 0});
        if (Recording != nullptr) {
            Recording->Lines.push_back({lineTime_, line.Instrument, 1});
            pass_.FlaggedLines += LineFlagged(line) ? 1 : 0;
            pass_.MaskedLines += FootprintHidden(line, line.Channel) ? 1 : 0;
        }
        return -1;
    }
    void SetPassTimes(const TPassTimes& times) override
    {
        pass_.Times = times;
        lineTime_ = times.Start.value_or(0);
    }
    // The footprints come through FootprintDecoded.
    bool KeepsSamples() const override { return false; }
    bool WantsEveryFootprint() const override { return settings_.GridStep > 0; }
    void AddSample(float, float, float, TSampleOrigin) override {}
    void FootprintDecoded(const TFootprintPlace& place, float value, TColour colour) override
    {
        if (Census != nullptr) {
            if (!Census->empty() && ValidValue(value) && std::fabs(place.Latitude) <= 90.0f)
                ++Census->back().Valid;
            return;
        }
        if (Recording == nullptr || Recording->Lines.empty())
            return;
        // Composited: into the grid when there is one (every footprint with a value), else
        // into the picture.
        if (settings_.GridStep > 0 ? std::isfinite(value) : place.OnMap)
            ++pass_.Footprints;
        // A colour asked for another temperature than the footprint's (no decoder does so)
        // is made here.
        if (colour == ColourLater &&
            std::bit_cast<std::uint32_t>(value) != std::bit_cast<std::uint32_t>(asked_)) {
            TColourScale scale(settings_.Palette, settings_.MinTemp, settings_.MaxTemp);
            colour = scale.Colour(asked_);
        }
        Strokes->Footprint(place, value, colour);
    }
    std::int32_t SampleCount() const override
    {
        return static_cast<std::int32_t>(std::min<std::uint64_t>(pass_.Footprints, INT32_MAX));
    }

    std::uint8_t SensorCode() const override { return sensorCode_; }
    void SetSensorCode(std::uint8_t code) override { sensorCode_ = code; }
    std::string SatelliteName() const override { return pass_.Satellite; }
    void SetSatelliteName(const std::string& name) override { pass_.Satellite = name; }
    std::string ChannelCaption() const override { return pass_.ChannelCaption; }
    void SetChannelCaption(const std::string& caption) override { pass_.ChannelCaption = caption; }
    void SetChannelWavenumber(double wavenumber) override { pass_.ChannelWavenumber = wavenumber; }
    void SetArchiveSummary(const TArchiveSummary& summary) override
    {
        pass_.Archive = summary;
        pass_.HasArchive = true;
    }
    void SetSatelliteLabel(const std::string& caption) override { pass_.SatelliteLabel = caption; }
    void SetSatelliteLabelHint(const std::string& hint) override
    {
        pass_.SatelliteLabelHint = hint;
    }
    void SetHintHidePause(int) override {}
    void SetWindowCaption(const std::string& caption) override { pass_.WindowCaption = caption; }
    void SetSaveRawEnabled(bool) override {}
    std::vector<std::string>& DiagnosticLines() override
    {
        return Census != nullptr ? censusLines_ : pass_.DiagnosticLines;
    }

private:
    const TCompositeSettings& settings_;
    const TCompositeInput& input_;
    TCanvas& canvas_;
    const TProjector& projection_;
    TCompositePass& pass_;
    float asked_ = 0; // the temperature a colour was last asked for
    std::uint8_t sensorCode_ = 0;
    std::int64_t lineTime_ = 0;
    std::vector<std::string> censusLines_;
};

// Inputs of one satellite whose pass times overlap may hold the same scan lines (two stations
// recorded the same pass): each line time held more than once is kept in the copy with the
// most valid footprints (of equal ones, the earliest input in time order); the others are left
// out. Returns the lines left out of each input.
std::vector<std::set<std::int32_t>> FindDuplicates(const std::vector<TCompositeInput>& inputs,
                                                   const TCompositeSettings& settings,
                                                   TCompositeResult& result, int& duplicates)
{
    const std::size_t n = inputs.size();
    std::vector<std::set<std::int32_t>> leftOut(n);
    std::vector<bool> overlaps(n, false);
    const std::vector<std::size_t>& order = result.TimeOrder;
    for (std::size_t a = 0; a < order.size(); ++a)
        for (std::size_t b = a + 1; b < order.size(); ++b) {
            const TCompositePass& pa = result.Inputs[order[a]];
            const TCompositePass& pb = result.Inputs[order[b]];
            if (pa.IsGrid || pb.IsGrid || pa.Satellite != pb.Satellite || !pa.Times.Start ||
                !pa.Times.End || !pb.Times.Start || !pb.Times.End)
                continue;
            if (*pb.Times.Start <= *pa.Times.End && *pa.Times.Start <= *pb.Times.End)
                overlaps[order[a]] = overlaps[order[b]] = true;
        }
    // The census of every line of the inputs that overlap another.
    struct TCopy {
        std::size_t Rank; // place in time order
        std::size_t Input;
        std::int32_t Record;
        int Valid;
    };
    std::map<std::pair<std::string, std::int64_t>, std::vector<TCopy>> copies;
    TNullCanvas canvas;
    TPlaceEverywhere everywhere;
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        const std::size_t i = order[rank];
        if (!overlaps[i])
            continue;
        std::vector<TLineCount> lines;
        TCompositePass scratch;
        TPassHost host(settings, inputs[i], canvas, everywhere, scratch);
        host.Census = &lines;
        DecodeStream(host, inputs[i].Stream);
        for (const TLineCount& line : lines)
            if (line.Time)
                copies[{result.Inputs[i].Satellite, *line.Time}].push_back(
                    {rank, i, line.Record, line.Valid});
    }
    for (auto& [key, held] : copies) {
        if (held.size() < 2)
            continue;
        const auto best =
            std::max_element(held.begin(), held.end(), [](const TCopy& a, const TCopy& b) {
                return a.Valid != b.Valid ? a.Valid < b.Valid : a.Rank > b.Rank;
            });
        for (const TCopy& copy : held)
            if (&copy != &*best) {
                leftOut[copy.Input].insert(copy.Record);
                ++duplicates;
            }
    }
    return leftOut;
}

// Reads every input's headers (or tells a grid file) and puts the inputs in time order: by
// the pass's start, then as given. Grids come first, as they hold earlier days as a rule; the
// order decides only exact ties.
void ReadHeadersAndOrder(const std::vector<TCompositeInput>& inputs,
                         const TCompositeSettings& settings, TCompositeResult& result)
{
    TNullCanvas canvas;
    TPlaceEverywhere everywhere;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        TCompositePass& pass = result.Inputs[i];
        if (inputs[i].Stream != nullptr && LooksLikeGrid(*inputs[i].Stream)) {
            pass.IsGrid = true;
            continue;
        }
        TCompositePass scratch;
        TPassHost host(settings, inputs[i], canvas, everywhere, scratch);
        const TPassHeaders headers = ReadPassHeaders(host, inputs[i].Stream);
        pass.Satellite = headers.Satellite;
        pass.Times = headers.Times;
    }
    result.TimeOrder.resize(inputs.size());
    for (std::size_t i = 0; i < inputs.size(); ++i)
        result.TimeOrder[i] = i;
    std::stable_sort(
        result.TimeOrder.begin(), result.TimeOrder.end(), [&](std::size_t a, std::size_t b) {
            const TCompositePass& pa = result.Inputs[a];
            const TCompositePass& pb = result.Inputs[b];
            if (pa.IsGrid != pb.IsGrid)
                return pa.IsGrid;
            return pa.Times.Start.value_or(INT64_MIN) < pb.Times.Start.value_or(INT64_MIN);
        });
}

// The first and last of `count` items in part `part` of `parts` nearly equal parts.
std::pair<int, int> PartOf(int count, int part, int parts)
{
    const auto edge = [&](int p) {
        return static_cast<int>(static_cast<std::int64_t>(count) * p / parts);
    };
    return {edge(part), edge(part + 1) - 1};
}

// Adds the recorded passes, in time order, to one band of rows of the picture and of the
// grid: the same footprints in the same order reach every pixel and cell whatever the bands,
// so the outcome does not depend on how many there are.
class TBandDrawer : public TRunSink {
public:
    TBandDrawer(const TCompositeSettings& settings, TPixelComposite& pixels, TGridComposite* grid,
                std::pair<int, int> rows, bool visible)
        : pixels_(pixels), grid_(grid),
          canvas_({rows.first, rows.second}, pixels.Width(), pixels.Height()), rows_(rows),
          visible_(visible), scale_(settings.Palette, settings.MinTemp, settings.MaxTemp)
    {
        canvas_.SetRunSink(this);
    }

    void Runs(const TPixelRun* runs, int count) override { pixels_.AddRuns(pen_, runs, count); }

    // Adds the band's part of a pass; false, adding nothing, when the composite keeps its
    // pixels in rank order and the pass's strokes (put in rank order, SortByRank, and added
    // from the last back) do not all rank below those added before.
    bool Add(const TPassRecording& recording, std::size_t band)
    {
        const std::vector<TStroke>& strokes = recording.Strokes[band];
        if (pixels_.RankOrdered()) {
            if (strokes.empty())
                return true;
            if (added_ && least_ < recording.RankOf(strokes.back()))
                return false;
            least_ = recording.RankOf(strokes.front());
            added_ = true;
            for (auto stroke = strokes.rbegin(); stroke != strokes.rend(); ++stroke) {
                // A stroke reaches half its pen's width beyond its ends; one that can reach
                // only pixels reached before changes nothing.
                const int reach = recording.Lines[stroke->Line].PenWidth / 2;
                if (!pixels_.Reached(
                        Clamped(std::int64_t{std::min(stroke->X0, stroke->X1)} - reach),
                        Clamped(std::max<std::int64_t>(std::min(stroke->Y0, stroke->Y1) - reach,
                                                       rows_.first)),
                        Clamped(std::int64_t{std::max(stroke->X0, stroke->X1)} + reach),
                        Clamped(std::min<std::int64_t>(std::max(stroke->Y0, stroke->Y1) + reach,
                                                       rows_.second))))
                    Draw(recording, *stroke, false);
            }
            return true;
        }
        const bool nadir = pixels_.Rule() == TCompositeRule::Nadir;
        if (grid_ != nullptr)
            for (const TCellEntry& entry : recording.Cells[band])
                grid_->AddAt(entry.Row, entry.Column, FootprintOf(recording, entry, true));
        for (const TStroke& stroke : strokes)
            Draw(recording, stroke, nadir);
        return true;
    }

private:
    static int Clamped(std::int64_t value)
    {
        return static_cast<int>(std::clamp<std::int64_t>(value, INT_MIN, INT_MAX));
    }
    void Draw(const TPassRecording& recording, const TStroke& stroke, bool angle)
    {
        const TRecordedLine& line = recording.Lines[stroke.Line];
        if (line.PenWidth != penWidth_) {
            penWidth_ = line.PenWidth;
            canvas_.SetPenWidth(penWidth_);
        }
        TCompositeFootprint footprint = FootprintOf(recording, stroke, angle);
        // The visible channel's mean is the mean of the grey levels drawn.
        if (visible_)
            footprint.Value = static_cast<float>(RedOf(footprint.Colour));
        pixels_.SetFootprint(pen_, footprint);
        canvas_.MoveTo(stroke.X0, stroke.Y0);
        canvas_.LineTo(stroke.X1, stroke.Y1);
    }
    template <typename Entry>
    TCompositeFootprint FootprintOf(const TPassRecording& recording, const Entry& f, bool angle)
    {
        const TRecordedLine& line = recording.Lines[f.Line];
        TCompositeFootprint footprint;
        footprint.Value = f.Value;
        footprint.Time = line.Time;
        footprint.Order = FootprintOrder(recording.PassOrder, f.Footprint);
        footprint.Colour = f.Colour == ColourLater ? ColourOf(f.Value) : f.Colour;
        if (angle)
            footprint.Angle = std::fabs(ScanAngle(line.Instrument, f.Footprint));
        return footprint;
    }

private:
    // Temperatures come in steps (hundredths of a kelvin, or the calibration's), so a few
    // thousand of them recur: their colours are kept by the value's bits, from pass to pass.
    TColour ColourOf(float temperature)
    {
        const auto bits = std::bit_cast<std::uint32_t>(temperature);
        TKnownColour& known = known_[(bits ^ (bits >> 13)) % KnownColours];
        if (!known.Set || known.Bits != bits)
            known = {bits, scale_.Colour(temperature), true};
        return known.Colour;
    }

    TPixelComposite& pixels_;
    TGridComposite* grid_;
    TRasterCanvas canvas_;
    std::pair<int, int> rows_;
    bool visible_;
    TPixelPen pen_;
    int penWidth_ = -1;
    // The lowest rank added, for a composite kept in rank order.
    TRank least_;
    bool added_ = false;
    TColourScale scale_; // the picture's palette and range
    struct TKnownColour {
        std::uint32_t Bits;
        TColour Colour;
        bool Set;
    };
    static constexpr std::size_t KnownColours = 8191;
    std::vector<TKnownColour> known_ = std::vector<TKnownColour>(KnownColours);
};

// Decodes the passes (places in time order) and adds them to the accumulators on `jobs`
// threads: a pass is decoded by one thread into a recording of its own (a few are held at
// once, whatever the number of passes), and each band of rows is drawn by one thread at a
// time, pass after pass in time order (from the last back when the pixels are kept in rank
// order). Threads take whatever is ready, drawing first, so that decoding and drawing overlap
// without waiting for each other. False when the composite keeps its pixels in rank order and
// a pass's strokes did not all rank below those of the passes after it (the composite is then
// unfinished).
bool CompositePasses(const std::vector<TCompositeInput>& inputs, const TCompositeSettings& settings,
                     TCompositeResult& result, const std::vector<std::size_t>& passes,
                     const std::vector<std::set<std::int32_t>>& leftOut, int jobs)
{
    const std::size_t count = passes.size();
    if (count == 0)
        return true;
    const std::size_t bands = static_cast<std::size_t>(jobs);
    const bool visible = settings.SensorName == "HIRS" &&
                         std::atoi(settings.ChannelCaption.c_str()) == HirsVisibleChannel;
    TBands geometry;
    const int gridRows = result.Grid ? result.Grid->Rows() : 0;
    std::vector<std::unique_ptr<TBandDrawer>> drawers;
    for (int b = 0; b < jobs; ++b) {
        geometry.Rows.push_back(PartOf(settings.Height, b, jobs));
        geometry.GridRows.push_back(PartOf(gridRows, b, jobs));
        drawers.push_back(std::make_unique<TBandDrawer>(settings, *result.Pixels, result.Grid.get(),
                                                        geometry.Rows.back(), visible));
    }
    const std::size_t slots = std::min(count, bands);
    std::vector<TPassRecording> recordings(slots);

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::size_t> freeSlots, slotOf(count), toDraw(slots, 0), nextOf(bands, 0);
    for (std::size_t s = slots; s-- > 0;)
        freeSlots.push_back(s);
    std::vector<bool> decoded(count, false), busy(bands, false);
    std::size_t nextDecode = 0;
    bool stop = false, outOfOrder = false;
    std::exception_ptr failure;

    // Kept in rank order, the passes are added from the last back.
    const bool backwards = result.Pixels->RankOrdered();
    const auto decode = [&](std::size_t p, TPassRecording& recording) {
        const std::size_t k = passes[backwards ? count - 1 - p : p];
        const std::size_t i = result.TimeOrder[k];
        recording.Clear(bands);
        recording.PassOrder = static_cast<std::uint32_t>(k);
        // Room for the pass's strokes at once (a stroke for some 40 bytes of the file, up to
        // a limit), which costs no memory until written and spares the copies of growing.
        if (TStream* stream = inputs[i].Stream) {
            const std::int64_t position = stream->Position();
            const std::int64_t size = stream->Seek(0, TSeekOrigin::End);
            stream->Seek(position, TSeekOrigin::Beginning);
            const auto strokes = static_cast<std::size_t>(
                std::clamp<std::int64_t>(size / 40 / static_cast<std::int64_t>(bands), 0, 1 << 20));
            for (std::vector<TStroke>& band : recording.Strokes)
                band.reserve(strokes);
        }
        TStrokeRecorder strokes(recording, geometry, result.Grid.get(),
                                settings.Rule == TCompositeRule::Latest, settings.Width,
                                settings.Height);
        TRecordingCanvas canvas(settings.Width, settings.Height, recording, strokes);
        TPassHost host(settings, inputs[i], canvas, *settings.Projection, result.Inputs[i]);
        host.Recording = &recording;
        host.Strokes = &strokes;
        host.LeftOut = &leftOut[i];
        result.Inputs[i].Outcome = DecodeStream(host, inputs[i].Stream);
        strokes.Flush();
        if (result.Pixels->RankOrdered())
            recording.SortByRank();
    };
    const auto work = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (stop)
                return;
            std::size_t band = bands;
            for (std::size_t b = 0; b < bands && band == bands; ++b)
                if (!busy[b] && nextOf[b] < count && decoded[nextOf[b]])
                    band = b;
            try {
                if (band < bands) {
                    busy[band] = true;
                    const std::size_t p = nextOf[band], slot = slotOf[p];
                    lock.unlock();
                    bool added = false;
                    try {
                        added = drawers[band]->Add(recordings[slot], band);
                    } catch (...) {
                        lock.lock();
                        throw;
                    }
                    lock.lock();
                    busy[band] = false;
                    ++nextOf[band];
                    if (!added)
                        stop = outOfOrder = true;
                    if (--toDraw[slot] == 0)
                        freeSlots.push_back(slot);
                } else if (nextDecode < count && !freeSlots.empty()) {
                    const std::size_t p = nextDecode++, slot = freeSlots.back();
                    freeSlots.pop_back();
                    lock.unlock();
                    try {
                        decode(p, recordings[slot]);
                    } catch (...) {
                        lock.lock();
                        throw;
                    }
                    lock.lock();
                    slotOf[p] = slot;
                    toDraw[slot] = bands;
                    decoded[p] = true;
                } else if (std::all_of(nextOf.begin(), nextOf.end(),
                                       [&](std::size_t next) { return next == count; })) {
                    changed.notify_all();
                    return;
                } else {
                    changed.wait(lock);
                    continue;
                }
            } catch (...) {
                if (!failure)
                    failure = std::current_exception();
                stop = true;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < jobs; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
    return !outOfOrder;
}

} // namespace

bool LooksLikeGrid(TStream& stream)
{
    static constexpr std::uint8_t Hdf5Signature[8] = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1a, '\n'};
    std::uint8_t start[8] = {};
    try {
        stream.Seek(0, TSeekOrigin::Beginning);
        const bool grid = stream.Read(start, 8) == 8 && std::memcmp(start, Hdf5Signature, 8) == 0;
        stream.Seek(0, TSeekOrigin::Beginning);
        return grid;
    } catch (...) {
        CaughtFailure();
        return false;
    }
}

TCompositeResult RenderComposite(const std::vector<TCompositeInput>& inputs,
                                 const TCompositeSettings& settings)
{
    TCompositeResult result;
    result.Inputs.resize(inputs.size());
    ReadHeadersAndOrder(inputs, settings, result);
    const std::vector<std::set<std::int32_t>> leftOut =
        FindDuplicates(inputs, settings, result, result.DuplicateLines);

    // Pixels kept in rank order (below) go with no grid, which a second start would fill twice.
    result.Pixels = std::make_unique<TPixelComposite>(settings.Rule, settings.Width,
                                                      settings.Height, settings.GridStep <= 0);
    if (settings.GridStep > 0)
        result.Grid = std::make_unique<TGridComposite>(settings.Rule, settings.GridStep);
    // Grid files first, as they come first in time order.
    std::vector<std::size_t> passes; // places in time order
    for (std::size_t k = 0; k < result.TimeOrder.size(); ++k) {
        const std::size_t i = result.TimeOrder[k];
        TCompositePass& pass = result.Inputs[i];
        if (!pass.IsGrid) {
            passes.push_back(k);
            continue;
        }
        if (result.Grid && settings.ReadGrid) {
            const std::uint64_t before = result.Grid->Footprints();
            if (!settings.ReadGrid(*inputs[i].Stream, *result.Grid, pass.GridProblem))
                pass.Outcome = {TStreamEnd::NotDecoded, 0, 0, pass.GridProblem};
            pass.Footprints = result.Grid->Footprints() - before;
        } else {
            pass.GridProblem = "a grid is composited only into a grid (--netcdf)";
            pass.Outcome = {TStreamEnd::NotDecoded, 0, 0, pass.GridProblem};
        }
    }

    // By the latest rule the pixels keep only their colour while each pass's strokes, put in
    // rank order, rank below those of the passes after it, as when the passes are in time
    // order; passes whose times interleave have the composite made again, keeping every
    // pixel's rank.
    const int jobs = std::clamp(settings.Jobs, 1, 64);
    const std::vector<TCompositePass> decodedNothing = result.Inputs;
    if (!CompositePasses(inputs, settings, result, passes, leftOut, jobs)) {
        result.Inputs = decodedNothing;
        result.Pixels.reset();
        result.Pixels =
            std::make_unique<TPixelComposite>(settings.Rule, settings.Width, settings.Height);
        CompositePasses(inputs, settings, result, passes, leftOut, jobs);
    }

    for (const TCompositePass& pass : result.Inputs) {
        result.Footprints += pass.Footprints;
        if (pass.Outcome.LinesDecoded > 0 || (pass.IsGrid && pass.GridProblem.empty()))
            ++result.Passes;
    }
    return result;
}

} // namespace veltra
