#pragma once
// The satellites and instruments the sample passes imitate: orbit figures, cross-track scan
// geometry, channel numbering, and the per-channel conversion constants (central wavenumber
// and band correction) in the scaled-integer form the file headers carry.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace veltra::samples {

enum class TInstrument { Hirs, AmsuA, AmsuB, Mhs };

struct TSatellite {
    std::string Name;        // "NOAA-15"
    std::string ShortName;   // "noaa15", as AAPP file names spell it
    char SeriesLetter = 'N'; // archive data set name: series and satellite letter ("NK")
    char Letter = 'K';
    std::int32_t AappId = 15; // satellite identifier of the AAPP headers
    std::uint16_t KlmId = 4;  // spacecraft identifier of the Level 1b data-set headers
    double AltitudeKm = 850.0;
    double InclinationDeg = 98.7;
};

TSatellite Noaa15();
TSatellite MetopA();

// Cross-track scanning: footprints per line, evenly spaced scan angles from -MaxAngle to
// +MaxAngle (degrees from nadir), and the time from one scan line to the next.
struct TScanGeometry {
    int Footprints = 0;
    double MaxAngleDeg = 0;
    double LinePeriodS = 0;

    double ScanAngleDeg(int footprint) const;
};

TScanGeometry ScanGeometry(TInstrument instrument);

// Channel numbering: HIRS 1-20 (20 is visible), AMSU-A 1-15, AMSU-B and MHS 16-20.
int FirstChannel(TInstrument instrument);
int ChannelCount(TInstrument instrument);
std::string InstrumentName(TInstrument instrument); // "HIRS", "AMSU-A", "AMSU-B", "MHS"

// Conversion constants of one channel as stored: the central wavenumber (HIRS channels 1-12
// and every microwave channel in 10^-6 cm^-1, HIRS channels 13-19 in 10^-5 cm^-1, since 2190
// cm^-1 in 10^-6 units would overflow a signed 32-bit field) and the band correction
// T* = A + B * T, both in 10^-6.
struct TStoredConstants {
    std::int32_t Wavenumber = 0;
    std::int32_t A = 0;
    std::int32_t B = 0;
};

// A physical value as a stored signed 32-bit integer in units of scale (rounded to nearest).
std::int32_t ToStored(double value, double scale);

// The values a reader takes from the stored integers.
struct TChannelConstants {
    double Wavenumber = 0; // cm^-1
    double A = 0;          // K
    double B = 1;
};

// Stored constants of every infrared or microwave channel of the instrument, in channel
// order from FirstChannel (HIRS: 19 entries, the visible channel has none).
std::vector<TStoredConstants> StoredConstants(TInstrument instrument);
double WavenumberScale(TInstrument instrument, int channel);
TChannelConstants Decode(TInstrument instrument, int channel, const TStoredConstants& stored);

// Filter-wheel position (1-20) of each HIRS channel, at index channel (index 0 unused). HIRS
// counts and per-line calibration coefficients are stored in filter-position order.
extern const std::array<int, 21> HirsFilterPosition;

} // namespace veltra::samples
