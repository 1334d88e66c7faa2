#include "app/VeltraForm.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <filesystem>
#include <thread>

#include "app/FootprintFill.h"
#include "app/MapNavigation.h"
#include "app/SensorDetection.h"
#include "base/Errors.h"
#include "base/Executable.h"
#include "base/Format.h"
#include "bzip/BZip2.h"
#include "imaging/BrightnessTemperatures.h"
#include "mapping/zorCartography.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

#ifndef VELTRA_WEB_SITE
#define VELTRA_WEB_SITE "https://www.brenmoor.example/veltra"
#endif

namespace veltra {

namespace fs = std::filesystem;

namespace {

constexpr int ResizeInterval = 400;

std::vector<std::string> NumberTabs(int first, int last)
{
    std::vector<std::string> tabs;
    for (int i = first; i <= last; ++i)
        tabs.push_back(std::to_string(i));
    return tabs;
}

// The name part of a path (folder dropped).
std::string NamePart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The folder of a path with its trailing separator ("" for a bare name).
std::string FolderPart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Draws the outlines on a map of the given size without pixels, whose strokes go nowhere but
// into the outlines' recording, with the pen they are drawn with on the map.
void RehearseOutlines(const TCartogList& outlines, int width, int height)
{
    struct TNoRuns : TRunSink {
        void Runs(const TPixelRun*, int) override {}
    } noRuns;
    TRasterCanvas scratch(TRasterCanvas::TStrokesOnly{0, height - 1}, width, height);
    scratch.SetRunSink(&noRuns);
    scratch.SetPenColour(TFormVeltra::OverlayColour);
    scratch.SetPenWidth(1);
    outlines.Rehearse(scratch, 0, 0);
}

// Waits for flag to be set by another thread. On a virtual machine a processor left idle is
// slow to wake again (up to a millisecond or more), so the thread keeps looking for up to two
// milliseconds before it sleeps.
void AwaitFlag(const std::atomic<bool>& flag)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(2);
    while (!flag.load(std::memory_order_acquire)) {
        for (int i = 0; i < 1000 && !flag.load(std::memory_order_relaxed); ++i) {
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
        if (std::chrono::steady_clock::now() >= until) {
            flag.wait(false, std::memory_order_acquire);
            return;
        }
    }
}

// The last extension of the name part, dot included ("" when there is none).
std::string ExtensionOf(const std::string& path)
{
    const std::string name = NamePart(path);
    const auto dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string WithoutExtension(const std::string& path)
{
    return path.substr(0, path.size() - ExtensionOf(path).size());
}

bool FileExists(const std::string& name)
{
    std::error_code error;
    return !name.empty() && fs::exists(name, error) && !fs::is_directory(name, error);
}

// Case-insensitive match of a name against a pattern where "*" matches any run of
// characters and "?" any one character.
bool WildcardMatch(const std::string& pattern, const std::string& name)
{
    std::size_t p = 0, n = 0, star = std::string::npos, mark = 0;
    auto same = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) ==
               std::toupper(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

// RAII for the busy cursor of a render pass.
class TBusyCursor {
public:
    explicit TBusyCursor(TVeltraView& view) : view_(view) { view_.BeginBusyCursor(); }
    ~TBusyCursor() { view_.EndBusyCursor(); }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TVeltraView& view_;
};

} // namespace

std::string TFormVeltra::JpegComment()
{
    return std::string("From: Veltra by Brenmoor, ") + VELTRA_WEB_SITE;
}

TFormVeltra::TFormVeltra(TVeltraView& view, std::vector<std::string> arguments,
                         std::string executable)
    : ChannelTabs(NumberTabs(1, 20)), view_(view), mapBitmap_(&view.Painter()),
      arguments_(std::move(arguments)), executable_(std::move(executable))
{
}

TFormVeltra::~TFormVeltra()
{
    FormDestroy();
}

// ---------------------------------------------------------------------------------------
// Life cycle

void TFormVeltra::FormCreate()
{
    BaseCaption_ = std::string(ProductName) + " - " + MakerName;
    WindowCaption = BaseCaption_;
    RegisterAppPath();
    BackgroundColour = std::make_unique<TRegistryInteger>("BackgroundColour", 0);
    mapBitmap_.SetFillColour(static_cast<TColour>(BackgroundColour->Value));
    Mapping = std::make_unique<TMapping>();
    MapProjection = std::make_unique<TRegistryInteger>("MapProjection", 7);
    MapRegion = std::make_unique<TRegistryInteger>("MapRegion", 0);
    Mapping->SetProjection(static_cast<std::uint8_t>(MapProjection->Value));
    Navigation = std::make_unique<TMapNavigation>(*Mapping);
    Mapping->SetLongitudeSpan(150.0f);
    Mapping->SetLatitudeSpan(75.0f);
    SetRegionPreset();
    Cartog = std::make_unique<TCartogList>(
        [](const std::string& name) { return LookUpAppPath(name); }, ProgramFolder(executable_));
    // Read now, or beside the first render pass (a file too large is told now either way).
    outlinesPending_ = outlinesBeside_ && Cartog->WithinSizeLimit(Cartog->CountriesFile);
    if (!outlinesPending_)
        Cartog->LoadFromFile(Cartog->CountriesFile);
    Cartog->Mapping = Mapping.get();
    MinTemp = 200.0;
    MaxTemp = 320.0;
    DataFolder = std::make_unique<TRegistryString>("DataFolder", ProgramFolder(executable_));
    AmsuAChannel = 15;
    AmsuBChannel = 20;
    HirsChannel = 8;
    OpenFilterIndex = std::make_unique<TRegistryInteger>("OpenFilterIndex", 2);
    CreateMenuSettings();
    RecentFiles = std::make_unique<TRegistryString>("RecentFiles", "");
    CreateColourSettings();
    CompositeRule = std::make_unique<TRegistryString>("CompositeRule", "latest");
    Streams.Clear();
    CollectNotices();
}

void TFormVeltra::FormShow()
{
    view_.SetScaleBarHeight(view_.TextHeight("Cy") * 17 / 13);
    view_.SetCheckBoxVisible(TCheckBoxId::OpenGroup, true);
    ShowBackgroundChoice();
    ShowMenuChoices();
    ShowCompositeChoices();
    ShowColourChoices();
    ApplyProjection();
    ApplyRegion();
    view_.RegisterDropTarget();
    if (!Notices.empty())
        view_.ShowStreamProblems(Notices);
    if (!arguments_.empty()) {
        OpenFile(arguments_[0]);
        view_.StartTimer(TTimerId::Load, LoadInterval);
    }
}

void TFormVeltra::FormDestroy()
{
    if (!Mapping && !BackgroundColour)
        return;
    view_.UnregisterDropTarget();
    Cartog.reset();
    Navigation.reset();
    Mapping.reset();
    BackgroundColour.reset();
    MapProjection.reset();
    MapRegion.reset();
    OpenFilterIndex.reset();
    DataFolder.reset();
    DestroyMenuSettings();
    RecentFiles.reset();
    PaletteChoice.reset();
    LegendInPictures.reset();
    ColourRanges.clear();
    CompositeRule.reset();
    Streams.Clear();
}

// ---------------------------------------------------------------------------------------
// Files

void TFormVeltra::MenuFileOpenClick()
{
    TOpenDialogRequest request;
    request.Filter = std::string(OpenFilter) + OpenFilterMore;
    request.InitialFolder = DataFolder->Value;
    request.FilterIndex = OpenFilterIndex->Value;
    if (!view_.ExecuteOpenDialog(request))
        return;
    DataFolder->Value = FolderPart(request.FileName);
    OpenFilterIndex->Value = request.FilterIndex;
    OpenFiles(request.FileNames.size() > 1 ? request.FileNames
                                           : std::vector<std::string>{request.FileName});
    view_.StartTimer(TTimerId::Load, LoadInterval);
}

void TFormVeltra::DropFileTargetDrop(const std::vector<std::string>& names)
{
    if (names.empty())
        return;
    OpenFiles(names);
    view_.StartTimer(TTimerId::Load, LoadInterval);
}

std::string TFormVeltra::StationGroupPattern() const
{
    std::string rest = WithoutExtension(NamePart(FileName));
    std::string fields[6];
    for (auto& field : fields) {
        const auto underscore = rest.find('_');
        if (underscore == std::string::npos)
            continue;
        field = rest.substr(0, underscore);
        rest.erase(0, underscore + 1);
    }
    std::string suffix = FileExt_;
    if (FileExt_ == ".BZ2")
        suffix = ExtensionOf(WithoutExtension(FileName)) + FileExt_;
    return FolderPart(FileName) + fields[0] + "_*_" + fields[3] + "_" + fields[4] + "_*" + suffix;
}

std::vector<std::string> TFormVeltra::FindStationGroup() const
{
    const std::string pattern = StationGroupPattern();
    const std::string folder = FolderPart(pattern);
    const std::string namePattern = NamePart(pattern);
    // A name from the NOAA archive ends in its station: the pass is the same when the data
    // type, satellite, day and orbit are, compressed or not as the opened file is.
    const std::string opened = UpperCase(NamePart(FileName));
    const bool archive = IsArchiveName(opened);
    const auto compressed = [](const std::string& upper) { return upper.ends_with(".BZ2"); };
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string entry = it->path().filename().string();
        const std::string upper = UpperCase(entry);
        if (archive ? SameArchivePass(opened, upper) && compressed(opened) == compressed(upper)
                    : WildcardMatch(namePattern, entry))
            names.push_back(folder + entry);
    }
    // In name order, whatever order the folder lists them in: the same files give the same
    // picture and the same exports after a copy.
    std::sort(names.begin(), names.end());
    return names;
}

void TFormVeltra::OpenFile(const std::string& name)
{
    CompositeOpen = false;
    Streams.Clear();
    FileName = name;
    PictureFileName.clear();
    if (!FileExists(FileName))
        return;
    NoteRecentFile(FileName);
    FileExt_ = UpperCase(ExtensionOf(FileName));
    DiagnosticLines().clear();
    std::vector<std::string> names;
    if (Checked(TCheckBoxId::OpenGroup))
        names = FindStationGroup();
    if (names.empty())
        names.push_back(FileName);
    DiagnosticLines().push_back("Files:");
    for (const auto& n : names)
        DiagnosticLines().push_back(n);
    if (FileExt_ == ".BZ2")
        OpenCompressed(names);
    else
        OpenPlain(names);
}

void TFormVeltra::OpenCompressed(const std::vector<std::string>& names)
{
    std::int64_t budget = DecompressedLimit;
    for (const auto& name : names) {
        const std::int64_t kept = Streams.AddCompressedFile(name, budget);
        if (kept < 0)
            continue;
        budget = std::max<std::int64_t>(budget - kept, 0);
        FileExt_ = UpperCase(ExtensionOf(WithoutExtension(FileName)));
        PictureFileName = WithoutExtension(FileName) + ".jpg";
    }
}

void TFormVeltra::OpenPlain(const std::vector<std::string>& names)
{
    std::int64_t budget = PlainFilesHeldLimit;
    for (const auto& name : names) {
        const std::int64_t held = Streams.AddPlainFile(name, budget);
        if (held < 0)
            continue;
        budget -= held;
        PictureFileName = FileName + ".jpg";
    }
}

void TFormVeltra::TimerLoadTimer()
{
    view_.StopTimer(TTimerId::Load);
    const bool found = FileExists(FileName);
    if (arguments_.size() > 1)
        RunUnattended(found);
    else if (found)
        TabControlSensorChange();
}

void TFormVeltra::SaveDefaultImage()
{
    if (!PictureFileName.empty())
        view_.SaveJPEG(SavedPicture().Rgb(), PictureFileName, JpegQuality, JpegComment());
}

void TFormVeltra::MenuFileSaveAsClick()
{
    if (PictureFileName.empty())
        return;
    TSaveDialogRequest request;
    request.Filter = SaveFilter;
    request.DefaultExtension = "jpg";
    request.FileName = PictureFileName;
    if (view_.ExecuteSaveDialog(request))
        view_.SaveJPEG(SavedPicture().Rgb(), request.FileName, JpegQuality, JpegComment());
}

std::string TFormVeltra::RawFileName() const
{
    std::string part;
    std::int32_t position = 0;
    if (SensorName_ == "HIRS") {
        part = ".hirs.c";
        position = HirsChannel;
    } else if (SensorName_ == "AMSU-A") {
        part = ".amsu-a.c";
        position = AmsuAChannel;
    } else if (SensorName_ == "AMSU-B") {
        part = ".amsu-b.c";
        position = AmsuBChannel;
    } else {
        return "";
    }
    part += std::to_string(position) + DifferenceFilePart();
    return WithoutExtension(FileName) + part + ".bt";
}

void TFormVeltra::MenuFileSaveRawClick()
{
    if (PictureFileName.empty())
        return;
    const std::string name = RawFileName();
    if (name.empty())
        return;
    try {
        SaveBrightnessTemperatures(Samples, name);
    } catch (const EWriteError& e) {
        view_.ShowError("Error writing brightness temperatures to " + name +
                        (e.Reason().empty() ? "" : ": " + e.Reason()));
        return;
    }
    view_.ShowMessage("Raw data saved to: " + name);
}

// ---------------------------------------------------------------------------------------
// Tabs and rendering

void TFormVeltra::SetSensorTabList(std::vector<std::string> tabs)
{
    SensorTabs = std::move(tabs);
    SensorTabIndex = 0;
    view_.SetSensorTabs(SensorTabs);
}

void TFormVeltra::SetChannelTabList(std::vector<std::string> tabs, int index)
{
    ChannelTabs = std::move(tabs);
    ChannelTabIndex = 0;
    view_.SetChannelTabs(ChannelTabs);
    // A remembered position beyond the last tab (AMSU-B starts at 20 of five tabs) shows
    // the last tab.
    ChannelTabIndex = std::clamp(index, 0, static_cast<int>(ChannelTabs.size()) - 1);
    view_.SetChannelTabIndex(ChannelTabIndex);
}

void TFormVeltra::TabControlSensorChange()
{
    const std::string name = UpperCase(NamePart(FileName));
    const int previous = SensorTabIndex;
    TStream* first = Streams.Count() > 0 ? Streams.Items(0) : nullptr;
    if (StartsWith(FileExt_, ".L1B"))
        SetSensorTabList({Level1bSensorTab(name, first)});
    else if (const std::string tab = OtherNameSensorTab(FileExt_, name, first); !tab.empty())
        SetSensorTabList({tab}); // an archive name without ".L1B", or a stored data set name
    if (StartsWith(FileExt_, ".L1C")) {
        std::string tab;
        if (StartsWith(name, "AMSUA"))
            tab = "AMSU-A";
        if (StartsWith(name, "AMSUB"))
            tab = "AMSU-B";
        if (StartsWith(name, "HIRS"))
            tab = "HIRS";
        if (StartsWith(name, "MHS"))
            tab = "AMSU-B";
        if (!tab.empty())
            SetSensorTabList({tab});
    }
    if (StartsWith(FileExt_, ".L1D")) {
        SetSensorTabList({"HIRS", "AMSU-A", "AMSU-B"});
        if (previous >= 0 && previous < static_cast<int>(SensorTabs.size())) {
            SensorTabIndex = previous;
            view_.SetSensorTabIndex(previous);
        }
    }
    SensorName_ = SensorTabIndex >= 0 && SensorTabIndex < static_cast<int>(SensorTabs.size())
                      ? UpperCase(SensorTabs[static_cast<std::size_t>(SensorTabIndex)])
                      : std::string();
    if (SensorName_ == "HIRS")
        SetChannelTabList(NumberTabs(1, 20), HirsChannel - 1);
    else if (SensorName_ == "AMSU-A")
        SetChannelTabList(NumberTabs(1, 15), AmsuAChannel - 1);
    else if (SensorName_ == "AMSU-B")
        SetChannelTabList(NumberTabs(16, 20), AmsuBChannel - 1);
    TabControlChannelChange();
}

void TFormVeltra::TabControlChannelChange()
{
    const int position = ChannelTabIndex + 1;
    if (SensorName_ == "HIRS")
        HirsChannel = position;
    if (SensorName_ == "AMSU-A")
        AmsuAChannel = position;
    if (SensorName_ == "AMSU-B")
        AmsuBChannel = position;
    SetColourRange();
    DrawChannel();
}

bool TFormVeltra::SelectedChannelCaption(std::string& caption) const
{
    if (ChannelTabIndex < 0 || ChannelTabIndex >= static_cast<int>(ChannelTabs.size()))
        return false;
    caption = ChannelTabs[static_cast<std::size_t>(ChannelTabIndex)];
    return true;
}

void TFormVeltra::DrawChannel()
{
    if (drawDeferred_)
        return;
    ++RenderPasses;
    SaveAsEnabled = false;
    view_.SetMenuEnabled(TMenuItem::FileSaveAs, false);
    SetSaveRawEnabled(false);
    {
        TBusyCursor busy(view_);
        noDiagnostics_.clear();
        SetWindowCaption(BaseCaption_ + " - " + WithoutExtension(NamePart(FileName)));
        view_.InvalidateScale();
        DecodeBesideOutlines();
        ReportStreamProblems();
        if (FillFootprints->Value)
            PaintFilledFootprints(mapBitmap_, *Mapping, Samples, Drawn.Colours());
        // A pass that failed part-way may have left its footprint pen behind.
        mapBitmap_.SetPenWidth(1);
        mapBitmap_.SetPenColour(OverlayColour);
        Cartog->Draw(&mapBitmap_, 0, 0);
        if (Checked(TCheckBoxId::Gridlines))
            Mapping->DrawGridlines(&mapBitmap_, 10, 10, OverlayColour, GridLineColour, 0, 0, false,
                                   TSpecialParallels{});
        view_.InvalidateImage();
    }
    SaveAsEnabled = true;
    view_.SetMenuEnabled(TMenuItem::FileSaveAs, true);
    SetSaveRawEnabled(true);
    if (LastMouseX != 0 && LastMouseY != 0)
        ImageDisplayMouseMove(LastMouseX, LastMouseY);
}

// The outlines do not depend on the footprints, which are drawn first: their file can be read,
// their polylines projected and, for a single pass, even drawn (without pixels, keeping where
// they paint) while the footprints are decoded. The map then only has those pixels written
// over the footprints.
void TFormVeltra::DecodeBesideOutlines()
{
    if (!outlinesBeside_) {
        DecodeStreams();
        return;
    }
    if (outlineDrawer_.joinable())
        outlineDrawer_.join();
    outlineFailure_ = nullptr;
    outlinesReady_.store(false);
    const int width = mapBitmap_.Width(), height = mapBitmap_.Height();
    // A composite's passes keep both processors busy: its outlines are only projected.
    const bool rehearse = !CompositeOpen;
    outlineDrawer_ = std::jthread([this, width, height, rehearse] {
        try {
            if (outlinesPending_)
                Cartog->LoadFromFile(Cartog->CountriesFile);
            outlinesPending_ = false;
            if (rehearse)
                RehearseOutlines(*Cartog, width, height);
            else
                Cartog->Prepare(0, 0);
        } catch (...) {
            outlineFailure_ = std::current_exception();
        }
        // After this the thread touches nothing but the flag, which outlives it.
        outlinesReady_.store(true, std::memory_order_release);
        outlinesReady_.notify_one();
    });
    {
        // Whatever the decoding does, the outlines are waited for before anything goes on.
        struct TAwait {
            std::atomic<bool>& Ready;
            ~TAwait() { AwaitFlag(Ready); }
        } await{outlinesReady_};
        DecodeStreams();
    }
    if (outlineFailure_)
        std::rethrow_exception(outlineFailure_);
}

void TFormVeltra::ImageDisplayMouseMove(int x, int y)
{
    std::string text;
    float latitude = 0, longitude = 0;
    if (Mapping->CanLocate() && Mapping->XYToLatLon(x, y, latitude, longitude))
        text = Format("Lat: %.0f%s  Lon: %.0f%s  ", latitude, DegreeSign.c_str(), longitude,
                      DegreeSign.c_str());
    text += ReadOutTemperature(x, y);
    CursorLocation = text;
    view_.SetLabelCaption(TLabelId::CursorLocation, text);
    ShowFootprintUnder(x, y);
    LastMouseX = x;
    LastMouseY = y;
}

void TFormVeltra::TabControlChannelResize()
{
    view_.StopTimer(TTimerId::Resize);
    view_.StartTimer(TTimerId::Resize, ResizeInterval);
}

void TFormVeltra::TimerResizeTimer()
{
    view_.StopTimer(TTimerId::Resize);
    int width = 0, height = 0;
    view_.ImageDisplaySize(width, height);
    if (ResizeMap(width, height) && SaveAsEnabled)
        DrawChannel();
}

// ---------------------------------------------------------------------------------------
// What the decoding pass writes

TRasterCanvas& TFormVeltra::MapCanvas()
{
    return mapBitmap_;
}

const TProjector& TFormVeltra::Projection() const
{
    return *Mapping;
}

void TFormVeltra::SetSatelliteLabel(const std::string& caption)
{
    SatelliteLabel = caption;
    view_.SetLabelCaption(TLabelId::SatName, caption);
}

void TFormVeltra::SetSatelliteLabelHint(const std::string& hint)
{
    SatelliteLabelHint = hint;
    view_.SetLabelHint(TLabelId::SatName, hint);
}

void TFormVeltra::SetHintHidePause(int milliseconds)
{
    view_.SetHintHidePause(milliseconds);
}

void TFormVeltra::SetWindowCaption(const std::string& caption)
{
    WindowCaption = caption;
    view_.SetWindowCaption(caption);
}

void TFormVeltra::SetSaveRawEnabled(bool enabled)
{
    SaveRawEnabled = enabled;
    view_.SetMenuEnabled(TMenuItem::FileSaveRaw, enabled);
}

std::vector<std::string>& TFormVeltra::DiagnosticLines()
{
    return DiagnosticLinesList ? *DiagnosticLinesList : noDiagnostics_;
}

} // namespace veltra
