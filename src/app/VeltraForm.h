#pragma once
// TFormVeltra: the main window as a controller, free of any widget toolkit. It owns the
// settings, the projection, the outline overlay, the map bitmap, the open streams and the
// sample list, and turns every user action into the operation that handles it. Its window
// (or a test fake, or the batch renderer) implements TVeltraView and forwards each event to
// the operation of the same name.
#include <atomic>
#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/CompositeRender.h"
#include "app/DrawnFootprints.h"
#include "app/FootprintChannels.h"
#include "app/RunRequest.h"
#include "app/StreamList.h"
#include "app/VeltraView.h"
#include "base/Stream.h"
#include "bzip/BZip2.h"
#include "formats/ArchiveHeader.h"
#include "formats/DecodeHost.h"
#include "formats/Samples.h"
#include "imaging/ColourRange.h"
#include "imaging/Palette.h"
#include "imaging/RasterCanvas.h"

namespace veltra {

class TCartogList;
class TMapNavigation;
class TMapping;
class TRegistryBoolean;
class TRegistryInteger;
class TRegistryString;

// The statuses the viewer ends with, the unattended run's being those of veltra-render.
enum TUnattendedExit {
    UnattendedOk = 0,
    UnattendedNoWindow = 1, // no display for the window, or a run the window had to end
    UnattendedInputMissing = 3,
    UnattendedSaveFailed = 4,
    UnattendedNothingDecoded = 5, // the picture, outlines only, is still saved
};

// Upper limit of the temperature range for each HIRS channel position 1-19.
double HirsMaxTemp(int position);

class TFormVeltra : public TDecodeHost {
public:
    static constexpr const char* ProductName = "Veltra";
    static constexpr const char* MakerName = "Brenmoor";
    static constexpr const char* OpenFilter =
        "Compressed files (*.bz2)|*.bz2|Eumetsat files (*.l1c, *.l1d)|*.l1c;*.l1d|"
        "SAA files (*.l1b)|*.l1b";
    // Offered after the filters above, so a stored filter index keeps its meaning.
    static constexpr const char* OpenFilterMore =
        "|All supported files (*.l1b, *.l1c, *.l1d, *.bz2, NSS.*)|*.l1b;*.l1c;*.l1d;*.bz2;NSS.*|"
        "All files (*)|*";
    static constexpr const char* SaveFilter = "JPEG files (*.jpg)|*.jpg";
    static constexpr TColour OverlayColour = 0x808080;
    static constexpr TColour GridLineColour = 255;
    static constexpr int JpegQuality = 80;
    // Delay from opening a file to its first render pass, ms.
    static constexpr int LoadInterval = 800;
    // Zoom factor of one wheel notch or one Zoom in.
    static constexpr double ZoomStep = 1.25;
    // How far from the cursor, in pixels, a footprint counts as under it.
    static constexpr int FootprintReach = 4;
    // The comment every saved picture carries.
    static std::string JpegComment();

    // arguments: the command line without the program name; executable: full path of the
    // running program (its folder is the default data folder and where Countries.dat is).
    TFormVeltra(TVeltraView& view, std::vector<std::string> arguments, std::string executable);
    ~TFormVeltra() override;
    TFormVeltra(const TFormVeltra&) = delete;
    TFormVeltra& operator=(const TFormVeltra&) = delete;

    // Life cycle.
    void FormCreate();
    void FormShow();
    void FormDestroy();

