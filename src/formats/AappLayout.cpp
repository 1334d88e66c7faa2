#include "formats/AappLayout.h"

#include <cmath>

namespace veltra {

namespace {

// Level 1c records: 6656 bytes for HIRS, 3072 for AMSU-A, 4608 for AMSU-B and MHS; Level 1d
// records 15872, with 40 values per footprint from 1852: HIRS 1-20, AMSU-A 1-15, AMSU-B 16-20.
// HIRS records hold the angles between the earth locations and the values, from 568.
constexpr TAappLayout BigEndianHirs = {1, 6656, {84, 0, 0}, {56, 120, 1472, 0, 80, 568}};
constexpr TAappLayout BigEndianAmsuA = {3, 3072, {0, 88, 0}, {30, 100, 768, 0, 60, 0}};
constexpr TAappLayout BigEndianAmsuB = {4, 4608, {0, 0, 88}, {90, 56, 2144, 0, 20, 0}};
constexpr TAappLayout Level1d = {5, 15872, {96, 336, 516}, {56, 48, 1848, 1928, 160, 0}};

// AAPP's own records, as its little-endian files hold them. HIRS agrees with the layout above
// (its channel 1 sits at 1476). In the microwave records AAPP keeps more per footprint before
// the temperatures: AMSU-B/MHS records hold the satellite altitude (km x 10) at 2216 and the
// temperatures of channels 16-20 from 2228 + 20 i, AMSU-A records channels 1-15 from
// 832 + 60 i, one footprint block (20 and 60 bytes) later than above. Positions, header fields
// and the 0.01 K scale are the same. Level 1d differs only in byte order. The angle blocks lie
// after the earth locations: AMSU-A from 340, AMSU-B/MHS from 776.
constexpr TAappLayout NativeAmsuA = {3, 3072, {0, 88, 0}, {30, 100, 832 - 4, 0, 60, 340}};
constexpr TAappLayout NativeAmsuB = {4, 4608, {0, 0, 88}, {90, 56, 2228 - 4 * 16, 0, 20, 776}};

constexpr std::size_t AngleBlock = 16; // bytes per footprint

bool IsKnownInstrument(std::int32_t instrument)
{
    return instrument == AappInstrumentHirs || instrument == AappInstrumentAmsuA ||
           instrument == AappInstrumentAmsuB || instrument == AappInstrumentMhs;
}

// Whether a Level 1d file of streamSize bytes can hold count scan lines: as many as start
// after the header record (a last record cut short still counts). A negative count, read as
// the unsigned number it is stored as, never fits.
bool Level1dHolds(std::int32_t count, std::int64_t streamSize)
{
    const std::int64_t size = Level1d.RecordSize;
    const std::int64_t lines = streamSize <= size ? 0 : (streamSize - size + size - 1) / size;
    return static_cast<std::int64_t>(static_cast<std::uint32_t>(count)) <= lines;
}

} // namespace

TFootprintAngles AappFootprintAngles(TBytes record, std::size_t offset, std::size_t footprint,
                                     TByteOrder order)
{
    TFootprintAngles angles;
    const std::size_t at = offset + AngleBlock * footprint;
    if (at > record.size() || record.size() - at < AngleBlock)
        return angles;
    angles.SatelliteZenith = ZenithAngle(ReadInt32(record, at, order));
    angles.SolarZenith = ZenithAngle(ReadInt32(record, at + 8, order));
    const float satellite = AzimuthAngle(ReadInt32(record, at + 4, order));
    const float sun = AzimuthAngle(ReadInt32(record, at + 12, order));
    const double difference = std::fmod(std::fabs(static_cast<double>(satellite) - sun), 360.0);
    angles.RelativeAzimuth = static_cast<float>(difference > 180 ? 360 - difference : difference);
    return angles;
}

TLineInstrument AappLineInstrument(std::int32_t instrument)
{
    switch (instrument) {
    case AappInstrumentHirs: return TLineInstrument::Hirs;
    case AappInstrumentAmsuA: return TLineInstrument::AmsuA;
    case AappInstrumentAmsuB: return TLineInstrument::AmsuB;
    case AappInstrumentMhs: return TLineInstrument::Mhs;
    default: return TLineInstrument::Unknown;
    }
}

TByteOrder AappByteOrder(TInputFamily family, TBytes header, std::int64_t streamSize)
{
    bool swapped = false;
    if (family == TInputFamily::ifLevel1d)
        swapped = !Level1dHolds(ReadBE32(header, AappScanLineCount), streamSize) &&
                  Level1dHolds(ReadLE32(header, AappScanLineCount), streamSize);
    else
        swapped = !IsKnownInstrument(ReadBE32(header, AappInstrumentIdentifier)) &&
                  IsKnownInstrument(ReadLE32(header, AappInstrumentIdentifier));
    return swapped ? TByteOrder::LittleEndian : TByteOrder::BigEndian;
}

const TAappLayout* AappLayoutOf(TInputFamily family, std::int32_t instrument, TByteOrder order)
{
    if (family == TInputFamily::ifLevel1d)
        return &Level1d;
    const bool native = order == TByteOrder::LittleEndian;
    switch (instrument) {
    case AappInstrumentHirs: return &BigEndianHirs;
    case AappInstrumentAmsuA: return native ? &NativeAmsuA : &BigEndianAmsuA;
    case AappInstrumentAmsuB:
    case AappInstrumentMhs: return native ? &NativeAmsuB : &BigEndianAmsuB;
    default: return nullptr;
    }
}

} // namespace veltra
