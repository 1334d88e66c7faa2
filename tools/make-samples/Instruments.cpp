#include "make-samples/Instruments.h"

#include <cmath>

namespace veltra::samples {

namespace {

// HIRS/3 on NOAA-15: central wavenumbers (cm^-1) and band corrections (a K, b) of the
// NOAA-14 instrument, which HIRS/3 follows closely, with channel 12 moved to 6.5 um.
struct THirsFigures {
    double Wavenumber, A, B;
};
constexpr THirsFigures HirsFigures[19] = {
    {668.90, 0.002, 0.99998},  {679.36, -0.000, 0.99997}, {689.63, 0.011, 0.99994},
    {703.56, 0.001, 0.99994},  {714.50, -0.014, 0.99997}, {732.28, 0.026, 0.99989},
    {749.64, 0.019, 0.99991},  {898.67, 0.067, 0.99977},  {1028.31, 0.050, 0.99980},
    {796.04, 0.021, 0.99990},  {1360.95, 0.073, 0.99971}, {1530.13, 0.284, 0.99931},
    {2191.32, 0.021, 0.99996}, {2207.36, 0.020, 0.99997}, {2236.39, 0.024, 0.99998},
    {2268.12, 0.018, 0.99996}, {2420.24, 0.026, 0.99992}, {2512.21, 0.042, 0.99993},
    {2647.91, 0.313, 0.99946},
};

// Microwave central wavenumbers (cm^-1): frequency in GHz / 29.9792458.
constexpr double AmsuAWavenumbers[15] = {0.793883, 1.047391, 1.677827, 1.761218, 1.787770,
                                         1.814589, 1.832601, 1.851281, 1.911000, 1.911000,
                                         1.911000, 1.911000, 1.911000, 1.911000, 2.968720};
constexpr double AmsuBWavenumbers[5] = {2.968720, 5.003461, 6.114563, 6.114563, 6.114563};
constexpr double MhsWavenumbers[5] = {2.968720, 5.236956, 6.114597, 6.114597, 6.348092};

// Microwave band corrections are close to identity; a small, channel-dependent departure
// keeps them from looking like placeholders.
TStoredConstants Microwave(double wavenumber, int index)
{
    const double a = -0.0031 + 0.0007 * ((index * 5) % 7);
    const double b = 1.000270 - 0.000041 * ((index * 3) % 5);
    return {ToStored(wavenumber, 1e-6), ToStored(a, 1e-6), ToStored(b, 1e-6)};
}

} // namespace

const std::array<int, 21> HirsFilterPosition = {0, 1,  3, 4,  6,  16, 15, 10, 11, 20, 13,
                                                8, 18, 5, 14, 17, 19, 2,  7,  9,  12};

std::int32_t ToStored(double value, double scale)
{
    return static_cast<std::int32_t>(std::lround(value / scale));
}

TSatellite Noaa15()
{
    return {"NOAA-15", "noaa15", 'N', 'K', 15, 4, 850.0, 98.7};
}

TSatellite MetopA()
{
    return {"Metop-A", "metopa", 'M', '2', 2, 12, 820.0, 98.7};
}

double TScanGeometry::ScanAngleDeg(int footprint) const
{
    if (Footprints < 2)
        return 0.0;
    return -MaxAngleDeg + 2.0 * MaxAngleDeg * footprint / (Footprints - 1);
}

TScanGeometry ScanGeometry(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return {56, 49.5, 6.4};
    case TInstrument::AmsuA: return {30, 48.0 + 1.0 / 3.0, 8.0};
    case TInstrument::AmsuB: return {90, 48.95, 8.0 / 3.0};
    case TInstrument::Mhs: return {90, 49.0 + 4.0 / 9.0, 8.0 / 3.0};
    }
    return {};
}

int FirstChannel(TInstrument instrument)
{
    return instrument == TInstrument::AmsuB || instrument == TInstrument::Mhs ? 16 : 1;
}

int ChannelCount(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return 20;
    case TInstrument::AmsuA: return 15;
    case TInstrument::AmsuB:
    case TInstrument::Mhs: return 5;
    }
    return 0;
}

std::string InstrumentName(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return "HIRS";
    case TInstrument::AmsuA: return "AMSU-A";
    case TInstrument::AmsuB: return "AMSU-B";
    case TInstrument::Mhs: return "MHS";
    }
    return {};
}

double WavenumberScale(TInstrument instrument, int channel)
{
    return instrument == TInstrument::Hirs && channel >= 13 ? 1e-5 : 1e-6;
}

std::vector<TStoredConstants> StoredConstants(TInstrument instrument)
{
    std::vector<TStoredConstants> table;
    switch (instrument) {
    case TInstrument::Hirs:
        for (int c = 1; c <= 19; ++c) {
            const THirsFigures& f = HirsFigures[c - 1];
            table.push_back({ToStored(f.Wavenumber, WavenumberScale(instrument, c)),
                             ToStored(f.A, 1e-6), ToStored(f.B, 1e-6)});
        }
        break;
    case TInstrument::AmsuA:
        for (int i = 0; i < 15; ++i)
            table.push_back(Microwave(AmsuAWavenumbers[i], i));
        break;
    case TInstrument::AmsuB:
        for (int i = 0; i < 5; ++i)
            table.push_back(Microwave(AmsuBWavenumbers[i], i + 15));
        break;
    case TInstrument::Mhs:
        for (int i = 0; i < 5; ++i)
            table.push_back(Microwave(MhsWavenumbers[i], i + 15));
        break;
    }
    return table;
}

TChannelConstants Decode(TInstrument instrument, int channel, const TStoredConstants& stored)
{
    return {stored.Wavenumber * WavenumberScale(instrument, channel), stored.A * 1e-6,
            stored.B * 1e-6};
}

} // namespace veltra::samples
