// Render pass over the full-orbit HIRS Level 1b sample (955 lines of 56 footprints, four of
// them flagged bad) on an 800 x 600 map bitmap, in footprints per second, and the two halves of
// it measured apart, to tell whether drawing or decoding dominates:
//   RenderPass        the controller's DrawChannel on the Qt map canvas: background fill,
//                     decoding, projecting and drawing every footprint, country outlines
//                     (projected by the first pass, redrawn from the kept pixel polylines by
//                     the next ones, since the view does not change);
//   DecodeAndProject  the decoding pass alone on a canvas whose drawing calls do nothing;
//   DrawOnly          the pen, move and line calls of one decoding pass, recorded and replayed
//                     on the Qt map canvas;
//   DragFrame         a frame of a drag across the map: the view moves a few pixels, then the
//                     whole render pass runs with the outlines projected for the new view.
// Each runs on the whole-world plate carree (kind 1), where the whole orbit is visible, and on
// the default orthographic map of Europe (kind 7), where about a third of it is. And:
//   Spectrum/footprint  the spectrum the footprint panel asks for at every mouse move: one
//                     scan-line record read and all twenty channels calibrated, for footprints
//                     spread over the whole pass (the headers are read once per pass).
// Items are the footprints read from the file (951 x 56 per pass); the counter "drawn" is the
// footprints the projection placed on the map.
//   Process/amsu-b-orbit  the whole veltra-render process, started as a user starts it, on the
//                     full-revolution AMSU-B Level 1b sample (6.9 MB) to the default
//                     orthographic Europe JPEG; "cpu_ms" is its CPU time (user and system),
//                     "cat_cpu_ms" that of `cat FILE > /dev/null`, "cpu_per_cat" their ratio
//                     (target: at most 6), and the time per iteration is the elapsed time
//                     (target: a hundredth of the 1.2-1.4 s of satpy's pipeline).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/VeltraForm.h"
#include "app/VeltraView.h"
#include "app/render/HeadlessView.h"
#include "formats/DecodeStream.h"
#include "imaging/qt/MapCanvas.h"
#include "mapping/zorMapping.h"

namespace {

using namespace veltra;

const std::string OrbitFile =
    std::string(VELTRA_SAMPLES_DIR) + "/NSS.HIRX.NK.D08015.S0728.E0910.B5041010.GC.L1B";
constexpr int FootprintsRead = (955 - 4) * 56;

// The program's folder in the build tree, where Countries.dat is copied: beside the samples.
std::string ExecutableInBuildTree()
{
    return (std::filesystem::path(VELTRA_SAMPLES_DIR).parent_path() / "src" / "app" / "Veltra")
        .string();
}

// The pen calls of a decoding pass, to replay on another canvas.
struct TPenCall {
    enum Kind { Width, Colour, Move, Line } What;
    int A, B;
};

// The map bitmap's size, which the canvases below stand in for.
constexpr int MapWidth = 800, MapHeight = 600;

class TRecordingCanvas : public TNullCanvas {
public:
    TRecordingCanvas() : TNullCanvas(MapWidth, MapHeight) {}
    std::vector<TPenCall> Calls;
    void SetPenColour(TColour c) override
    {
        Calls.push_back({TPenCall::Colour, static_cast<int>(c), 0});
    }
    void SetPenWidth(int w) override { Calls.push_back({TPenCall::Width, w, 0}); }
    void MoveTo(int x, int y) override { Calls.push_back({TPenCall::Move, x, y}); }
    void LineTo(int x, int y) override { Calls.push_back({TPenCall::Line, x, y}); }
};

// The controller as the decoding pass sees it, drawing on another canvas.
class TOtherCanvasHost : public TDecodeHost {
public:
    TOtherCanvasHost(TFormVeltra& form, TCanvas& canvas) : form_(form), canvas_(canvas) {}

