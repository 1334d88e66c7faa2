#pragma once
// One run of the viewer from start to its first picture, as the batch renderer, the tests and
// the fuzz targets ask for it: TFormVeltra::RunOnce creates the window's state, applies what
// the request sets, shows the window, sizes the map, opens the file and selects the sensor and
// channel. A field left unset keeps what the settings store or the view has, so a test can ask
// for one thing only. New choices (a palette, a composite rule) are new fields here.
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "imaging/ColourRange.h"
#include "imaging/Palette.h"

namespace veltra {

struct TRunRequest {
    // The settings, as the store would hold them.
    std::optional<TColour> Background; // 0 black, 0xFFFFFF white
    std::optional<int> Projection;     // a projection kind's code (mapping/ProjectionKinds.h)
    std::optional<int> Region;         // a region preset, 0-5
    std::optional<bool> FillFootprints, HirsCountOffset, HideFlaggedLines;
    std::optional<TPaletteKind> Palette;
    std::optional<bool> Legend; // "Legend in saved pictures"
    // The range of every channel drawn, instead of each channel's stored choice.
    std::optional<TColourRange> Range;
    // The check boxes.
    std::optional<bool> Gridlines, FixMaxTemp, TempsInC, OpenGroup;
    // The map bitmap's size in pixels; 0 by 0: the size of the view's image.
    int Width = 0, Height = 0;
    // The outline file to draw instead of the one found beside the program.
    std::optional<std::string> Countries;
    // The view after the region preset, degrees, as a pan and zoom would leave it; not a
    // number: as the preset has it. The latitude span follows the map's shape unless given.
    float CentreLatitude = NAN, CentreLongitude = NAN, LongitudeSpan = NAN, LatitudeSpan = NAN;
    // The input to open and draw as the load timer would; empty: none.
    std::string File;
    // The sensor tab ("HIRS", "AMSU-A", "AMSU-B"; MHS data are under "AMSU-B") to select after
    // detection from the name, and the channel number to select.
    std::optional<std::string> Sensor;
    std::optional<int> Channel;
    // The channel of the same sensor whose brightness temperature is subtracted from Channel's
    // at every footprint (Channel must be given too); none: Channel alone.
    std::optional<int> Difference;
    // One render pass only: the plain files' records are read from disk, not held in memory.
    bool RenderOnce = false;
    // Nothing reads the footprints back after the run (a render that writes pictures and
    // counts): they are drawn and counted, and the sample list is left empty unless the
    // picture itself needs it (footprints filled, a range stretched over them).
    bool SamplesUnread = false;
    // The first channel is not drawn before the one asked for, nor the empty map before a file
    // is open: nothing reads the diagnostics lines, the one trace of those drawings besides the
    // time they take.
    bool DrawOnce = false;
    // The outline file is read and the outlines projected (for a single file also drawn, into
    // the recording the map replays) on other threads while the render pass decodes the
    // footprints (a render on a computer of several processors).
    bool OutlinesBeside = false;
    // A composite of every file of Files (File is then ignored), by the rule's name ("latest",
    // "nadir", "min", "max", "mean"); none: File alone, as ever.
    std::optional<std::string> Composite;
    std::vector<std::string> Files;
    // Scan lines kept: From <= time < To, ms since 1970 (single files and composites alike).
    std::optional<std::int64_t> From, To;
    // Passes of a composite decoded at once; 0: one per processor.
    int Jobs = 0;
    // The composite's grid step in degrees; 0: no grid is made.
    double GridStep = 0;
};

enum class TRunResult {
    Shown,             // what was asked for is drawn
    NotOpened,         // no stream of File could be opened
    SensorNotOffered,  // Sensor is not one of the sensor tabs for File
    ChannelNotOffered, // Channel is not one of the selected sensor's channels
    // Difference is not another channel of the sensor, or one of the two is the visible one
    DifferenceNotOffered,
    OutlinesNotLoaded, // Countries is too large to load; the last of Notices says so
};

} // namespace veltra
