// AAPP Level 1c and Level 1d files: brightness temperatures in hundredths of a kelvin, the
// header in the first record. Every number is a signed 32-bit integer, big-endian in the
// defined layout and little-endian in the files AAPP writes on little-endian computers.
#include <cmath>
#include <span>

#include "base/Errors.h"
#include "make-samples/RecordBuilder.h"
#include "make-samples/Writers.h"

namespace veltra::samples {

namespace {

namespace AappHeader {
constexpr std::size_t Satellite = 24, Instrument = 28, Lines = 72;
// The orbit (revolution) number, year, day of year and millisecond of the day of the first and
// of the last scan line.
constexpr std::size_t StartOrbit = 40, StartDate = 44, EndOrbit = 56, EndDate = 60;
constexpr std::size_t HirsConstants1c = 84, MicrowaveConstants1c = 88; // + 12 per channel
constexpr std::size_t HirsConstants1d = 96, AmsuAConstants1d = 336, AmsuBConstants1d = 516;
} // namespace AappHeader

// Each scan line begins with its number and time, AAPP's copy of the KLM quality indicator
// ("qualind") and of the scan-line quality flags ("scnlinqual").
namespace AappLine {
constexpr std::size_t Number = 0, Year = 4, Day = 8, Time = 12, Quality = 16, ScanQuality = 20;
} // namespace AappLine

// Where one instrument's footprints sit in a Level 1c record: locations at Location + 8 i,
// the value of channel c at Values + Stride i + 4 (c - FirstChannel), and the satellite
// zenith, satellite azimuth, solar zenith and solar azimuth (10^-2 degree) at Angles + 16 i
// (0: none).
struct TAappLayout {
    std::size_t Location, Values, Stride, Angles;
};

// AAPP's own records (native files) keep the microwave temperatures one footprint block
// further on: AMSU-A from 832, AMSU-B/MHS from 2228, after the satellite altitude at 2216.
// Their angle blocks (AMSU-A from 340, AMSU-B/MHS from 776) end where the defined layout's
// temperatures begin, so files in that layout hold no microwave angles.
TAappLayout Level1cLayout(TInstrument instrument, bool native)
{
    switch (instrument) {
    case TInstrument::Hirs: return {120, 1476, 80, 568};
    case TInstrument::AmsuA: return {100, native ? 832u : 772u, 60, native ? 340u : 0u};
    case TInstrument::AmsuB:
    case TInstrument::Mhs: break;
    }
    return {56, native ? 2228u : 2208u, 20, native ? 776u : 0u};
}
constexpr std::size_t NativeAltitude = 2216; // km x 10, AMSU-B/MHS records

// Level 1d: all three sensors per footprint, 40 values from 1852 + 160 i.
constexpr std::size_t Level1dLocation = 48, Level1dValues = 1852, Level1dStride = 160;
constexpr std::size_t Level1dAmsuA = 80, Level1dAmsuB = 140; // byte offsets within a footprint

std::span<std::uint8_t> Record(TFileBytes& file, std::size_t recordSize, std::size_t index)
{
    return std::span<std::uint8_t>(file).subspan(recordSize * index, recordSize);
}

// Level 1c: the line's number, time and quality words. Level 1d records hold none of these
// (a reader takes their time from the header's start and end).
void PutLineStart(TRecordBuilder& record, const TPassData& pass, std::size_t line)
{
    const TScanLineData& data = pass.Lines[line];
    const TUtcTime time = UtcOf(pass.Info, data.StoredSeconds());
    record.Put32(AappLine::Number, static_cast<std::int32_t>(line + 1));
    record.Put32(AappLine::Year, time.Year);
    record.Put32(AappLine::Day, time.DayOfYear);
    record.Put32(AappLine::Time, time.Milliseconds);
    record.Put32(AappLine::Quality, static_cast<std::int32_t>(data.QualityIndicator));
    record.Put32(AappLine::ScanQuality, static_cast<std::int32_t>(data.ScanLineQuality));
}

void PutAngles(TRecordBuilder& record, std::size_t offset, const TScanLineData& line)
{
    const auto hundredths = [](double degrees) {
        return static_cast<std::int32_t>(std::lround(degrees * 100));
    };
    for (std::size_t i = 0; i < line.Angles.size(); ++i) {
        const TViewAngles& a = line.Angles[i];
        record.Put32(offset + 16 * i, hundredths(a.SatelliteZenith));
        record.Put32(offset + 16 * i + 4, hundredths(a.SatelliteAzimuth));
        record.Put32(offset + 16 * i + 8, hundredths(a.SolarZenith));
        record.Put32(offset + 16 * i + 12, hundredths(a.SolarAzimuth));
    }
}

void PutDate(TRecordBuilder& header, std::size_t offset, const TUtcTime& time)
{
    header.Put32(offset, time.Year);
    header.Put32(offset + 4, time.DayOfYear);
    header.Put32(offset + 8, time.Milliseconds);
}

// The channel values of one footprint, from offset on, one word per channel.
void PutValues(TRecordBuilder& record, std::size_t offset, const TPassData& pass, std::size_t line,
               int footprint)
{
    const int first = pass.FirstChannel();
    for (int c = first; c < first + pass.ChannelCount(); ++c) {
        const double value = pass.Value(static_cast<int>(line), footprint, c);
        const bool visible = pass.Instrument == TInstrument::Hirs && c == 20;
        record.Put32(offset + 4 * static_cast<std::size_t>(c - first),
                     visible ? AappVisible(value) : AappTemperature(value));
    }
}

// The satellite's height above the ground (the orbits are circular), km x 10.
std::int32_t AltitudeKm10(const TPassData& pass)
{
    return static_cast<std::int32_t>(std::lrint((pass.Info.Orbit.RadiusKm() - EarthRadiusKm) * 10));
}

TFileBytes NewAappFile(std::size_t recordSize, const TPassData& pass, bool native)
{
    const std::size_t lines = pass.Lines.size();
    if (lines == 0 || lines > 1000000)
        throw EVeltraError("An AAPP file holds 1 to 1000000 scan lines");
    TFileBytes file(recordSize * (lines + 1), 0);
    TRecordBuilder header(Record(file, recordSize, 0), native);
    header.Put32(AappHeader::Satellite, pass.Info.Satellite.AappId);
    header.Put32(AappHeader::Lines, static_cast<std::int32_t>(lines));
    const double first = pass.Lines.front().Seconds, last = pass.Lines.back().Seconds;
    header.Put32(AappHeader::StartOrbit, pass.Info.RevolutionAt(first));
    PutDate(header, AappHeader::StartDate, UtcOf(pass.Info, first));
    header.Put32(AappHeader::EndOrbit, pass.Info.RevolutionAt(last));
    PutDate(header, AappHeader::EndDate, UtcOf(pass.Info, last));
    return file;
}

} // namespace

int Level1cRecordSize(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return 6656;
    case TInstrument::AmsuA: return 3072;
    case TInstrument::AmsuB:
    case TInstrument::Mhs: break;
    }
    return 4608;
}

