#pragma once
// The state of one decoding pass over one stream, shared by the header readers and the
// scan-line decoders, and the per-footprint plotting step they all use.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "base/Stream.h"
#include "formats/ByteOrder.h"
#include "formats/DecodeHost.h"
#include "formats/ScanLine.h"

namespace veltra {

enum class TInputFamily { ifLevel1b, ifLevel1c, ifLevel1d };

// Record layouts, as set by the header readers.
enum : std::uint8_t {
    SensorHirs = 1,
    SensorAmsuA = 3,
    SensorAmsuB = 4, // AMSU-B and MHS
    SensorLevel1d = 5,
};

struct TAappLayout;

// Reads the angles of a footprint (0-based) of a record from a block of angles at offset, in
// the stream's byte order; gives not a number for each angle the record does not hold sensibly.
using TFootprintAnglesReader = TFootprintAngles (*)(TBytes record, std::size_t offset,
                                                    std::size_t footprint, TByteOrder order);

struct TDecodeContext {
    explicit TDecodeContext(TDecodeHost& host)
        : Host(host), KeepsSamples(host.KeepsSamples()), EveryFootprint(host.WantsEveryFootprint())
    {
    }

    TDecodeHost& Host;
    // The host's map canvas and projection, asked for by BeginScanLine, which starts every
    // scan line, rather than per footprint.
    TCanvas* LineCanvas = nullptr;
    const TProjector* LineProjection = nullptr;
    std::int64_t LineJumpLimit = 0; // three quarters of the canvas width
    // Set by BeginScanLine when no footprint of the line can be visible, or the line holds no
    // data.
    bool LineBeyondReach = false;
    // Set by KeepScanLine when the host leaves the line out (TDecodeHost::KeepLine).
    bool LineLeftOut = false;
    // Set by BeginScanLine when the line's box lies beyond the projection's reach but the host
    // takes every footprint: its footprints are located, not projected.
    bool LineOffMap = false;
    // What the host asks for (TDecodeHost::KeepsSamples, WantsEveryFootprint).
    bool KeepsSamples = true;
    bool EveryFootprint = false;
    TInputFamily Family = TInputFamily::ifLevel1b;
    std::int32_t Channel = 0; // 1-20 HIRS, 1-15 AMSU-A, 16-20 AMSU-B/MHS
    // The channel whose brightness temperature is subtracted from Channel's at every footprint,
    // of the same sensor and decoded from the same record; 0 for none.
    std::int32_t Difference = 0;
    std::int32_t RecordSize = 0;  // bytes per record; 0 = unknown
    std::int32_t RecordCount = 0; // scan-line records to decode
    // Byte order of the stream's binary fields, chosen when its header is read: big-endian
    // unless the file was written the other way round (AAPP on little-endian computers).
    TByteOrder Order = TByteOrder::BigEndian;
    // The AAPP record layout chosen by the header (AappLayout.h); null when none applies.
    const TAappLayout* Aapp = nullptr;
    std::vector<std::uint8_t> RecordBuffer;
    // Per-channel tables at index channel - 1. Central wavenumbers in cm^-1; band correction
    // T = (T* - a) / b, shared by all sensors.
    std::array<double, 20> AmsuWavenumber{};
    std::array<double, 20> HirsWavenumber{};
    std::array<double, 20> BandCorrA{};
    std::array<double, 20> BandCorrB{};
    // The data set name the archive header stores (Level 1b), e.g. NSS.MHSX.NN.D08015...
    std::string DataSetName;
    TDateTime ArchiveStart = 0;
    TDateTime ArchiveEnd = 0;
    // The scan-line record being decoded (0-based) and how many were decoded whole.
    std::int32_t ScanLine = 0;
    std::int32_t LinesDecoded = 0;
    // The instrument whose lines the header announced, and the pass's start and end as the
    // headers give them (ScanLine.h).
    TLineInstrument Instrument = TLineInstrument::Unknown;
    TPassTimes Pass;
    // The scan line being decoded, as KeepScanLine left it: its index among the host's lines
    // (-1 when the host keeps none), its record, and where its footprints' angles lie.
    std::int32_t LineIndex = -1;
    TBytes LineRecord;
    TFootprintAnglesReader LineAngles = nullptr;
    std::size_t LineAnglesAt = 0;
    // Scan lines that hold no data: every footprint at exactly 0 N 0 E, which no scan can be
    // (the zero-filled tail of a partial download), and the last line that held data (-1 for
    // none). Nothing of such a line is drawn or kept.
    std::int32_t LinesWithoutData = 0;
    std::int32_t LastLineWithData = -1;
    // Footprints not drawn because their stored place cannot be on the Earth: latitude beyond
    // 90 degrees or longitude outside -180 to 360 degrees (both ways of writing east of the
    // date line).
    std::int64_t ImpossibleFootprints = 0;
    // Set by KeepScanLine when the host hides the line's footprints in the decoded channel.
    bool LineMasked = false;
    // Set by a header reader that finds, without failing, that the stream is not of the family
    // its name says (an AAPP instrument it does not know): the reason, in the user's terms.
    // The pass then decodes nothing from the stream.
    std::string FamilyMismatch;

