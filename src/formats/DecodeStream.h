#pragma once
// The decoding pass: one open input stream to coloured footprints on the map and samples in
// the sample list, for the channel selected in the channel tabs.
#include <cstdint>
#include <string>

#include "base/Stream.h"
#include "formats/DecodeContext.h"

namespace veltra {

// The family from the upper-case file extension: ".L1C", ".L1D", anything else Level 1b.
TInputFamily InputFamilyOf(const std::string& fileExt);

// How the decoding pass ended for one stream.
enum class TStreamEnd {
    Complete,     // every scan line the header counts was decoded
    StoppedEarly, // the scan lines before a failure were decoded, and drawn; or some lines or
                  // footprints held no data or impossible places, and were not drawn
    NotDecoded,   // nothing: the stream is not of the family its name says, or is absent
};

struct TStreamOutcome {
    TStreamEnd End = TStreamEnd::Complete;
    std::int32_t LinesDecoded = 0;
    std::int32_t LinesCounted = 0; // the header's count of scan lines; 0 when none was read
    // Short and in the user's terms ("truncated: 41 of 141 scan lines", "stopped early: 71 of
    // 141 scan lines hold data", "12 footprints with impossible positions skipped", joined by
    // "; "); empty when complete.
    std::string Reason;
    std::int32_t LinesWithoutData = 0; // of LinesDecoded, those that held no data

    bool IsComplete() const { return End == TStreamEnd::Complete; }
};

// Runs the pass; nothing is done for a null stream. Failures while reading headers and scan
// lines end the pass for the stream, keeping what was drawn, and are described in the
// outcome. A selected channel caption that is not an integer raises EConvertError before
// anything is read.
TStreamOutcome DecodeStream(TDecodeHost& host, TStream* stream);

// Reads a stream's headers as the pass does, from the start of the stream: Level 1b the archive
// header and the data-set header of the host's sensor, AAPP its one header; sets the record
// size and count, the channel tables and the layout, and leaves the stream at the first scan
// line. Raises as the pass's header readers do.
void ReadStreamHeaders(TDecodeContext& context, TStream& stream);
// Where scan-line record `record` (0-based) of a stream whose headers were read starts.
std::int64_t ScanLineOffset(const TDecodeContext& context, std::int32_t record);
// What the headers of a stream tell of its pass, read without decoding a scan line.
struct TPassHeaders {
    bool Read = false; // false: the headers could not be read, or name no known sensor
    std::string Satellite;
    TPassTimes Times;
    std::uint8_t SensorCode = 0;
    TLineInstrument Instrument = TLineInstrument::Unknown;
    std::int32_t RecordCount = 0;
};
// Reads the headers as the pass would (the host's file extension and sensor name choose them);
// the host sees what the header readers set (satellite, sensor code, diagnostics lines).
TPassHeaders ReadPassHeaders(TDecodeHost& host, TStream* stream);

// The caption of the displayed channel: frequency in GHz for the microwave sensors, wavelength
// in micrometres for HIRS, "(visible)" for HIRS channel 20; for a difference of two channels
// "Channel A − B" (DifferenceCaption). Raises on a zero wavenumber.
std::string FormChannelCaption(const TDecodeContext& context, const std::string& sensorName,
                               int channel);
std::string DifferenceCaption(int channel, int subtracted);

} // namespace veltra
