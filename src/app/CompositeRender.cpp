#include "app/CompositeRender.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "base/Failure.h"
#include "formats/DecodeHost.h"
#include "formats/HirsLevel1b.h"
#include "imaging/RasterCanvas.h"
#include "imaging/ThermalColour.h"

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;

// A canvas that draws nothing: the census of scan lines only counts.
class TNullCanvas : public TCanvas {
public:
    int Width() const override { return 0; }
    int Height() const override { return 0; }
    TColour PenColour() const override { return 0; }
    void SetPenColour(TColour) override {}
    int PenWidth() const override { return 1; }
    void SetPenWidth(int) override {}
    TPenStyle PenStyle() const override { return TPenStyle::Solid; }
    void SetPenStyle(TPenStyle) override {}
    void MoveTo(int, int) override {}
    void LineTo(int, int) override {}
    void Polyline(const TPoint*, int) override {}
    void FillRect(int, int, int, int, TColour) override {}
    void FrameRect(int, int, int, int) override {}
    TFont Font() const override { return {}; }
    void SetFont(const TFont&) override {}
    int TextWidth(const std::string&) override { return 0; }
    int TextHeight(const std::string&) override { return 0; }
    void TextOut(int, int, const std::string&) override {}
    TColour Pixel(int, int) const override { return 0; }
};

// Places every footprint, so the census sees all of them.
class TPlaceEverything : public TProjector {
public:
    bool LatLonToXY(float, float, std::int32_t& x, std::int32_t& y) const override
    {
        x = y = 0;
        return true;
    }
    std::int32_t GetWidth() const override { return 1; }
    std::int32_t GetHeight() const override { return 1; }
    std::uint8_t ProjectionKind() const override { return 1; }
};

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

// What the decoding pass of one input sees of the window. In a census it counts each line's
// valid footprints; in a composite it hands every footprint to the accumulators, the strokes
// of its pen arriving through the canvas as runs of pixels.
class TPassHost : public TDecodeHost, public TRunSink {
public:
    TPassHost(const TCompositeSettings& settings, const TCompositeInput& input, TCanvas& canvas,
              const TProjector& projection, TCompositePass& pass)
        : settings_(settings), input_(input), canvas_(canvas), projection_(projection), pass_(pass)
    {
        std::string caption = settings.ChannelCaption;
        visible_ =
            settings.SensorName == "HIRS" && std::atoi(caption.c_str()) == HirsVisibleChannel;
    }