    std::string FileExt() const override { return form_.FileExt(); }
    std::string SensorName() const override { return form_.SensorName(); }
    bool SelectedChannelCaption(std::string& caption) const override
    {
        return form_.SelectedChannelCaption(caption);
    }
    std::string BaseCaption() const override { return form_.BaseCaption(); }
    bool UseHirsCountOffset() const override { return form_.UseHirsCountOffset(); }
    TCanvas& MapCanvas() override { return canvas_; }
    const TProjector& Projection() const override { return form_.Projection(); }
    TColour ColourForTemperature(float t) override { return form_.ColourForTemperature(t); }
    void AddSample(float lat, float lon, float t, TSampleOrigin origin) override
    {
        form_.AddSample(lat, lon, t, origin);
    }
    std::int32_t SampleCount() const override { return form_.SampleCount(); }
    void FootprintDrawn(std::int32_t x, std::int32_t y, TColour c, float value) override
    {
        form_.FootprintDrawn(x, y, c, value);
    }
    std::uint8_t SensorCode() const override { return form_.SensorCode(); }
    void SetSensorCode(std::uint8_t code) override { form_.SetSensorCode(code); }
    std::string SatelliteName() const override { return form_.SatelliteName(); }
    void SetSatelliteName(const std::string& name) override { form_.SetSatelliteName(name); }
    std::string ChannelCaption() const override { return form_.ChannelCaption(); }
    void SetChannelCaption(const std::string& c) override { form_.SetChannelCaption(c); }
    void SetSatelliteLabel(const std::string& c) override { form_.SetSatelliteLabel(c); }
    void SetSatelliteLabelHint(const std::string& h) override { form_.SetSatelliteLabelHint(h); }
    void SetHintHidePause(int ms) override { form_.SetHintHidePause(ms); }
    void SetWindowCaption(const std::string& c) override { form_.SetWindowCaption(c); }
    void SetSaveRawEnabled(bool e) override { form_.SetSaveRawEnabled(e); }
    std::vector<std::string>& DiagnosticLines() override { return form_.DiagnosticLines(); }

private:
    TFormVeltra& form_;
    TCanvas& canvas_;
};

// The batch renderer's window without a screen, its text drawn by Qt in-process.
class TBenchView : public THeadlessView {
public:
    TBenchView() : THeadlessView({}) {}
    TCanvasPainter& Painter() override { return QtCanvasPainter(); }
};

// The main window with the orbit file open on HIRS channel 8, in the projection of the
// benchmark's argument; the load timer has rendered it once.
struct TViewer {
    TBenchView View;
    TFormVeltra Form;

    explicit TViewer(int projection) : Form(View, {}, ExecutableInBuildTree())
    {
        TRunRequest request;
        request.Projection = projection;
        request.Width = 800;
        request.Height = 600;
        request.File = OrbitFile;
        Form.RunOnce(request);
    }

