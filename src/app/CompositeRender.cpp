#include "app/CompositeRender.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
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

// A footprint of a pass as its decoding left it, for the accumulators: where it is, what it
// shows, and how the pen reached it.
struct TRecordedFootprint {
    float Latitude, Longitude;
    float Value; // the temperature, or the visible channel's value
    TColour Colour;
    std::int32_t X, Y;
    std::uint32_t Line; // in the recording's lines
    std::uint16_t Footprint;
    std::uint8_t Flags;
};
enum : std::uint8_t { FootprintOnMap = 1, FootprintPenDown = 2 };

struct TRecordedLine {
    std::int64_t Time; // ms since 1970: the line's, or the last one known before it
    TLineInstrument Instrument;
    int PenWidth;
};

// One pass decoded, to be added to the accumulators in time order.
struct TPassRecording {
    std::vector<TRecordedLine> Lines;
    std::vector<TRecordedFootprint> Footprints;
    void Clear()
    {
        Lines.clear();
        Footprints.clear();
    }
};

// The canvas a pass is decoded onto: it keeps the pen's width per line and whether the pen
// moved to or drew to each footprint.
class TRecordingCanvas : public TNullCanvas {
public:
    TRecordingCanvas(int width, int height) : TNullCanvas(width, height) {}
    TPassRecording* Recording = nullptr;
    void SetPenWidth(int width) override
    {
        if (Recording != nullptr && width > 1 && !Recording->Lines.empty())
            Recording->Lines.back().PenWidth = std::min(width, MaxPenWidth);
    }
    void MoveTo(int, int) override {}
    void LineTo(int, int) override
    {
        if (Recording != nullptr && !Recording->Footprints.empty())
            Recording->Footprints.back().Flags |= FootprintPenDown;
    }
};

// What the decoding pass of one input sees of the window. In a census it counts each line's
// valid footprints; in a composite it records every footprint for the accumulators.
class TPassHost : public TDecodeHost {
public:
    TPassHost(const TCompositeSettings& settings, const TCompositeInput& input, TCanvas& canvas,
              const TProjector& projection, TCompositePass& pass)
        : settings_(settings), input_(input), canvas_(canvas), projection_(projection), pass_(pass),
          scale_(settings.Palette, settings.MinTemp, settings.MaxTemp)
    {
    }