    // Menus.
    void MenuFileOpenClick();
    void MenuFileSaveAsClick();
    // File > Open recent: the window asks for the list as the menu opens (missing files are
    // shown disabled) and opens an entry by its index.
    void MenuFileOpenRecentPopup();
    void MenuFileOpenRecentClick(int index);
    void MenuFileSaveRawClick();
    void MenuFileExitClick();
    void MenuViewDiagnosticsClick();
    void MenuViewZoomInClick();
    void MenuViewZoomOutClick();
    void MenuViewFitToPassClick();
    void MenuViewResetViewClick();
    void MenuViewFillFootprintsClick();
    // View > Hide flagged scan lines (VeltraFormFootprints.cpp): the footprints of lines flagged
    // do not use, calibration or no Earth location, of MHS lines not in scan mode, and of
    // channels flagged bad in a line are neither drawn nor sampled.
    void MenuViewHideFlaggedLinesClick();
    // View > "Difference with channel..." (VeltraFormDifference.cpp): the shown channel less
    // another of the sensor's, at every footprint, until the sensor changes or none is chosen.
    void MenuViewDifferenceClick();
    // View > "Footprint spectrum" (VeltraFormFootprintPanel.cpp): the panel shown or hidden, kept
    // in the setting FootprintSpectrum; the window closing the panel unchecks it.
    void MenuViewFootprintSpectrumClick();
    void FootprintPanelClosed();
    void MenuHelpAboutClick();
    void MenuHelpContentsClick();
    void MenuOptionsBackgroundClick(TMenuItem item);
    void MenuOptionsMapProjectionClick(TMenuItem item);
    void MenuOptionsRegionClick(TMenuItem item);
    // Options > HIRS counts with the NOAA offset: how Level 1b HIRS count words are read.
    void MenuOptionsHirsCountOffsetClick();
    // Colour (VeltraFormColour.cpp): View > Palette; Options > "Colour range...", "Auto range"
    // (both for the selected sensor and channel) and "Legend in saved pictures".
    void MenuViewPaletteClick(TMenuItem item);
    void MenuOptionsColourRangeClick();
    void MenuOptionsAutoRangeClick();
    void MenuOptionsLegendClick();
    void ShowBackgroundChoice();
    void ApplyProjection();
    void ApplyRegion();
    void SetRegionPreset();

    // Files.
    void OpenFile(const std::string& name);
    // Several files at once (File > Open with several chosen, a drop of several, the renderer's
    // --composite): drawn as one composite (VeltraFormComposite.cpp); a single name opens as
    // OpenFile does.
    void OpenFiles(const std::vector<std::string>& names);
    // View > Composite: the rule of the composite (one radio item per rule, in CompositeRules'
    // order), kept in the setting CompositeRule.
    void MenuViewCompositeClick(TMenuItem item);
    // The check marks of View > Composite: the rule in force.
    void ShowCompositeChoices();
    // The first input of the composite that does not offer the selected sensor; empty when
    // they all do.
    std::string CompositeOddFile() const;
    void DropFileTargetDrop(const std::vector<std::string>& names);
    void TimerLoadTimer();
    // The load timer's work when run unattended (FILE and a second argument): render, save the
    // picture beside FILE, tell every failure as an error and close with a status: 3 input
    // missing, 4 picture not saved, 5 nothing decoded (the picture is still saved).
    void RunUnattended(bool found);
    // Shows the streams of the last render pass that did not decode completely, and ends the
    // diagnostics lines with them; then the count of flagged scan lines (ShowFlaggedLines).
    void ReportStreamProblems();
    // Takes the notices of the settings store and the outline list into Notices.
    void CollectNotices();
    std::string StationGroupPattern() const;
    void SaveDefaultImage();

