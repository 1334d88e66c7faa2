#pragma once
// The spectrum of one footprint: the value of every channel of the selected sensor at that
// footprint, read from the one scan-line record that holds it and calibrated as the decoding
// pass of each channel alone calibrates it, value for value. A stream's headers are read once
// and kept, so each footprint costs one record read and the channels' arithmetic, not a pass.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "formats/ScanLine.h"

namespace veltra {

// The channels of a sensor tab: "HIRS" 1-20, "AMSU-A" 1-15, "AMSU-B" (AMSU-B and MHS) 16-20;
// none for any other name.
std::vector<int> SensorChannels(const std::string& sensorName);

// The frequency in GHz of a wavenumber in cm^-1: the speed of light is 29.9792458 cm per
// nanosecond. (The channel captions round this to 30, as they always have; a frequency given
// beside the channel's published passband must not: 183.311 GHz, not 183.44.)
constexpr double FrequencyGhz(double wavenumber)
{
    return 29.9792458 * wavenumber;
}

struct TChannelValue {
    int Channel = 0;
    double Wavenumber = 0; // central, cm^-1, as the header gives it; 0 for the visible channel
    // HIRS channel 20, whose Value is what the decoding pass takes for it instead of a
    // temperature: the albedo in percent (Level 1b) or the file's own value (AAPP).
    bool Visible = false;
    // The brightness temperature in kelvin, in single precision as the pass keeps it; not a
    // number where the channel cannot be calibrated (a header without its band correction).
    float Value = std::numeric_limits<float>::quiet_NaN();
};

class TRecordChannelsReader {
public:
    // Reads `stream` (not owned, and kept open while the reader lives) as the decoding pass
    // would with the host's file extension (".L1B", ".L1C", ".L1D"; upper case), selected
    // sensor tab and reading of HIRS count words.
    TRecordChannelsReader(TStream& stream, const std::string& fileExt,
                          const std::string& sensorName, bool hirsCountOffset);
    ~TRecordChannelsReader();
    TRecordChannelsReader(const TRecordChannelsReader&) = delete;
    TRecordChannelsReader& operator=(const TRecordChannelsReader&) = delete;

    // Every channel of the sensor, in channel order, at a footprint (0-based) of a scan-line
    // record (0-based) of the stream. The headers are read at the first call. Raises (an
    // EVeltraError) when they or the record cannot be read, or the record or footprint is not
    // in the stream.
    std::vector<TChannelValue> Spectrum(std::int32_t record, std::int32_t footprint);

    // Once the headers are read: the instrument whose records they announce (Level 1d, which
    // holds all three sounders on the HIRS grid: Hirs) and the satellite's name.
    TLineInstrument Instrument() const;
    std::string SatelliteName() const;

private:
    class THost;
    std::unique_ptr<THost> host_;
};

} // namespace veltra
