#pragma once
// The 512-byte header the NOAA archive's order system puts before every Level 1b data set
// (the Archive Retrieval System header), in its KLM form or the older pre-KLM form that holds
// a pre-KLM data-set header inside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "base/Stream.h"
#include "formats/ByteOrder.h"
#include "formats/DecodeContext.h"

namespace veltra {

constexpr int ArchiveHeaderSize = 512;
// The data set name (e.g. NSS.HIRX.NK.D05001.S0123.E0234.B1234567.GC, 42 characters) is kept
// at byte 30 of the archive header and again at byte 22 of the KLM data-set header after it.
constexpr std::size_t ArchiveDataSetName = 30;
constexpr std::size_t DataSetHeaderName = 22;
constexpr std::size_t DataSetNameWidth = 42;

struct TArchiveSummary {
    TDateTime Start = 0; // acquisition start; 0 when the data set name gives none
    TDateTime End = 0;
    bool HasSatellite = false; // the satellite name was worked out (possibly empty)
    std::string Satellite;
    std::string Station;          // the receiving station's name ("Wallops Island, Virginia")
    std::string ProcessingCentre; // the processing centre's name
    std::string Summary;          // e.g. "NOAA-15, , 2005 Jan 01, 23:50-00:41 UTC"
    std::string Hint; // satellite, date and times, then "Acquired: " and "Processed: " lines
};

// Appends the header's diagnostics lines and works out the acquisition times and texts.
TArchiveSummary DecodeArchiveHeader(TBytes header, std::vector<std::string>& lines);

// A pre-KLM time: a 16-bit word (year in the top seven bits, day of year in the low nine) and
// a signed 32-bit millisecond of the day. Gives the date-time and its "yyyy-mm-dd hh:nn:ss" text.
TDateTime DecodePreKlmTime(TBytes sixBytes, std::string& text);

// The data set names a Level 1b stream stores, in the order they are consulted: the archive
// header's, then the data-set header's (at 512 + 22). Names that lie beyond the end of the
// stream are left out; the stream's position is left anywhere.
std::vector<std::string> StoredDataSetNames(TStream& stream);

// Reads bytes 0-511 with one read, decodes them and applies the results to the main window:
// the satellite name, and when a start time is known the label hint, the window caption and
// the hint's display time.
void ReadArchiveHeader(TDecodeContext& context, TStream& stream);

} // namespace veltra
