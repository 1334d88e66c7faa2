#include "make-samples/RecordBuilder.h"

#include <algorithm>

#include "base/Errors.h"

namespace veltra::samples {

void TRecordBuilder::Check(std::size_t offset, std::size_t width) const
{
    if (offset > record_.size() || width > record_.size() - offset)
        throw EWriteError("Field at " + std::to_string(offset) + " outside a record of " +
                          std::to_string(record_.size()) + " bytes");
}

void TRecordBuilder::PutBE16(std::size_t offset, std::uint16_t value)
{
    Check(offset, 2);
    record_[offset] = static_cast<std::uint8_t>(value >> 8);
    record_[offset + 1] = static_cast<std::uint8_t>(value);
}

void TRecordBuilder::PutBE32(std::size_t offset, std::int32_t value)
{
    Check(offset, 4);
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        record_[offset + i] = static_cast<std::uint8_t>(bits >> (24 - 8 * i));
}

void TRecordBuilder::Put32(std::size_t offset, std::int32_t value)
{
    if (!littleEndian_)
        return PutBE32(offset, value);
    Check(offset, 4);
    const auto bits = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i)
        record_[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

void TRecordBuilder::PutText(std::size_t offset, const std::string& text, std::size_t width)
{
    Check(offset, width);
    for (std::size_t i = 0; i < width; ++i)
        record_[offset + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : ' ';
}

void TRecordBuilder::PutByte(std::size_t offset, std::uint8_t value)
{
    Check(offset, 1);
    record_[offset] = value;
}

void TRecordBuilder::Fill(std::uint8_t value)
{
    std::fill(record_.begin(), record_.end(), value);
}

void PutLocations(TRecordBuilder& record, std::size_t offset, const TScanLineData& line)
{
    for (std::size_t i = 0; i < line.Latitude.size(); ++i) {
        record.Put32(offset + 8 * i, line.Latitude[i]);
        record.Put32(offset + 8 * i + 4, line.Longitude[i]);
    }
}

void PutStoredConstants(TRecordBuilder& record, std::size_t offset, TInstrument instrument)
{
    const std::vector<TStoredConstants> table = StoredConstants(instrument);
    for (std::size_t i = 0; i < table.size(); ++i) {
        record.Put32(offset + 12 * i, table[i].Wavenumber);
        record.Put32(offset + 12 * i + 4, table[i].A);
        record.Put32(offset + 12 * i + 8, table[i].B);
    }
}

} // namespace veltra::samples
