#pragma once
// What the controller asks of its window: show states and texts, run dialogs and timers, and
// the few platform services it needs (a painter for the text and widest pens of the map
// bitmap, the JPEG writer). The Qt main window implements it; tests use a fake that records
// calls; the batch renderer a headless one.
#include <memory>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "imaging/RasterCanvas.h"
#include "mapping/ProjectionKinds.h"

namespace veltra {

enum class TMenuItem {
    FileOpen,
    FileSaveAs,
    FileSaveRaw,
    FileExit,
    ViewDiagnostics,
    ViewZoomIn,
    ViewZoomOut,
    ViewFitToPass,
    ViewResetView,
    ViewFillFootprints,
    ViewPaletteThermal,
    ViewPaletteViridis,
    ViewPaletteCividis,
    ViewPaletteGrey,
    ViewPaletteDifference,
    ViewHideFlaggedLines,
    ViewDifference,
    ViewFootprintSpectrum,
    ViewCompositeLatest, // View > Composite: one radio item per rule, in CompositeRules order
    ViewCompositeNadir,
    ViewCompositeMin,
    ViewCompositeMax,
    ViewCompositeMean,
    BackgroundBlack,
    BackgroundWhite,
    ProjectionMercator,
    ProjectionMercatorZoomed,
    ProjectionOrthographic,
    ProjectionPlateCarree,
    ProjectionPlateCarreeZoomed,
    ProjectionPolarStereographic,
    RegionAtlantic,
    RegionEurope,
    RegionIndianOcean,
    RegionNorthAmerica,
    RegionNorthPole,
    RegionSouthAmerica,
    OptionsHirsCountOffset,
    OptionsColourRange,
    OptionsAutoRange,
    OptionsLegend,
    HelpContents,
    HelpAbout,
};

// The projection items of the Options menu and the kinds they choose, in the menu's order (the
// texts are the kinds' own, mapping/ProjectionKinds.h).
struct TProjectionMenuItem {
    TMenuItem Item;
    TProjectionKind Kind;
};
inline constexpr TProjectionMenuItem ProjectionMenuItems[] = {
    {TMenuItem::ProjectionMercator, pkMercator},
    {TMenuItem::ProjectionMercatorZoomed, pkMercatorZoomed},
    {TMenuItem::ProjectionOrthographic, pkOrthographic},
    {TMenuItem::ProjectionPlateCarree, pkPlateCarree},
    {TMenuItem::ProjectionPlateCarreeZoomed, pkPlateCarreeZoomed},
    {TMenuItem::ProjectionPolarStereographic, pkPolarStereographic}};

enum class TCheckBoxId { TempsInC, FixMaxTemp, Gridlines, OpenGroup };
enum class TLabelId { MinTemp, MaxTemp, SatName, CursorLocation, FootprintValue, FlaggedLines };
enum class TTimerId { Load, Resize, Render };

struct TOpenDialogRequest {
    std::string Filter;        // "Compressed files (*.bz2)|*.bz2|..." pairs of caption and masks
    std::string InitialFolder; // with its trailing separator
    int FilterIndex = 1;       // 1-based; the dialog writes back the filter the user ended on
    std::string FileName;      // out: the chosen file (the first, when several were chosen)
    std::vector<std::string> FileNames; // out: every chosen file, when the dialog took several
};

// Options > "Colour range...": the range of one channel, in kelvin, as two texts the user
// edits; or back to the channel's default limits.
struct TColourRangeRequest {
    std::string Channel;          // "HIRS channel 8"
    std::string Minimum, Maximum; // in: the range shown; out: what the user typed
    bool Default = false;         // out: the user asked for the channel's default limits
};

// View > "Difference with channel...": the channel whose brightness temperature is subtracted
// from the shown channel's at every footprint, one of the sensor's others, or none.
struct TDifferenceRequest {
    std::string Sensor;        // "HIRS"
    int Channel = 0;           // the channel shown
    std::vector<int> Channels; // those that may be subtracted from it
    int Subtracted = 0;        // in: the one subtracted now; out: the user's choice; 0 for none
};

struct TSaveDialogRequest {
    std::string Filter;           // "JPEG files (*.jpg)|*.jpg"
    std::string DefaultExtension; // "jpg"
    std::string FileName;         // in: the preset name; out: the chosen file
};

class TVeltraView {
public:
    virtual ~TVeltraView() = default;

