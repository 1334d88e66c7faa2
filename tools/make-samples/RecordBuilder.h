#pragma once
// Writing fields into fixed-size records, big-endian unless the builder is made little-endian
// (AAPP files as AAPP writes them on little-endian computers). A field that would not fit in the
// record is a programming error in a writer and raises EWriteError rather than growing the record.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "make-samples/Pass.h"

namespace veltra::samples {

class TRecordBuilder {
public:
    explicit TRecordBuilder(std::span<std::uint8_t> record, bool littleEndian = false)
        : record_(record), littleEndian_(littleEndian)
    {
    }

    void PutBE16(std::size_t offset, std::uint16_t value);
    void PutBE32(std::size_t offset, std::int32_t value);
    // A signed 32-bit field in the builder's byte order.
    void Put32(std::size_t offset, std::int32_t value);
    // Text of exactly width bytes: cut, or padded with blanks.
    void PutText(std::size_t offset, const std::string& text, std::size_t width);
    void PutByte(std::size_t offset, std::uint8_t value);
    // Fills the whole record with one byte value.
    void Fill(std::uint8_t value);

private:
    std::span<std::uint8_t> record_;
    bool littleEndian_;

    void Check(std::size_t offset, std::size_t width) const;
};

// Fields shared by the formats, in the builder's byte order: the latitude and longitude of every
// footprint of a line as two signed 32-bit numbers (10^-4 degree) from offset on, 8 bytes per
// footprint; and the instrument's stored channel constants (wavenumber, band correction A and B),
// 12 bytes per channel.
void PutLocations(TRecordBuilder& record, std::size_t offset, const TScanLineData& line);
void PutStoredConstants(TRecordBuilder& record, std::size_t offset, TInstrument instrument);

} // namespace veltra::samples