    // A census: the lines and their valid footprints.
    std::vector<TLineCount>* Census = nullptr;
    // A composite: the accumulators, the pass's place in time order and the lines left out.
    TPixelComposite* Pixels = nullptr;
    TGridComposite* Grid = nullptr;
    std::uint32_t PassOrder = 0;
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
    TCanvas& MapCanvas() override { return canvas_; }
    const TProjector& Projection() const override { return projection_; }
    TColour ColourForTemperature(float temperature) override
    {
        return ramp_.Colour(temperature, settings_.MinTemp, settings_.MaxTemp);
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
        lineInstrument_ = line.Instrument;
        if (line.Time)
            lineTime_ = *line.Time;
        if (Census != nullptr)
            Census->push_back({line.Record, line.Time, 0});
        return -1;
    }
    void SetPassTimes(const TPassTimes& times) override
    {
        pass_.Times = times;
        lineTime_ = times.Start.value_or(0);
    }
    void AddSample(float latitude, float longitude, float temperature,
                   TSampleOrigin origin) override
    {
        latitude_ = latitude;
        longitude_ = longitude;
        temperature_ = temperature;
        footprint_ = origin.Footprint;
    }
    void FootprintDrawn(std::int32_t, std::int32_t, TColour colour, float value) override
    {
        if (Census != nullptr) {
            if (!Census->empty() && ValidValue(value) && std::fabs(latitude_) <= 90.0f)
                ++Census->back().Valid;
            return;
        }
        ++pass_.Footprints;
        TCompositeFootprint f;
        f.Value = value;
        f.Angle = std::fabs(ScanAngle(lineInstrument_, footprint_));
        f.Time = lineTime_;
        f.Order = FootprintOrder(PassOrder, footprint_);
        f.Colour = colour;
        if (Grid != nullptr && std::isfinite(value))
            Grid->Add(latitude_, longitude_, f);
        // The visible channel's mean is the mean of the grey levels drawn.
        if (visible_)
            f.Value = static_cast<float>(RedOf(colour));
        if (Pixels != nullptr)
            Pixels->SetFootprint(f);
        (void)temperature_;
    }
    void Runs(const TPixelRun* runs, int count) override
    {
        for (int i = 0; i < count; ++i)
            Pixels->AddRun(runs[i].Row, runs[i].First, runs[i].Last);
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
    TColourRamp ramp_;
    bool visible_ = false;
    std::uint8_t sensorCode_ = 0;
    TLineInstrument lineInstrument_ = TLineInstrument::Unknown;
    std::int64_t lineTime_ = 0;
    float latitude_ = 0, longitude_ = 0, temperature_ = 0;
    std::int32_t footprint_ = 0;
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
    TPlaceEverything everywhere;
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
    TPlaceEverything everywhere;
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

// The accumulators of one thread.
struct TWorker {
    std::unique_ptr<TPixelComposite> Pixels;
    std::unique_ptr<TGridComposite> Grid;
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

    const int jobs =
        std::clamp(settings.Jobs, 1, std::max<int>(1, static_cast<int>(inputs.size())));
    std::vector<TWorker> workers(static_cast<std::size_t>(jobs));
    std::atomic<std::size_t> next{0};
    std::mutex failureMutex;
    std::exception_ptr failure;
    auto work = [&](TWorker& worker) {
        try {
            worker.Pixels =
                std::make_unique<TPixelComposite>(settings.Rule, settings.Width, settings.Height);
            if (settings.GridStep > 0)
                worker.Grid = std::make_unique<TGridComposite>(settings.Rule, settings.GridStep);
            TRasterCanvas canvas(nullptr, settings.Width, settings.Height, 0);
            canvas.SetRunSink(nullptr);
            for (std::size_t k; (k = next.fetch_add(1)) < inputs.size();) {
                const std::size_t i = result.TimeOrder[k];
                TCompositePass& pass = result.Inputs[i];
                if (pass.IsGrid) {
                    if (worker.Grid && settings.ReadGrid) {
                        const std::uint64_t before = worker.Grid->Footprints();
                        if (!settings.ReadGrid(*inputs[i].Stream, *worker.Grid, pass.GridProblem))
                            pass.Outcome = {TStreamEnd::NotDecoded, 0, 0, pass.GridProblem};
                        pass.Footprints = worker.Grid->Footprints() - before;
                    } else {
                        pass.GridProblem = "a grid is composited only into a grid (--netcdf)";
                        pass.Outcome = {TStreamEnd::NotDecoded, 0, 0, pass.GridProblem};
                    }
                    continue;
                }
                TPassHost host(settings, inputs[i], canvas, *settings.Projection, pass);
                host.Pixels = worker.Pixels.get();
                host.Grid = worker.Grid.get();
                host.PassOrder = static_cast<std::uint32_t>(k);
                host.LeftOut = &leftOut[i];
                canvas.SetRunSink(&host);
                pass.Outcome = DecodeStream(host, inputs[i].Stream);
                canvas.SetRunSink(nullptr);
            }
        } catch (...) {
            const std::lock_guard<std::mutex> lock(failureMutex);
            if (!failure)
                failure = std::current_exception();
            next = inputs.size();
        }
    };
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < workers.size(); ++t)
        pool.emplace_back(work, std::ref(workers[t]));
    work(workers[0]);
    for (std::thread& thread : pool)
        thread.join();
    if (failure)
        std::rethrow_exception(failure);

    // Every choice is made on a total order and every sum is whole, so the order of the
    // merges does not matter; they are made in thread order all the same.
    result.Pixels = std::move(workers[0].Pixels);
    result.Grid = std::move(workers[0].Grid);
    for (std::size_t t = 1; t < workers.size(); ++t) {
        if (workers[t].Pixels)
            result.Pixels->Merge(*workers[t].Pixels);
        if (workers[t].Grid)
            result.Grid->Merge(*workers[t].Grid);
        workers[t] = {};
    }
    for (const TCompositePass& pass : result.Inputs) {
        result.Footprints += pass.Footprints;
        if (pass.Outcome.LinesDecoded > 0 || (pass.IsGrid && pass.GridProblem.empty()))
            ++result.Passes;
    }
    return result;
}

} // namespace veltra
