#include "formats/AappLayout.h"

namespace veltra {

namespace {

// Level 1c records: 6656 bytes for HIRS, 3072 for AMSU-A, 4608 for AMSU-B and MHS; Level 1d
// records 15872, with 40 values per footprint from 1852: HIRS 1-20, AMSU-A 1-15, AMSU-B 16-20.
constexpr TAappLayout BigEndianHirs = {1, 6656, {84, 0, 0}, {56, 120, 1472, 0, 80}};
constexpr TAappLayout BigEndianAmsuA = {3, 3072, {0, 88, 0}, {30, 100, 768, 0, 60}};
constexpr TAappLayout BigEndianAmsuB = {4, 4608, {0, 0, 88}, {90, 56, 2144, 0, 20}};
constexpr TAappLayout Level1d = {5, 15872, {96, 336, 516}, {56, 48, 1848, 1928, 160}};

// AAPP's own records, as its little-endian files hold them. HIRS agrees with the layout above
// (its channel 1 sits at 1476). In the microwave records AAPP keeps more per footprint before
// the temperatures: AMSU-B/MHS records hold the satellite altitude (km x 10) at 2216 and the
// temperatures of channels 16-20 from 2228 + 20 i, AMSU-A records channels 1-15 from
// 832 + 60 i, one footprint block (20 and 60 bytes) later than above. Positions, header fields
// and the 0.01 K scale are the same. Level 1d differs only in byte order.
constexpr TAappLayout NativeAmsuA = {3, 3072, {0, 88, 0}, {30, 100, 832 - 4, 0, 60}};
constexpr TAappLayout NativeAmsuB = {4, 4608, {0, 0, 88}, {90, 56, 2228 - 4 * 16, 0, 20}};

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