    virtual void SetWindowCaption(const std::string& caption) = 0;
    virtual void SetMenuEnabled(TMenuItem item, bool enabled) = 0;
    virtual void SetMenuChecked(TMenuItem item, bool checked) = 0;
    // Replacing the captions of a tab control selects its first tab.
    virtual void SetSensorTabs(const std::vector<std::string>& captions) = 0;
    virtual void SetSensorTabIndex(int index) = 0;
    virtual void SetChannelTabs(const std::vector<std::string>& captions) = 0;
    virtual void SetChannelTabIndex(int index) = 0;
    virtual void SetLabelCaption(TLabelId label, const std::string& caption) = 0;
    virtual void SetLabelHint(TLabelId label, const std::string& hint) = 0;
    virtual void SetHintHidePause(int milliseconds) = 0;
    virtual bool IsChecked(TCheckBoxId box) const = 0;
    // Checks or clears a check box without running its click handler.
    virtual void SetChecked(TCheckBoxId box, bool checked) = 0;
    virtual void SetCheckBoxVisible(TCheckBoxId box, bool visible) = 0;
    virtual void SetScaleBarHeight(int height) = 0;
    // Height in pixels of a text in the window's font.
    virtual int TextHeight(const std::string& text) const = 0;
    // Client size of the image control the map bitmap fills.
    virtual void ImageDisplaySize(int& width, int& height) const = 0;
    virtual void InvalidateImage() = 0;
    virtual void InvalidateScale() = 0;
    // One-shot timers: starting a running timer restarts it.
    virtual void StartTimer(TTimerId timer, int milliseconds) = 0;
    virtual void StopTimer(TTimerId timer) = 0;
    virtual void BeginBusyCursor() = 0;
    virtual void EndBusyCursor() = 0;
    virtual void RegisterDropTarget() = 0;
    virtual void UnregisterDropTarget() = 0;

    virtual bool ExecuteOpenDialog(TOpenDialogRequest& request) = 0;
    // Asks before overwriting an existing file; false when the user cancels or declines.
    virtual bool ExecuteSaveDialog(TSaveDialogRequest& request) = 0;
    // False when the user cancels.
    virtual bool ExecuteColourRangeDialog(TColourRangeRequest& /*request*/) { return false; }
    virtual bool ExecuteDifferenceDialog(TDifferenceRequest& /*request*/) { return false; }
    // The "Footprint" panel, which plots every channel of the footprint under the cursor.
    virtual void ShowFootprintPanel(bool /*visible*/) {}
    virtual void ShowMessage(const std::string& text) = 0;
    // A failure the user must see: an error box on a display, standard error without one.
    virtual void ShowError(const std::string& text) = 0;
    // The status the program ends with when the window closes (0 unless set).
    virtual void SetExitCode(int code) = 0;
    // The non-modal status line under the map: one "FILE: REASON" line per stream the last
    // render pass did not decode completely; none hides it.
    virtual void ShowStreamProblems(const std::vector<std::string>& lines) = 0;
    virtual void ShowDiagnostics() = 0;
    virtual void ShowAbout() = 0;
    // The short help window (what the controls do, keys, how to zoom).
    virtual void ShowHelp() {}
    // The entries of File > Open recent, newest first; a missing file is shown disabled.
    virtual void SetRecentFiles(const std::vector<std::string>& /*names*/,
                                const std::vector<bool>& /*present*/)
    {
    }
    virtual void Close() = 0;

    // Draws the text and the widest pens of the map bitmap, which the controller owns; asked
    // for once, when the controller is made, and used for the controller's whole life.
    virtual TCanvasPainter& Painter() = 0;
    // Writes the pixels as a JPEG with a comment; raises EWriteError("Error writing JPEG to
    // file") on any failure, leaving an existing file of that name untouched.
    virtual void SaveJPEG(const TRgbImage& pixels, const std::string& fileName, int quality,
                          const std::string& comment) = 0;
};

} // namespace veltra