    // A census: the lines and their valid footprints.
    std::vector<TLineCount>* Census = nullptr;
    // A composite: where the footprints go, and the lines left out.
    TPassRecording* Recording = nullptr;
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
    TColour ColourForTemperature(float temperature) override
    {
        // Temperatures come in steps (hundredths of a kelvin, or the calibration's), so a few
        // thousand of them recur: their colours are kept by the value's bits.
        std::uint32_t bits = 0;
        std::memcpy(&bits, &temperature, sizeof bits);
        TKnownColour& known = known_[(bits ^ (bits >> 13)) % KnownColours];
        if (!known.Set || known.Bits != bits) {
            known = {bits, scale_.Colour(temperature), true};
        }
        return known.Colour;
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
        const bool onMap = place.OnMap;
        // Composited: into the grid when there is one (every footprint with a value), else
        // into the picture.
        if (settings_.GridStep > 0 ? std::isfinite(value) : onMap)
            ++pass_.Footprints;
        Recording->Footprints.push_back({place.Latitude, place.Longitude, value, colour,
                                         onMap ? place.X : 0, onMap ? place.Y : 0,
                                         static_cast<std::uint32_t>(Recording->Lines.size() - 1),
                                         static_cast<std::uint16_t>(place.Footprint),
                                         static_cast<std::uint8_t>(onMap ? FootprintOnMap : 0)});
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
    TColourScale scale_; // the picture's palette and range
    struct TKnownColour {
        std::uint32_t Bits;
        TColour Colour;
        bool Set;
    };
    static constexpr std::size_t KnownColours = 8191;
    std::vector<TKnownColour> known_ = std::vector<TKnownColour>(KnownColours);
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

// Runs fn(0) to fn(count - 1), each on a thread of its own (the first on the caller's), and
// raises the first failure once all are done.
template <typename Fn> void OnThreads(int count, Fn fn)
{
    std::mutex failureMutex;
    std::exception_ptr failure;
    auto guarded = [&](int t) {
        try {
            fn(t);
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
        }
    };
    std::vector<std::thread> pool;
    for (int t = 1; t < count; ++t)
        pool.emplace_back(guarded, t);
    guarded(0);
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);
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
    TBandDrawer(TPixelComposite& pixels, TGridComposite* grid, std::pair<int, int> rows,
                std::pair<int, int> gridRows, bool visible)
        : pixels_(pixels), grid_(grid),
          canvas_({rows.first, rows.second}, pixels.Width(), pixels.Height()), rows_(rows),
          gridRows_(gridRows), visible_(visible)
    {
        canvas_.SetRunSink(this);
    }

    void Runs(const TPixelRun* runs, int count) override { pixels_.AddRuns(pen_, runs, count); }

    void Add(const TPassRecording& recording, std::uint32_t passOrder)
    {
        const bool nadir = pixels_.Rule() == TCompositeRule::Nadir;
        const auto footprintOf = [&](const TRecordedFootprint& f, bool angle) {
            const TRecordedLine& line = recording.Lines[f.Line];
            TCompositeFootprint footprint;
            footprint.Value = f.Value;
            footprint.Time = line.Time;
            footprint.Order = FootprintOrder(passOrder, f.Footprint);
            footprint.Colour = f.Colour;
            if (angle)
                footprint.Angle = std::fabs(ScanAngle(line.Instrument, f.Footprint));
            return footprint;
        };
        const bool latest = pixels_.Rule() == TCompositeRule::Latest;
        const std::vector<TRecordedFootprint>& footprints = recording.Footprints;
        int penWidth = -1, previousY = 0;
        for (std::size_t i = 0; i < footprints.size(); ++i) {
            const TRecordedFootprint& f = footprints[i];
            if (grid_ != nullptr && std::isfinite(f.Value)) {
                const int row = grid_->RowOf(f.Latitude);
                if (row >= gridRows_.first && row <= gridRows_.second) {
                    const int column = grid_->ColumnOf(f.Longitude);
                    if (column >= 0)
                        grid_->AddAt(row, column, footprintOf(f, true));
                }
            }
            if ((f.Flags & FootprintOnMap) == 0)
                continue;
            // A stroke reaches at most its pen's width (5 pixels here) beyond its ends' rows:
            // one that misses the band only moves the pen.
            constexpr int Margin = 2 * MaxPenWidth;
            if ((f.Flags & FootprintPenDown) == 0 ||
                std::max(previousY, f.Y) + Margin < rows_.first ||
                std::min(previousY, f.Y) - Margin > rows_.second) {
                canvas_.MoveTo(f.X, f.Y);
                previousY = f.Y;
                continue;
            }
            previousY = f.Y;
            const int width = recording.Lines[f.Line].PenWidth;
            if (latest && DotCoveredByNext(recording, passOrder, i, width))
                continue;
            if (width != penWidth) {
                penWidth = width;
                canvas_.SetPenWidth(penWidth);
            }
            TCompositeFootprint footprint = footprintOf(f, nadir);
            // The visible channel's mean is the mean of the grey levels drawn.
            if (visible_)
                footprint.Value = static_cast<float>(RedOf(f.Colour));
            pixels_.SetFootprint(pen_, footprint);
            canvas_.LineTo(f.X, f.Y);
        }
    }

private:
    // Whether footprint i's stroke, drawn with a pen of the given width, is a dot (the pen has
    // not moved) that the next stroke paints over whole: under the latest rule such a stroke
    // changes nothing, and at a scale where footprints share pixels many are. The next stroke
    // must start at the dot (the next footprint on the map, pen down), be drawn in the band
    // with the same round pen, and rank at least as high, so that it wins every pixel the dot
    // would win; a round pen's stroke holds the disc at each end, and a dot on the bitmap is
    // not clipped.
    bool DotCoveredByNext(const TPassRecording& recording, std::uint32_t passOrder, std::size_t i,
                          int width) const
    {
        const TRecordedFootprint& f = recording.Footprints[i];
        const TPoint at = canvas_.PenPos();
        if (width < 2 || at.X != f.X || at.Y != f.Y || f.X < 0 || f.Y < 0 ||
            f.X >= pixels_.Width() || f.Y >= pixels_.Height())
            return false;
        for (std::size_t j = i + 1; j < recording.Footprints.size(); ++j) {
            const TRecordedFootprint& next = recording.Footprints[j];
            if ((next.Flags & FootprintOnMap) == 0)
                continue;
            constexpr int Margin = 2 * MaxPenWidth;
            if ((next.Flags & FootprintPenDown) == 0 ||
                std::max(f.Y, next.Y) + Margin < rows_.first ||
                std::min(f.Y, next.Y) - Margin > rows_.second ||
                recording.Lines[next.Line].PenWidth != width)
                return false;
            const std::int64_t time = std::max<std::int64_t>(recording.Lines[f.Line].Time, 0);
            const std::int64_t nextTime =
                std::max<std::int64_t>(recording.Lines[next.Line].Time, 0);
            return nextTime != time ? nextTime > time
                                    : FootprintOrder(passOrder, next.Footprint) >=
                                          FootprintOrder(passOrder, f.Footprint);
        }
        return false;
    }

    TPixelComposite& pixels_;
    TGridComposite* grid_;
    TRasterCanvas canvas_;
    std::pair<int, int> rows_, gridRows_;
    bool visible_;
    TPixelPen pen_;
};

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