std::int32_t AappInstrumentId(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return 5;
    case TInstrument::AmsuA: return 10;
    case TInstrument::AmsuB: return 11;
    case TInstrument::Mhs: break;
    }
    return 12;
}

std::int32_t AappTemperature(double kelvin)
{
    return static_cast<std::int32_t>(std::lrint(kelvin * 100.0));
}

std::int32_t AappVisible(double albedoPercent)
{
    return static_cast<std::int32_t>(std::lrint(albedoPercent * 2.55 * 20.0));
}

TFileBytes Level1c(const TPassData& pass, bool native)
{
    if (pass.Footprints() != ScanGeometry(pass.Instrument).Footprints)
        throw EVeltraError("A Level 1c file holds an instrument on its own footprint grid");
    const auto size = static_cast<std::size_t>(Level1cRecordSize(pass.Instrument));
    TFileBytes file = NewAappFile(size, pass, native);
    TRecordBuilder header(Record(file, size, 0), native);
    header.Put32(AappHeader::Instrument, AappInstrumentId(pass.Instrument));
    PutStoredConstants(header,
                       pass.Instrument == TInstrument::Hirs ? AappHeader::HirsConstants1c
                                                            : AappHeader::MicrowaveConstants1c,
                       pass.Instrument);
    const TAappLayout layout = Level1cLayout(pass.Instrument, native);
    const bool altitude = native && size == 4608;
    for (std::size_t l = 0; l < pass.Lines.size(); ++l) {
        TRecordBuilder record(Record(file, size, l + 1), native);
        PutLineStart(record, pass, l);
        PutLocations(record, layout.Location, pass.Lines[l]);
        if (layout.Angles != 0)
            PutAngles(record, layout.Angles, pass.Lines[l]);
        if (altitude)
            record.Put32(NativeAltitude, AltitudeKm10(pass));
        for (int i = 0; i < pass.Footprints(); ++i)
            PutValues(record, layout.Values + layout.Stride * static_cast<std::size_t>(i), pass, l,
                      i);
    }
    return file;
}

TFileBytes Level1d(const TPassData& hirs, const TPassData& amsuA, const TPassData& amsuB,
                   bool native)
{
    const bool sameGrid =
        hirs.Instrument == TInstrument::Hirs && amsuA.Instrument == TInstrument::AmsuA &&
        (amsuB.Instrument == TInstrument::AmsuB || amsuB.Instrument == TInstrument::Mhs) &&
        hirs.Footprints() == 56 && amsuA.Footprints() == 56 && amsuB.Footprints() == 56 &&
        amsuA.Lines.size() == hirs.Lines.size() && amsuB.Lines.size() == hirs.Lines.size();
    if (!sameGrid)
        throw EVeltraError("A Level 1d file needs HIRS, AMSU-A and AMSU-B on one HIRS grid");
    const std::size_t size = Level1dRecordSize;
    TFileBytes file = NewAappFile(size, hirs, native);
    TRecordBuilder header(Record(file, size, 0), native);
    PutStoredConstants(header, AappHeader::HirsConstants1d, TInstrument::Hirs);
    PutStoredConstants(header, AappHeader::AmsuAConstants1d, TInstrument::AmsuA);
    PutStoredConstants(header, AappHeader::AmsuBConstants1d, amsuB.Instrument);
    for (std::size_t l = 0; l < hirs.Lines.size(); ++l) {
        TRecordBuilder record(Record(file, size, l + 1), native);
        PutLocations(record, Level1dLocation, hirs.Lines[l]);
        for (int i = 0; i < 56; ++i) {
            const std::size_t at = Level1dValues + Level1dStride * static_cast<std::size_t>(i);
            PutValues(record, at, hirs, l, i);
            PutValues(record, at + Level1dAmsuA, amsuA, l, i);
            PutValues(record, at + Level1dAmsuB, amsuB, l, i);
        }
    }
    return file;
}

} // namespace veltra::samples