    bool Ready(benchmark::State& state)
    {
        if (Form.Projection().GetWidth() != 800 || Form.Projection().GetHeight() != 600) {
            state.SkipWithError("the map is not 800 x 600");
            return false;
        }
        if (Form.Streams.Count() != 1 || Form.SampleCount() == 0) {
            state.SkipWithError(
                ("no samples from " + OrbitFile + "; build the samples target").c_str());
            return false;
        }
        return true;
    }
};

void Report(benchmark::State& state, std::int32_t drawn)
{
    state.SetItemsProcessed(state.iterations() * FootprintsRead);
    state.counters["drawn"] = drawn;
}

void RenderPass(benchmark::State& state)
{
    TViewer viewer(static_cast<int>(state.range(0)));
    if (!viewer.Ready(state))
        return;
    for (auto _ : state)
        viewer.Form.DrawChannel();
    Report(state, viewer.Form.SampleCount());
}

void DecodeAndProject(benchmark::State& state)
{
    TViewer viewer(static_cast<int>(state.range(0)));
    if (!viewer.Ready(state))
        return;
    TNullCanvas canvas(MapWidth, MapHeight);
    TOtherCanvasHost host(viewer.Form, canvas);
    for (auto _ : state) {
        // as the render pass does before its first stream
        viewer.Form.Samples.Reset();
        viewer.Form.Drawn.Clear();
        DecodeStream(host, viewer.Form.Streams.Items(0));
    }
    Report(state, viewer.Form.SampleCount());
}

void DrawOnly(benchmark::State& state)
{
    TViewer viewer(static_cast<int>(state.range(0)));
    if (!viewer.Ready(state))
        return;
    TRecordingCanvas recording;
    TOtherCanvasHost host(viewer.Form, recording);
    DecodeStream(host, viewer.Form.Streams.Items(0));
    const std::vector<TPenCall> calls = recording.Calls;
    TRasterCanvas canvas(&QtCanvasPainter(), 800, 600, 0);
    for (auto _ : state) {
        for (const TPenCall& call : calls) {
            switch (call.What) {
            case TPenCall::Width: canvas.SetPenWidth(call.A); break;
            case TPenCall::Colour: canvas.SetPenColour(static_cast<TColour>(call.A)); break;
            case TPenCall::Move: canvas.MoveTo(call.A, call.B); break;
            case TPenCall::Line: canvas.LineTo(call.A, call.B); break;
            }
        }
        benchmark::DoNotOptimize(canvas.Rgb().Bits);
    }
    Report(state, viewer.Form.SampleCount());
}

// One frame of a drag: the view moves by three pixels, so the outlines are projected again,
// and the whole pass runs, as the window's render timer runs it after a mouse move.
void DragFrame(benchmark::State& state)
{
    TViewer viewer(static_cast<int>(state.range(0)));
    if (!viewer.Ready(state))
        return;
    viewer.Form.ImageDisplayMouseDown(400, 300);
    int frame = 0;
    for (auto _ : state) {
        viewer.Form.ImageDisplayMouseDrag(400 + 3 * (++frame % 2), 300);
        viewer.Form.TimerRenderTimer();
    }
    viewer.Form.ImageDisplayMouseUp();
    Report(state, viewer.Form.SampleCount());
}

// The world map, where the whole orbit is visible, and the default Europe map.
void MapKinds(benchmark::internal::Benchmark* benchmark)
{
    benchmark->ArgName("kind")
        ->Arg(pkPlateCarree)
        ->Arg(pkOrthographic)
        ->Unit(benchmark::kMillisecond);
}

BENCHMARK(RenderPass)->Apply(MapKinds);
BENCHMARK(DecodeAndProject)->Apply(MapKinds);
BENCHMARK(DrawOnly)->Apply(MapKinds);
BENCHMARK(DragFrame)->Apply(MapKinds);

void SpectrumFootprint(benchmark::State& state)
{
    TViewer viewer(pkPlateCarree);
    if (!viewer.Ready(state))
        return;
    const std::int32_t count = viewer.Form.SampleCount();
    std::int32_t i = 0;
    for (auto _ : state) {
        i = (i + 7919) % count; // a prime stride: footprints all over the pass
        const std::optional<TFootprintSpectrum> spectrum =
            viewer.Form.FootprintSpectrum(viewer.Form.Samples, i);
        if (!spectrum || spectrum->Rows.size() != 20) {
            state.SkipWithError("no spectrum of a footprint drawn");
            return;
        }
        benchmark::DoNotOptimize(spectrum->Rows.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SpectrumFootprint)->Name("Spectrum/footprint")->Unit(benchmark::kMicrosecond);

// The CPU time of the children waited for so far, milliseconds.
double ChildrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec * 1e-3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Runs a program with standard output and error on /dev/null; false unless it ends with 0.
bool RunProgram(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return failed == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void WholeProcess(benchmark::State& state)
{
    const std::string pass =
        std::string(VELTRA_SAMPLES_DIR) + "/NSS.AMBX.NK.D08015.S0728.E0910.B5041010.GC.L1B";
    const std::string out =
        (std::filesystem::temp_directory_path() / "veltra-process-bench.jpg").string();
    const std::vector<std::string> render = {
        std::string(VELTRA_BINARY_DIR) + "/src/app/veltra-render", pass, "--jpeg", out};
    const std::vector<std::string> cat = {"/bin/cat", pass};
    double renderCpu = 0, catCpu = 0;
    for (auto _ : state) {
        const double before = ChildrenCpuMs();
        if (!RunProgram(render)) {
            state.SkipWithError("veltra-render failed: build it and the samples");
            return;
        }
        renderCpu += ChildrenCpuMs() - before;
        state.PauseTiming();
        const double beforeCat = ChildrenCpuMs();
        RunProgram(cat);
        catCpu += ChildrenCpuMs() - beforeCat;
        state.ResumeTiming();
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["cpu_ms"] = renderCpu / runs;
    state.counters["cat_cpu_ms"] = catCpu / runs;
    state.counters["cpu_per_cat"] = catCpu > 0 ? renderCpu / catCpu : 0;
    std::filesystem::remove(out);
}
BENCHMARK(WholeProcess)
    ->Name("Process/amsu-b-orbit")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

} // namespace

// The map canvas draws text through Qt's font machinery, which wants a QGuiApplication; with
// no display the offscreen platform serves.
int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