    // Reads one whole record of RecordSize bytes into RecordBuffer (EReadError when short).
    TBytes ReadRecord(TStream& stream);
    // Reads the first size bytes of a header into RecordBuffer (EReadError when short). They
    // stay there until the next read, so the pass can take the record count from them.
    TBytes ReadHeader(TStream& stream, std::int32_t size);
};

// Drawing state of one scan line: footprints are joined within a line, never across lines.
struct TScanLinePen {
    bool PenDown = false;
    std::int32_t PreviousX = -1000000;
};

// Hands the record of the scan line being decoded to the host (with its place in the stream,
// the channel and, when the reader left it unknown, the header's instrument) before any of its
// footprints is plotted, and notes where the record keeps its footprints' angles: a block at
// anglesAt read by angles, or none when angles is null.
void KeepScanLine(TDecodeContext& context, TScanLineInfo line, TBytes record,
                  TFootprintAnglesReader angles, std::size_t anglesAt);

// Sets the pen width for a scan line and returns a fresh pen. The line's earth-location block
// (footprints of 8 bytes from offset locations, as LocateFootprint reads them) is looked over
// first: a line that holds no data and one whose box lies wholly beyond the reach of the
// projection have no footprint projected; places that cannot be on the Earth are counted.
TScanLinePen BeginScanLine(TDecodeContext& context, int penWidth, TBytes record,
                           std::size_t locations, std::size_t footprints);
// Sets the pen width back to 1.
void EndScanLine(TDecodeContext& context);

// Where a footprint lies: its latitude and longitude in degrees, stored in the record as two
// signed 32-bit numbers in units of 10^-4 degree, and the pixel the projection gives them.
struct TFootprintPlace {
    std::int32_t Footprint = 0; // 0-based index in the scan line
    float Latitude = 0;
    float Longitude = 0;
    std::int32_t X = 0;
    std::int32_t Y = 0;
    // What the visible channel shows instead of a temperature: the albedo in percent of a
    // Level 1b file, the file's own value of an AAPP one; not a number for the other channels.
    float Value = std::numeric_limits<float>::quiet_NaN();
    // False for a footprint the projection does not place (X and Y then mean nothing), which
    // is located only for a host that takes every footprint.
    bool OnMap = true;
};
// Reads the position of a footprint from the record's earth-location block (8 bytes per
// footprint from offset locations) and projects it; false when it is not visible, cannot be on
// the Earth, or its line is masked. For a host that takes every footprint
// (TDecodeHost::WantsEveryFootprint) a footprint of an unmasked line that can be on the Earth is
// true, with OnMap telling whether it is visible.
bool LocateFootprint(const TDecodeContext& context, TBytes record, std::size_t locations,
                     std::size_t footprint, TFootprintPlace& place);

// The common per-footprint step, for a footprint the projection placed: records the sample
// with its origin (scan line, footprint, the line kept by KeepScanLine and the footprint's
// angles) and joins it to the previous footprint of the line unless the horizontal
// jump exceeds three quarters of the bitmap width (a swath wrapping round a world map). A host
// that keeps no samples gets the footprint through FootprintDecoded instead, and also those
// not on the map when it takes every footprint; they are not drawn.
void PlotFootprint(TDecodeContext& context, TScanLinePen& pen, const TFootprintPlace& place,
                   float temperature, TColour colour);

} // namespace veltra
