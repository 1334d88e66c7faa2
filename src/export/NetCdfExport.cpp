#include "export/NetCdfExport.h"

#include <cmath>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "export/ExportModule.h"

namespace veltra {

namespace {

// One value of each sample; empty when it is unknown (not a number) for every one.
template <typename Field> std::vector<float> AngleColumn(const TSampleList& samples, Field field)
{
    std::vector<float> values(static_cast<std::size_t>(samples.SampleCount()));
    bool known = false;
    for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
        values[static_cast<std::size_t>(i)] = field(samples.Origin(i));
        known = known || !std::isnan(values[static_cast<std::size_t>(i)]);
    }
    return known ? values : std::vector<float>();
}

} // namespace

TFootprintColumns FootprintColumnsOf(const TSampleList& samples)
{
    TFootprintColumns c;
    bool timed = false;
    for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
        const std::optional<TUtcMilliseconds> time = samples.TimeOf(i);
        c.Time.push_back(time ? *time : NoTime);
        timed = timed || time.has_value();
    }
    if (!timed)
        c.Time.clear();
    c.SatelliteZenith =
        AngleColumn(samples, [](const TSampleOrigin& o) { return o.SatelliteZenith; });
    c.SolarZenith = AngleColumn(samples, [](const TSampleOrigin& o) { return o.SolarZenith; });
    for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
        const TScanLineInfo* line = samples.ScanLineOf(i);
        if (line == nullptr || !line->QualityIndicator) {
            c.QualityFlags.clear();
            break;
        }
        c.QualityFlags.push_back(*line->QualityIndicator);
    }
    return c;
}

TLineInstrument LineInstrumentOf(const TSampleList& samples)
{
    const std::vector<TScanLineInfo>& lines = samples.ScanLines();
    return lines.empty() ? TLineInstrument::Unknown : lines.front().Instrument;
}

void DescribeQualityFlags(TExportMetadata& metadata, TLineInstrument instrument)
{
    metadata.FlagMasks.clear();
    metadata.FlagMeanings.clear();
    for (const TFlagMeaning& flag : FlagMeanings()) {
        if (flag.Word != TFlagWord::QualityIndicator ||
            (flag.Instruments & InstrumentMask(instrument)) == 0)
            continue;
        metadata.FlagMasks.push_back(1u << flag.Bit);
        std::string word = flag.Words;
        for (char& c : word)
            if (c == ' ')
                c = '_';
        metadata.FlagMeanings += (metadata.FlagMeanings.empty() ? "" : " ") + word;
    }
}

std::vector<std::uint8_t> NetCdfFileBytes(const TSampleList& samples,
                                          const TExportMetadata& metadata,
                                          const std::string& fileName,
                                          const std::string& moduleFolder)
{
    const TExportModule& module = ExportModuleIn(moduleFolder);
    std::vector<std::uint8_t> bytes;
    std::string error;
    TExportMetadata described = metadata;
    DescribeQualityFlags(described, LineInstrumentOf(samples));
    if (!module.NetCdfBytes(samples, described, FootprintColumnsOf(samples), fileName, bytes,
                            error))
        throw EWriteError(error);
    return bytes;
}

void SaveNetCdf(const TSampleList& samples, const TExportMetadata& metadata,
                const std::string& fileName, const std::string& moduleFolder)
{
    WriteOutput(fileName, NetCdfFileBytes(samples, metadata, fileName, moduleFolder),
                TOutputNeeds::RegularFile);
}

} // namespace veltra
