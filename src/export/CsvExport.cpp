#include "export/CsvExport.h"

#include <charconv>

#include "base/AtomicFile.h"

namespace veltra {

namespace {

template <typename T> void Append(std::string& text, T value, char separator)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    text.append(buffer, result.ptr);
    text += separator;
}

} // namespace

std::string CsvText(const TSampleList& samples, bool difference)
{
    std::string text = std::string(difference ? CsvDifferenceHeader : CsvHeader) + '\n';
    text.reserve(text.size() + static_cast<std::size_t>(samples.SampleCount()) * 48);
    for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
        const TSample& s = samples[i];
        const TSampleOrigin& o = samples.Origin(i);
        Append(text, s.Latitude, ',');
        Append(text, s.Longitude, ',');
        Append(text, s.Temperature, ',');
        Append(text, o.ScanLine, ',');
        Append(text, o.Footprint, ',');
        Append(text, o.Stream, '\n');
    }
    return text;
}

void SaveCsv(const TSampleList& samples, const std::string& fileName)
{
    const std::string text = CsvText(samples);
    WriteOutput(fileName,
                std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace veltra