    // Tabs, rendering and read-out. The window sets the selected index before calling the
    // change handler of a tab control.
    void SelectSensorTab(int index) { SensorTabIndex = index; }
    void SelectChannelTab(int index) { ChannelTabIndex = index; }
    void TabControlSensorChange();
    void TabControlChannelChange();
    void TabControlChannelResize();
    void TimerResizeTimer();
    void DrawChannel();
    void ImageDisplayMouseMove(int x, int y);
    void ImageDisplayMouseLeave();
    // Navigation (VeltraFormNavigation.cpp): notches of the wheel, positive away from the
    // user (zoom in); a drag with the left button pans.
    void ImageDisplayMouseWheel(int x, int y, double notches);
    void ImageDisplayMouseDown(int x, int y);
    void ImageDisplayMouseDrag(int x, int y);
    void ImageDisplayMouseUp();
    // The status text of the footprint drawn nearest to a pixel (FootprintReadout.h): its exact
    // value, scan line, footprint, for a group its file, its position, its line's time, its
    // satellite zenith angle and its line's flags.
    void ShowFootprintUnder(int x, int y);
    // The status text of the footprint under the cursor, as the window's second row shows it.
    const std::string& FootprintReadout() const { return FootprintStatus; }
    // After a render pass: how many scan lines are flagged, under the map (FlaggedLinesStatus).
    void ShowFlaggedLines();
    // The sample drawn nearest a pixel, within FootprintReach; -1 for none.
    std::int32_t FootprintNear(int x, int y);
    // Every channel of the selected sensor at sample i of a sample list (the form's, or one
    // decoded from the same streams since the last render pass), read from the one scan-line
    // record that holds it; none when it cannot be read or the streams have changed.
    std::optional<TFootprintSpectrum> FootprintSpectrum(const TSampleList& samples, std::int32_t i);
    // The same footprint read again with the choices of the last render pass (sensor, channel
    // shown, HIRS counts); none once another file is open.
    std::optional<TFootprintSpectrum> FootprintSpectrumAgain(const TFootprintSpectrum& footprint);
    void RequestRender();
    void TimerRenderTimer();
    void CheckBoxTempsInCClick();
    void PaintBoxScalePaint(TCanvas& bar);
    TColour ColourForTemperature(float temperature) override;

    // TDecodeHost: the state the decoding pass reads and writes.
    std::string FileExt() const override { return FileExt_; }
    std::string SensorName() const override { return SensorName_; }
    bool SelectedChannelCaption(std::string& caption) const override;
    std::string BaseCaption() const override { return BaseCaption_; }
    bool UseHirsCountOffset() const override;
    bool MaskFlaggedLines() const override;
    // The channel subtracted from the shown one (VeltraFormDifference.cpp): one of the same
    // sensor, neither of them the visible HIRS channel; 0 for none.
    std::int32_t DifferenceChannel() const override;
    TRasterCanvas& MapCanvas() override;
    const TProjector& Projection() const override;
    bool KeepLine(const TScanLineInfo& line) override;
    bool KeepsSamples() const override { return keepSamples_; }
    void FootprintDecoded(const TFootprintPlace&, float, TColour) override { ++samplesUnkept_; }
    void AddSample(float latitude, float longitude, float temperature,
                   TSampleOrigin origin) override
    {
        origin.Stream = decodingStream_;
        Samples.AddSample(latitude, longitude, temperature, origin);
        Drawn.Add(temperature);
    }
    void FootprintDrawn(std::int32_t x, std::int32_t y, TColour colour, float value) override
    {
        Drawn.Drawn(x, y, colour, value);
    }
    std::int32_t SampleCount() const override { return Samples.SampleCount() + samplesUnkept_; }
    std::int32_t AddScanLine(const TScanLineInfo& line) override
    {
        TScanLineInfo kept = line;
        kept.Stream = decodingStream_;
        return Samples.AddScanLine(kept);
    }
    void SetPassTimes(const TPassTimes& times) override
    {
        Samples.SetPassTimes(decodingStream_, times);
    }
    std::uint8_t SensorCode() const override { return SensorCode_; }
    void SetSensorCode(std::uint8_t code) override { SensorCode_ = code; }
    std::string SatelliteName() const override { return SatelliteName_; }
    void SetSatelliteName(const std::string& name) override { SatelliteName_ = name; }
    std::string ChannelCaption() const override { return ChannelCaption_; }
    void SetChannelCaption(const std::string& caption) override { ChannelCaption_ = caption; }
    void SetChannelWavenumber(double wavenumber) override { channelWavenumber_ = wavenumber; }
    void SetArchiveSummary(const TArchiveSummary& summary) override { archiveSummary_ = summary; }
    void SetSatelliteLabel(const std::string& caption) override;
    void SetSatelliteLabelHint(const std::string& hint) override;
    void SetHintHidePause(int milliseconds) override;
    void SetWindowCaption(const std::string& caption) override;
    void SetSaveRawEnabled(bool enabled) override;
    std::vector<std::string>& DiagnosticLines() override;