    result.Pixels =
        std::make_unique<TPixelComposite>(settings.Rule, settings.Width, settings.Height);
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

    // Passes are decoded a few at once, one a thread, each into a recording of its own; then
    // the recordings are added in time order to the accumulators, each thread taking a band of
    // rows. So only the passes being decoded are held, whatever the number of passes.
    const int jobs = std::clamp(settings.Jobs, 1, 64);
    const bool visible = settings.SensorName == "HIRS" &&
                         std::atoi(settings.ChannelCaption.c_str()) == HirsVisibleChannel;
    std::vector<TPassRecording> recordings(static_cast<std::size_t>(jobs));
    std::vector<std::unique_ptr<TBandDrawer>> drawers;
    const int gridRows = result.Grid ? result.Grid->Rows() : 0;
    for (int t = 0; t < jobs; ++t)
        drawers.push_back(std::make_unique<TBandDrawer>(*result.Pixels, result.Grid.get(),
                                                        PartOf(settings.Height, t, jobs),
                                                        PartOf(gridRows, t, jobs), visible));
    for (std::size_t chunk = 0; chunk < passes.size(); chunk += static_cast<std::size_t>(jobs)) {
        const int count = static_cast<int>(
            std::min<std::size_t>(static_cast<std::size_t>(jobs), passes.size() - chunk));
        OnThreads(count, [&](int t) {
            const std::size_t k = passes[chunk + static_cast<std::size_t>(t)];
            const std::size_t i = result.TimeOrder[k];
            TPassRecording& recording = recordings[static_cast<std::size_t>(t)];
            recording.Clear();
            TRecordingCanvas canvas(settings.Width, settings.Height);
            canvas.Recording = &recording;
            TPassHost host(settings, inputs[i], canvas, *settings.Projection, result.Inputs[i]);
            host.Recording = &recording;
            host.LeftOut = &leftOut[i];
            result.Inputs[i].Outcome = DecodeStream(host, inputs[i].Stream);
        });
        OnThreads(jobs, [&](int t) {
            for (int r = 0; r < count; ++r)
                drawers[static_cast<std::size_t>(t)]->Add(
                    recordings[static_cast<std::size_t>(r)],
                    static_cast<std::uint32_t>(passes[chunk + static_cast<std::size_t>(r)]));
        });
    }

    for (const TCompositePass& pass : result.Inputs) {
        result.Footprints += pass.Footprints;
        if (pass.Outcome.LinesDecoded > 0 || (pass.IsGrid && pass.GridProblem.empty()))
            ++result.Passes;
    }
    return result;
}

} // namespace veltra
