#pragma once
// Writers of the three input families, each returning the whole file as bytes.
//
// Level 1b (NOAA KLM layout): the 512-byte archive header, one data-set header record, then
// one record per scan line; 512 + (lines + 1) x record size bytes. HIRS records are 4608
// bytes, AMSU-A 2560, AMSU-B 3072. Raw counts are made from the pass's temperatures through
// the exact inverse of the calibration a reader applies (Calibration.h).
//
// AAPP Level 1c (one instrument) and Level 1d (HIRS, AMSU-A and AMSU-B on the HIRS grid): a
// header in the first record, then one record per scan line, with brightness temperatures in
// hundredths of a kelvin; 1c records are 6656 (HIRS), 3072 (AMSU-A) or 4608 (AMSU-B, MHS)
// bytes, 1d records 15872. Big-endian in the defined layout; "native" files are what AAPP
// writes on little-endian computers: every field little-endian, and in Level 1c the microwave
// temperatures at AAPP's own offsets (AMSU-A 832 + 60 i, AMSU-B/MHS 2228 + 20 i).
#include <cstdint>
#include <string>
#include <vector>

#include "make-samples/Pass.h"

namespace veltra::samples {

using TFileBytes = std::vector<std::uint8_t>;

constexpr int ArchiveHeaderBytes = 512;
int Level1bRecordSize(TInstrument instrument); // 4608, 2560, 3072, 3072
int Level1cRecordSize(TInstrument instrument); // 6656, 3072, 4608, 4608
constexpr int Level1dRecordSize = 15872;

// Instrument identifier of the AAPP Level 1c header: 5 HIRS, 10 AMSU-A, 11 AMSU-B, 12 MHS.
std::int32_t AappInstrumentId(TInstrument instrument);

// The archive header of a Level 1b file: the KLM layout (a blank at byte 193), the data set
// name, the order and selection fields, and the record size and count as text.
TFileBytes ArchiveHeader(const TPassData& pass, const std::string& station);

// Level 1b files of HIRS, AMSU-A, AMSU-B and MHS (the AMSU-B layout with the header's
// temperature-to-radiance block at 416). The receiving station is the two-letter code
// of the data set name ("GC", "WI", ...).
TFileBytes HirsLevel1b(const TPassData& pass, const std::string& station);
TFileBytes AmsuALevel1b(const TPassData& pass, const std::string& station);
TFileBytes AmsuBLevel1b(const TPassData& pass, const std::string& station);
TFileBytes MhsLevel1b(const TPassData& pass, const std::string& station);
// The writer for the pass's instrument.
TFileBytes Level1b(const TPassData& pass, const std::string& station);

// AAPP Level 1c file of any of the four instruments.
TFileBytes Level1c(const TPassData& pass, bool native = false);
// AAPP Level 1d file from three passes on the same 56-footprint HIRS grid (same lines and
// positions): HIRS, and AMSU-A and AMSU-B resampled onto it (ResamplePass).
TFileBytes Level1d(const TPassData& hirs, const TPassData& amsuA, const TPassData& amsuB,
                   bool native = false);

// Stored forms of the AAPP values: temperature in 0.01 K; HIRS channel 20 as albedo (%)
// x 2.55 x 20, so that value / 20 is the 0-255 grey level of the visible image.
std::int32_t AappTemperature(double kelvin);
std::int32_t AappVisible(double albedoPercent);

} // namespace veltra::samples