    // The brightness-temperature file name for the current sensor; empty when none applies.
    std::string RawFileName() const;
    // What a saved picture holds: the map bitmap, with the legend strip below it when
    // "Legend in saved pictures" is checked (the map keeps its size and pixels).
    const TRasterCanvas& SavedPicture();
    // The title line of the legend: satellite, sensor, channel and the pass's UTC times.
    std::string LegendTitle() const;
    // From the first start to the last end of the passes shown: a composite's passes, or the
    // streams' headers.
    TPassTimes ShownPassTimes() const;
    TPaletteKind Palette() const;
    // How the range of the selected sensor and channel is chosen.
    TColourRange ChannelRange();
    // Whether the range is stretched over the temperatures the footprints give (DecodeStreams).
    bool RangeFromFootprints();
    // HIRS channel 20, painted in grey levels of its albedo.
    bool VisibleChannel() const { return SensorName_ == "HIRS" && HirsChannel == 20; }
    // The number of the selected channel tab; 0 for none.
    int ShownChannel() const;

    // State the window, the renderer and the tests read, in the main window's declaration
    // order; the rest is private below.
    std::int32_t AmsuAChannel = 0;
    std::int32_t AmsuBChannel = 0;
    std::int32_t HirsChannel = 0;
    std::string FileName;
    TStreamList Streams;
    std::int32_t LastMouseX = 0;
    std::int32_t LastMouseY = 0;
    TSampleList Samples;
    std::unique_ptr<TMapping> Mapping;
    double MaxTemp = 0;
    double MinTemp = 0;
    std::string PictureFileName;
    // The most that the compressed files of one open, a station group together, may
    // decompress into memory: a folder of decompression bombs cannot exhaust it.
    std::int64_t DecompressedLimit = DecompressWholeLimit;
    // Zoom and pan of the map (MapNavigation.h); created with the projection.
    std::unique_ptr<TMapNavigation> Navigation;
    // What the last render pass drew of each sample.
    TDrawnFootprints Drawn;
    // Render passes drawn so far.
    std::uint64_t RenderPasses = 0;
    // Several files are open as one composite, and what its last render pass gave.
    bool CompositeOpen = false;
    TCompositeResult Composite;
    // The composite's rule when the run asks for one (else the setting's), the passes decoded
    // at once, its grid step (0: no grid) and how grid files are read back.
    std::optional<TCompositeRule> CompositeRuleChosen;
    int CompositeJobs = 1;
    // The threads a composite takes: CompositeJobs, or every processor when that is 0.
    int CompositeThreads() const;
    double CompositeGridStep = 0;
    TGridReader GridReader;
    // Scan lines drawn: WindowFrom <= time < WindowTo (ms since 1970), each when set.
    std::optional<std::int64_t> WindowFrom, WindowTo;

    // State of the controls, as the window shows it.
    std::string WindowCaption;
    std::vector<std::string> SensorTabs{"HIRS", "AMSU-A", "AMSU-B"};
    int SensorTabIndex = 0;
    std::vector<std::string> ChannelTabs;
    int ChannelTabIndex = 0;
    bool SaveAsEnabled = false;
    bool SaveRawEnabled = false;
    std::string SatelliteLabel = "Satellite Name";
    std::string SatelliteLabelHint;
    std::string CursorLocation;
    // What the user is told on the status line, above the stream problems, for the whole run:
    // a damaged settings file set aside, an outline file too large to load.
    std::vector<std::string> Notices;
    std::string FlaggedLinesStatus; // "37 scan lines flagged"; empty for none

    // Creates the window's state and takes it to its first picture as the request asks; see
    // RunRequest.h.
    TRunResult RunOnce(const TRunRequest& request);

