#pragma once
// Where AAPP Level 1c and Level 1d files keep their fields, for each byte order they are found
// in. The big-endian layouts are the format as it is defined; the little-endian ones are what
// AAPP itself writes on x86 and ARM computers, where it stores every 32-bit field in the
// machine's own order and puts the microwave brightness temperatures one footprint block
// further on. A stream's layout is chosen once, when its header is read.
#include <cstddef>
#include <cstdint>

#include "formats/ByteOrder.h"
#include "formats/DecodeContext.h"

namespace veltra {

// Header fields, signed 32-bit.
constexpr std::size_t AappSatelliteIdentifier = 24;
constexpr std::size_t AappInstrumentIdentifier = 28; // Level 1c only
constexpr std::size_t AappScanLineCount = 72;
// The data's start and end, each as year, day of year and millisecond of the day ("startdatayr",
// "startdatady", "startdatatime" and the same for the end; satpy's AAPP reader). Level 1d
// shares the start of the Level 1c header (satellite, scan-line count) and is read the same.
constexpr std::size_t AappStartDate = 44;
constexpr std::size_t AappEndDate = 60;

// Level 1c scan-line fields, signed 32-bit: the line number, its year, day of year and
// millisecond of the day, AAPP's copy of the KLM quality indicator ("qualind") and of the
// scan-line quality flags ("scnlinqual"). Level 1d records hold none of them.
constexpr std::size_t AappLineNumber = 0;
constexpr std::size_t AappLineYear = 4;
constexpr std::size_t AappLineDay = 8;
constexpr std::size_t AappLineTime = 12;
constexpr std::size_t AappLineQuality = 16;
constexpr std::size_t AappLineScanQuality = 20;

enum : std::int32_t {
    AappInstrumentHirs = 5,
    AappInstrumentAmsuA = 10,
    AappInstrumentAmsuB = 11,
    AappInstrumentMhs = 12
};

// Where each channel-constants table starts in the header (0: the file has none). Each holds
// three signed 32-bit numbers per channel: wavenumber, band-correction a and b.
struct TAappConstantTables {
    std::size_t Hirs = 0;
    std::size_t AmsuA = 0;
    std::size_t AmsuB = 0;
};

// Scan-line layout: footprint i has its latitude and longitude (10^-4 degree) at
// EarthLocation + 8 i and the value of channel c at Values + Stride i + 4 c; in Level 1d the
// microwave channels (AMSU-A 1-15, AMSU-B 16-20) take theirs from MicrowaveValues instead.
// Level 1c records as AAPP writes them keep four angles per footprint from Angles + 16 i
// (AappFootprintAngles); 0 where the record has no such block (Level 1d, and the big-endian
// microwave layout, whose temperatures start where AAPP's angle block ends).
struct TAappLineLayout {
    int Footprints = 0;
    std::size_t EarthLocation = 0;
    std::size_t Values = 0;
    std::size_t MicrowaveValues = 0;
    std::size_t Stride = 0;
    std::size_t Angles = 0;
};

struct TAappLayout {
    std::uint8_t SensorCode = 0;
    std::int32_t RecordSize = 0;
    TAappConstantTables Constants;
    TAappLineLayout Line;
};

// A footprint's angles from an AAPP angle block (TFootprintAnglesReader): four signed 32-bit
// numbers in 10^-2 degree, satellite zenith, satellite azimuth, solar zenith, solar azimuth;
// the relative azimuth is the difference of the two azimuths, folded into 0-180 degrees.
TFootprintAngles AappFootprintAngles(TBytes record, std::size_t offset, std::size_t footprint,
                                     TByteOrder order);

// The line instrument of a Level 1c instrument identifier (Unknown for any other).
TLineInstrument AappLineInstrument(std::int32_t instrument);

// The byte order of an AAPP file, from the start of its header and the stream's size in bytes.
// Level 1c: little-endian when the instrument identifier names no instrument read big-endian
// but does read little-endian. Level 1d, which has no identifier: little-endian when the
// scan-line count read big-endian is more than the file can hold and read little-endian is
// not. Everything else is big-endian.
TByteOrder AappByteOrder(TInputFamily family, TBytes header, std::int64_t streamSize);

// The layout of the family and, for Level 1c, the instrument identifier, in the byte order;
// nullptr for an instrument the viewer does not know.
const TAappLayout* AappLayoutOf(TInputFamily family, std::int32_t instrument, TByteOrder order);

} // namespace veltra
