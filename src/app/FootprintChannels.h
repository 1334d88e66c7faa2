#pragma once
// The sounder at one footprint: every channel of its sensor as the spectrum the instrument
// measured there, the rows the window's "Footprint" panel plots and veltra-render --spectrum
// prints, with their CSV text; and how far a point may lie from a footprint and still be
// taken as in it.
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "app/FootprintReadout.h"
#include "formats/RecordChannelsReader.h"
#include "formats/Samples.h"

namespace veltra {

class TStreamList;

struct TSpectrumRow {
    int Channel = 0;
    double Wavenumber = 0; // central, cm^-1, from the header; 0 where it gives none
    // Where the channel lies: the frequency of a microwave channel in GHz (FrequencyGhz of its
    // wavenumber), the wavelength of an infrared one in micrometres (10^4
    // over the wavenumber; the visible channel at its nominal 0.69); 0 for the other.
    double Frequency = 0, Wavelength = 0;
    // The channel as the field names it: "183.31±1 GHz", "57.29±0.217 GHz", "11.1 µm".
    std::string Passband;
    bool Albedo = false; // the visible channel: Value is its albedo in percent
    // The brightness temperature (K) or the albedo; not a number where there is none.
    float Value = std::numeric_limits<float>::quiet_NaN();
};

struct TFootprintSpectrum {
    std::string Sensor; // the sensor tab ("HIRS", "AMSU-A", "AMSU-B")
    bool Microwave = false, Mhs = false;
    // The footprint: its stream in the render pass, its scan-line record and place in the line
    // (from 0) and where it lies.
    std::int32_t Stream = 0, ScanLine = 0, Footprint = 0;
    float Latitude = 0, Longitude = 0;
    // What the sample list tells of it (FootprintDetailsOf), without the value the map drew;
    // and the time of its scan line in ISO 8601, empty when the line holds none.
    TFootprintDetails Details;
    std::string UtcTime;
    // The channels the map shows (and subtracts, for a difference; 0 for none).
    int Shown = 0, Subtracted = 0;
    std::vector<TSpectrumRow> Rows;
    // The opening of the streams the values were read from (TStreamList::Generation).
    std::uint64_t Streams = 0;
};

// The panel's caption: the details there are, as the read-out has them (TFootprintDetails).
std::string SpectrumCaption(const TFootprintSpectrum& spectrum);
// The line veltra-render prints before the CSV lines: "# " and the UTC time, position, distance
// from the point asked for ("3.2 km away"), place and file.
std::string SpectrumHeader(const TFootprintSpectrum& spectrum, double distanceKm);

// The rows of the channel values of one footprint. mhs: the AMSU-B tab's instrument is MHS.
std::vector<TSpectrumRow> SpectrumRows(const std::vector<TChannelValue>& values, bool microwave,
                                       bool mhs, bool level1b);

// "channel,central_wavenumber,frequency_ghz,wavelength_um,passband,brightness_temperature",
// then one line per row; the unit column that does not apply, and a value there is none of,
// left empty. Numbers in their shortest exact form (the value as the CSV export writes it).
std::string SpectrumCsv(const TFootprintSpectrum& spectrum);

// Whether the AMSU-B tab of a file shows MHS: its lines say so, or, for a Level 1d file (all
// on the HIRS grid), its satellite flies MHS (NOAA-18, NOAA-19, Metop).
bool ShowsMhs(TLineInstrument lines, const std::string& satellite);

// The distance between two points on the Earth (a sphere of 6371 km), km.
double GreatCircleKm(double latitude1, double longitude1, double latitude2, double longitude2);

// How large a footprint of the instrument is, km, at its place in the scan (0-based): the
// distance to its neighbours, the larger of the distance between scan lines along the track
// (the instrument's line interval at the ground speed of an 850 km orbit, 6.56 km/s: HIRS 42
// km, AMSU-A 52 km, AMSU-B and MHS 17.5 km) and that between footprints along the scan, from
// the scan step at that angle seen from 850 km (at nadir HIRS 26.7 km, AMSU-A 49 km, AMSU-B
// 16.3 km, MHS 16.5 km; about three times that at the swath's edges). A point no further than
// this from a footprint's centre lies between it and its neighbours.
double FootprintSizeKm(TLineInstrument instrument, std::int32_t footprint);

// The readers of the streams of one render pass, made when a spectrum is first asked of a
// stream and kept until the next pass, when the streams or the choices may have changed.
class TRecordChannelsReaders {
public:
    void Clear(std::uint64_t streams);
    // The reader of stream `index`; null when the streams are no longer those of the pass.
    TRecordChannelsReader* Of(const TStreamList& list, int index, const std::string& fileExt,
                              const std::string& sensorName, bool hirsCountOffset);
    std::uint64_t Streams() const { return streams_; }

private:
    std::uint64_t streams_ = 0;
    std::vector<std::unique_ptr<TRecordChannelsReader>> readers_;
};

} // namespace veltra