    // What the window's views and the exports read.
    const TRasterCanvas& MapBitmap() const { return mapBitmap_; }
    // What the last render pass decoded of the archive headers; empty without one.
    const TArchiveSummary& ArchiveSummary() const { return archiveSummary_; }
    // The central wavenumber (cm^-1) of the channel the last pass decoded.
    double ChannelWavenumber() const { return channelWavenumber_; }
    // The choices the settings store keeps, as they stand.
    struct TStoredChoices {
        TColour Background = 0;
        int Projection = 0, Region = 0;
        bool FillFootprints = false, HirsCountOffset = false, Legend = false;
        TPaletteKind Palette = TPaletteKind::Thermal;
        bool HideFlaggedLines = false;
    };
    TStoredChoices StoredChoices() const;
    // The composite's rule as it stands (the run's, else the setting's).
    TCompositeRule CompositeRuleInForce() const;
    // The diagnostics window's list, owned by that window; none: lines are dropped.
    void SetDiagnosticLines(std::vector<std::string>* lines) { DiagnosticLinesList = lines; }
    const std::vector<std::string>& Arguments() const { return arguments_; }
    const std::string& Executable() const { return executable_; }

private:
    void NoteRecentFile(const std::string& name);
    // Sets the map bitmap and the projection to a size; true when it changed.
    bool ResizeMap(int width, int height);
    TRunResult SelectSensorAndChannel(const TRunRequest& request);
    TRunResult RunComposite(const TRunRequest& request);
    bool Checked(TCheckBoxId box) const { return view_.IsChecked(box); }
    void ToggleChoice(TRegistryBoolean& choice, TMenuItem item);
    void ApplyChoice(std::int32_t& setting, std::int32_t value, void (TFormVeltra::*apply)());
    // The settings the View and Options menus turn on and off, and their check marks
    // (VeltraFormMenus.cpp).
    void CreateMenuSettings();
    void ShowMenuChoices();
    void DestroyMenuSettings();
    // The difference's check mark, and its part of the brightness-temperature file's name
    // ("-12" after the shown channel's "c8"; "" without a difference).
    void ShowDifferenceChoice();
    std::string DifferenceFilePart() const;
    // The palette the footprints are painted in: the user's, or for a difference the diverging
    // one; and the part of the colour range's setting name after the sensor ("8", "8-12").
    TPaletteKind DrawnPalette() const;
    bool CelsiusShown() const;
    std::string RangeKeyChannel() const;
    // What the read-out tells of sample i of a sample list (the form's or one decoded from the
    // same streams), whose value the map drew as `value` (VeltraFormFootprints.cpp).
    TFootprintDetails FootprintDetails(const TSampleList& samples, std::int32_t i,
                                       float value) const;
    void SetSensorTabList(std::vector<std::string> tabs);
    void SetChannelTabList(std::vector<std::string> tabs, int index);
    void OpenCompressed(const std::vector<std::string>& names);
    // The render pass of several files as one composite (VeltraFormComposite.cpp).
    void DrawComposite();
    void OpenPlain(const std::vector<std::string>& names);
    std::vector<std::string> FindStationGroup() const;
    // The colour settings and their check marks; the range of the selected channel by its
    // default limits and the user's choice; the streams decoded (one by one, or as a
    // composite), twice when the range is stretched over what they hold; the read-out's
    // temperature (VeltraFormColour.cpp).
    void CreateColourSettings();
    void ShowColourChoices();
    void SetColourRange();
    void SetChannelRange(const TColourRange& range);
    void DecodeStreams();
    void DecodeEveryStream();
    // DecodeStreams, with the outlines read (once) and projected beside it when the run asks.
    void DecodeBesideOutlines();
    std::string ReadOutTemperature(int x, int y);

