#pragma once
// A small reader of the written files, done independently of the writers: fields at their
// documented offsets, counts calibrated to radiances and brightness temperatures with the
// forward formulas a decoder applies. The tests compare what it reads with the pass values.
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/ByteOrder.h"

namespace veltra::test {

using TFile = std::span<const std::uint8_t>;

constexpr double C1 = 1.1910427e-5, C2 = 1.4387752;
constexpr int FilterPosition[21] = {0, 1,  3, 4,  6,  16, 15, 10, 11, 20, 13,
                                    8, 18, 5, 14, 17, 19, 2,  7,  9,  12};

inline double InversePlanck(double radiance, double wavenumber)
{
    if (radiance <= 0)
        return 0.0;
    return C2 * wavenumber / std::log(1.0 + C1 * std::pow(wavenumber, 3) / radiance);
}

inline int SignMagnitude(std::uint16_t word)
{
    return (word & 0x1000) ? (word & 0x0FFF) : -(word & 0x0FFF);
}

// A band-corrected temperature from three stored constants and a radiance.
inline double Temperature(std::int32_t wavenumber, double wavenumberScale, std::int32_t a,
                          std::int32_t b, double radiance)
{
    return (InversePlanck(radiance, wavenumber * wavenumberScale) - a * 1e-6) / (b * 1e-6);
}

// Level 1b: record r (0 = data-set header) starts at 512 + r * size.
inline TFile Level1bRecord(TFile file, int size, int record)
{
    return file.subspan(512 + static_cast<std::size_t>(size) * static_cast<std::size_t>(record),
                        static_cast<std::size_t>(size));
}

// HIRS Level 1b count of a channel at a footprint of a line (0-based).
inline int HirsCount(TFile file, int line, int footprint, int channel)
{
    const TFile r = Level1bRecord(file, 4608, line + 1);
    return SignMagnitude(ReadBE16(r, 1458 + 48 * footprint + 2 * FilterPosition[channel]));
}

// HIRS Level 1b: temperature (K), or albedo (%) for channel 20.
inline double HirsValue(TFile file, int line, int footprint, int channel)
{
    const TFile h = Level1bRecord(file, 4608, 0);
    const TFile r = Level1bRecord(file, 4608, line + 1);
    const int k = FilterPosition[channel];
    const double slope = ReadBE32(r, 144 + 12 * k + 4) * 1e-9;
    const double intercept = ReadBE32(r, 144 + 12 * k + 8) * 1e-6;
    const double radiance = HirsCount(file, line, footprint, channel) * slope + intercept;
    if (channel == 20)
        return radiance;
    const std::size_t e = 520 + 12 * static_cast<std::size_t>(channel - 1);
    return Temperature(ReadBE32(h, e), channel <= 12 ? 1e-6 : 1e-5, ReadBE32(h, e + 4),
                       ReadBE32(h, e + 8), radiance);
}

// AMSU-A Level 1b count of channel 1-15.
inline int AmsuACount(TFile file, int line, int footprint, int channel)
{
    const TFile r = Level1bRecord(file, 2560, line + 1);
    const std::size_t block = 904 + 34 * static_cast<std::size_t>(footprint);
    const auto w = [&](int i) { return static_cast<int>(ReadBE16(r, block + 2 * i)); };
    if (channel == 1)
        return (w(0) + w(2)) / 2;
    if (channel == 2)
        return (w(1) + w(3)) / 2;
    return w(channel + 1);
}

// AMSU: count -> radiance with the line's quadratic coefficients (at `coefficients`, scaled by
// `scales`) -> band-corrected temperature with the header's constants (at `constants`).
inline double AmsuValue(TFile file, int size, int line, std::size_t coefficients,
                        const double (&scales)[3], std::size_t constants, double count)
{
    const TFile h = Level1bRecord(file, size, 0);
    const TFile r = Level1bRecord(file, size, line + 1);
    const double radiance = ReadBE32(r, coefficients) * scales[0] * count * count +
                            ReadBE32(r, coefficients + 4) * scales[1] * count +
                            ReadBE32(r, coefficients + 8) * scales[2];
    return Temperature(ReadBE32(h, constants), 1e-6, ReadBE32(h, constants + 4),
                       ReadBE32(h, constants + 8), radiance);
}

inline double AmsuAValue(TFile file, int line, int footprint, int channel)
{
    const auto index = static_cast<std::size_t>(channel - 1);
    return AmsuValue(file, 2560, line, 80 + 12 * index, {1e-19, 1e-13, 1e-9}, 688 + 12 * index,
                     AmsuACount(file, line, footprint, channel));
}

inline int AmsuBCount(TFile file, int line, int footprint, int channel)
{
    const TFile r = Level1bRecord(file, 3072, line + 1);
    return ReadBE16(r, 1480 + 12 * static_cast<std::size_t>(footprint) +
                           2 * static_cast<std::size_t>(channel - 15));
}

// AMSU-B; MHS keeps the header's constants at 416 instead of 324.
inline double AmsuBValue(TFile file, int line, int footprint, int channel,
                         std::size_t constants = 324)
{
    const auto index = static_cast<std::size_t>(channel - 16);
    return AmsuValue(file, 3072, line, 60 + 12 * index, {1e-16, 1e-10, 1e-6},
                     constants + 12 * index, AmsuBCount(file, line, footprint, channel));
}

// AAPP: the record after the header; the raw stored word at an offset.
inline std::int32_t AappWord(TFile file, int size, int line, std::size_t offset,
                             bool littleEndian = false)
{
    const TFile record =
        file.subspan(static_cast<std::size_t>(size) * static_cast<std::size_t>(line + 1),
                     static_cast<std::size_t>(size));
    return littleEndian ? ReadLE32(record, offset) : ReadBE32(record, offset);
}

// AAPP: where a record keeps its footprints' values, channel c at Values + Stride j + 4 c, in
// hundredths of a kelvin. Level 1c by instrument, Level 1d by the sensor tab read (HIRS values
// first, then the microwave ones). Native files, as AAPP writes them on little-endian
// computers, are little-endian and keep the microwave values of Level 1c from 832 (AMSU-A,
// channel 1) and 2228 (AMSU-B/MHS, channel 16).
struct TAappValues {
    int RecordSize;
    std::size_t Values, Stride;
    bool LittleEndian = false;
};

inline TAappValues AappValuesOf(bool level1d, const std::string& sensor, bool native = false)
{
    if (level1d)
        return {15872, sensor == "HIRS" ? 1848u : 1928u, 160, native};
    if (sensor == "HIRS")
        return {6656, 1472, 80, native};
    if (sensor == "AMSU-A")
        return {3072, native ? 832u - 4 : 768u, 60, native};
    return {4608, native ? 2228u - 4 * 16 : 2144u, 20, native}; // AMSU-B and MHS
}

inline double AappValue(TFile file, const TAappValues& layout, int line, int footprint, int channel)
{
    return AappWord(file, layout.RecordSize, line,
                    layout.Values + layout.Stride * static_cast<std::size_t>(footprint) +
                        4 * static_cast<std::size_t>(channel),
                    layout.LittleEndian) /
           100.0;
}

} // namespace veltra::test
