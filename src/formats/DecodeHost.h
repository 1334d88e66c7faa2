#pragma once
// What the decoding pass sees of the main window: the state it reads (file extension, sensor,
// selected channel tab) and writes (sensor code, satellite name, captions, samples, the
// diagnostics lines) and the parts it draws with (the map canvas, the projection, the colour
// scale). The controller implements it; tests implement it with a fake.
#include <cstdint>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "base/Projector.h"
#include "formats/Samples.h"

namespace veltra {

struct TArchiveSummary;
struct TFootprintPlace;

class TDecodeHost {
public:
    virtual ~TDecodeHost() = default;

    // Upper-case extension of the opened file (the inner one for a bzip2 file), dot included.
    virtual std::string FileExt() const = 0;
    // Upper-case caption of the selected sensor tab: "HIRS", "AMSU-A" or "AMSU-B".
    virtual std::string SensorName() const = 0;
    // Caption of the selected channel tab; false when no channel tab is selected.
    virtual bool SelectedChannelCaption(std::string& caption) const = 0;
    virtual std::string BaseCaption() const = 0;
    // How Level 1b HIRS count words are read: false (the default) for 13-bit sign and
    // magnitude, true for the NOAA archive's convention of a negative count stored as
    // count + 4096 (see HirsCount).
    virtual bool UseHirsCountOffset() const { return false; }
    // Whether footprints that FootprintHidden (ScanLine.h) marks for the decoded channel are
    // left out, neither drawn nor sampled, as if off the map; their lines are still kept.
    virtual bool MaskFlaggedLines() const { return false; }
    // The channel (of the selected sensor) whose brightness temperature is subtracted from the
    // selected channel's at every footprint; 0 (the default) for the selected channel alone.
    virtual std::int32_t DifferenceChannel() const { return 0; }

    virtual TCanvas& MapCanvas() = 0;
    virtual const TProjector& Projection() const = 0;
    // Colour of a brightness temperature in the displayed range (kelvin).
    virtual TColour ColourForTemperature(float temperature) = 0;

    // The sample list, one entry per footprint drawn. The render pass empties it once before
    // its first stream, so it holds the footprints of every stream in drawing order. The pass
    // gives the scan line and footprint of the origin; the host knows the stream.
    virtual void AddSample(float latitude, float longitude, float temperature,
                           TSampleOrigin origin) = 0;
    virtual std::int32_t SampleCount() const = 0;
    // Each scan-line record read, before the samples of its footprints (ScanLine.h): gives the
    // index the samples' origins refer to (TSampleOrigin::Line), or -1 for a host that keeps
    // no lines. The host knows the stream and sets it.
    virtual std::int32_t AddScanLine(const TScanLineInfo& /*line*/) { return -1; }
    // Asked for each scan-line record before it is kept (with its record index and channel
    // set): false leaves the line out, as if it held no footprint (a time window, a line that
    // another input holds as well). Such a line is not kept either.
    virtual bool KeepLine(const TScanLineInfo& /*line*/) { return true; }
    // The stream's pass start and end from its headers, once they are read.
    virtual void SetPassTimes(const TPassTimes& /*times*/) {}
    // Follows each AddSample: the pixel the footprint was drawn at, its colour and the value
    // it shows (its temperature, or the visible channel's value). Hosts that need none of
    // these ignore it.
    virtual void FootprintDrawn(std::int32_t /*x*/, std::int32_t /*y*/, TColour /*colour*/,
                                float /*value*/)
    {
    }
    // A host that keeps no sample list (a composite) is spared the samples' origins and
    // angles: it gets FootprintDecoded instead of AddSample and FootprintDrawn.
    virtual bool KeepsSamples() const { return true; }
    // A host that takes every footprint decoded, placed by the view or not (a composite's
    // latitude-longitude grid); only those with OnMap are drawn.
    virtual bool WantsEveryFootprint() const { return false; }
    // Each footprint of a host that keeps no samples: where it is (TFootprintPlace, with the
    // footprint's index in its line and, when OnMap, its pixel), the value it shows (its
    // temperature, or the visible channel's value) and its colour; before it is drawn.
    virtual void FootprintDecoded(const TFootprintPlace& /*place*/, float /*value*/,
                                  TColour /*colour*/)
    {
    }

    // Record layout of the last header read; survives from one pass to the next.
    virtual std::uint8_t SensorCode() const = 0;
    virtual void SetSensorCode(std::uint8_t code) = 0;
    virtual std::string SatelliteName() const = 0;
    virtual void SetSatelliteName(const std::string& name) = 0;
    virtual std::string ChannelCaption() const = 0;
    virtual void SetChannelCaption(const std::string& caption) = 0;
    // The central wavenumber (cm^-1) of the channel just decoded, for the exports.
    virtual void SetChannelWavenumber(double /*wavenumber*/) {}
    // What an archive header told of the pass (satellite, times, station, processing
    // centre), given for each Level 1b stream whose header gives the acquisition times.
    virtual void SetArchiveSummary(const TArchiveSummary& /*summary*/) {}

    virtual void SetSatelliteLabel(const std::string& caption) = 0;
    virtual void SetSatelliteLabelHint(const std::string& hint) = 0;
    virtual void SetHintHidePause(int milliseconds) = 0;
    virtual void SetWindowCaption(const std::string& caption) = 0;
    virtual void SetSaveRawEnabled(bool enabled) = 0;

    // Lines shown by the diagnostics window; the pass only appends.
    virtual std::vector<std::string>& DiagnosticLines() = 0;
};

} // namespace veltra