    std::unique_ptr<TRegistryInteger> BackgroundColour;
    std::string BaseCaption_;
    std::unique_ptr<TCartogList> Cartog;
    std::string ChannelCaption_;
    std::string FileExt_;
    std::unique_ptr<TRegistryString> DataFolder;
    std::uint8_t SensorCode_ = 0;
    std::unique_ptr<TRegistryInteger> OpenFilterIndex;
    std::unique_ptr<TRegistryInteger> MapProjection;
    std::unique_ptr<TRegistryInteger> MapRegion;
    // Level 1b HIRS counts read as the NOAA archive stores negative ones (count + 4096)
    // rather than in sign and magnitude; off unless the user chose it.
    std::unique_ptr<TRegistryBoolean> HirsCountOffset;
    std::string SatelliteName_;
    std::string SensorName_;
    std::unique_ptr<TRegistryBoolean> FillFootprints;
    // Footprints that the scan lines' flags mark are hidden; off unless the user chose it.
    std::unique_ptr<TRegistryBoolean> HideFlaggedLines;
    // The "Footprint" panel is shown; off unless the user chose it.
    std::unique_ptr<TRegistryBoolean> FootprintPanel;
    std::unique_ptr<TRegistryString> RecentFiles; // names separated by line feeds
    std::unique_ptr<TRegistryInteger> PaletteChoice;
    std::unique_ptr<TRegistryBoolean> LegendInPictures;
    // The range of each sensor and channel the user chose ("MIN,MAX", "auto" or "" for the
    // default limits), under "ColourRange" + sensor + channel ("ColourRangeAmsuB18"); each is
    // read when its channel is first shown.
    std::map<std::string, std::unique_ptr<TRegistryString>> ColourRanges;
    std::unique_ptr<TRegistryString> CompositeRule; // "latest", "nadir", "min", "max", "mean"
    bool drawDeferred_ = false; // a composite's run draws once, after its last selection
    std::string FootprintStatus;
    std::string MinTempLabel = "MinT";
    std::string MaxTempLabel = "MaxT";
    std::vector<std::string> StreamProblemLines; // the status line under the map
    // Owned by the diagnostics window; set when that window is created.
    std::vector<std::string>* DiagnosticLinesList = nullptr;
    // The most that the plain files of one open may take in memory, where every later render
    // pass (a zoom, a pan, another channel) reads their records in place. A run that renders
    // once sets 0 and reads from disk.
    std::int64_t PlainFilesHeldLimit = DecompressWholeLimit;
    // A run whose footprints nobody reads back (TRunRequest::SamplesUnread); the render pass
    // then keeps the sample list only when the picture needs it, and counts the footprints
    // it does not keep.
    bool SamplesUnread = false;
    TArchiveSummary archiveSummary_;
    double channelWavenumber_ = 0; // for the exports

    TVeltraView& view_;
    // The map bitmap; its text and widest pens are drawn by the view's painter.
    TRasterCanvas mapBitmap_;
    // The colours of the footprints: the palette over the range of the moment; the palette is
    // the render pass's (DrawnPalette), chosen once as it starts.
    TColourScale colourScale_;
    TPaletteKind passPalette_ = TPaletteKind::Thermal;
    // The range a run asked for, for every channel, instead of the stored choices.
    std::optional<TColourRange> requestedRange_;
    // The saved picture with its legend.
    std::unique_ptr<TRasterCanvas> picture_;
    std::vector<std::string> arguments_;
    std::string executable_;
    std::vector<std::string> noDiagnostics_;
    int decodingStream_ = 0; // index in Streams of the stream the render pass decodes
    bool keepSamples_ = true;
    // The run reads and projects the outlines beside the decoding (TRunRequest::OutlinesBeside);
    // the outline file is still to be read.
    bool outlinesBeside_ = false;
    bool outlinesPending_ = false;
    std::int32_t samplesUnkept_ = 0;
    // The spectra's readers of the streams of the last render pass.
    TRecordChannelsReaders channelsReaders_;
    // The difference the user chose, for the sensor it was chosen with; one a run asked for,
    // whatever the sensor.
    std::string differenceSensor_;
    std::int32_t differenceChannel_ = 0;
    std::optional<int> requestedDifference_;
    // The outlines drawn beside the decoding: the map waits only for outlinesReady_, and the
    // thread is joined when the next one starts or the form goes.
    std::atomic<bool> outlinesReady_{true};
    std::exception_ptr outlineFailure_;
    // Last, so that they are joined before anything they use goes: the outline file read
    // ahead while a run opens its file (TCartogList::ReadAhead), and the outlines' drawing.
    std::jthread outlineReader_;
    std::jthread outlineDrawer_;
};

} // namespace veltra
