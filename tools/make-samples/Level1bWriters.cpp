// Level 1b files in the NOAA KLM layout behind the archive's 512-byte header.
#include <cmath>
#include <span>

#include "base/Errors.h"
#include "base/Format.h"
#include "make-samples/Calibration.h"
#include "make-samples/Names.h"
#include "make-samples/RecordBuilder.h"
#include "make-samples/Writers.h"

namespace veltra::samples {

namespace {

// Archive header (text fields unless noted).
namespace Archive {
constexpr std::size_t CostNumber = 0, OrderNumber = 6, OrderYear = 14, OrderDay = 18;
constexpr std::size_t ProcessingSite = 21, ProcessingSoftware = 22, DataSetName = 30;
constexpr std::size_t SelectFlag = 74, BeginLatitude = 75, EndLatitude = 78;
constexpr std::size_t BeginLongitude = 81, EndLongitude = 85, StartHour = 89, StartMinute = 91;
constexpr std::size_t Minutes = 93, AppendedData = 96, ChannelsSelected = 97;
constexpr std::size_t AscendDescend = 146, FirstLatitude = 147, LastLatitude = 150;
constexpr std::size_t FirstLongitude = 153, LastLongitude = 157, DataFormat = 161;
constexpr std::size_t RecordSize = 181, RecordCount = 187, LayoutMarker = 193;
} // namespace Archive

// Fields every KLM data-set header begins with.
namespace DataSet {
constexpr std::size_t CreationSite = 0, FormatVersion = 4, HeaderRecords = 14;
constexpr std::size_t DataSetName = 22, SpacecraftId = 72;
} // namespace DataSet

// HIRS data-set header.
namespace HirsHeader {
constexpr std::size_t DataRecords = 128, EarthLocated = 130, PacsSource = 154;
constexpr std::size_t FilterCalibration = 176; // + 16 k: slope, s.d., B1, s.d. (10^-6)
constexpr std::size_t Constants = 520;         // + 12 (c - 1): wavenumber, C1, C2
constexpr std::size_t Ellipsoid = 760, Position = 812, Velocity = 824;
} // namespace HirsHeader

// Every KLM scan line begins with its number and time.
namespace Line {
constexpr std::size_t Number = 0, Year = 2, Day = 4, Time = 8;
} // namespace Line

// Every KLM data-set header holds the year, day of year and millisecond of its first and last
// scan line.
namespace DataSetTimes {
constexpr std::size_t Start = 84, End = 96;
} // namespace DataSetTimes

// Where a scan line keeps its quality words and its footprints' angles: the quality indicator
// (32-bit), the scan-line quality flags (4 bytes), the channel quality words (16-bit, from the
// instrument's first channel; none written for HIRS, whose order sources read differently) and
// per footprint the solar zenith, satellite zenith and relative azimuth (signed 16-bit,
// 10^-2 degree).
struct TQualityLayout {
    std::size_t QualityIndicator, ScanLineQuality, ChannelQuality, Angles;
};
constexpr TQualityLayout HirsQuality{28, 32, 0, 664};
constexpr TQualityLayout AmsuAQuality{24, 28, 32, 472};
constexpr TQualityLayout AmsuBQuality{24, 28, 32, 212};
// MHS records say in byte 22 which mode the instrument is in: 3 while it scans the Earth.
constexpr std::size_t MhsMode = 22;
constexpr std::uint8_t MhsScanMode = 3;

namespace HirsLine {
constexpr std::size_t Quality = 18;
constexpr std::size_t Calibration = 144; // + 12 k: first term, slope (10^-9), intercept (10^-6)
constexpr std::size_t Location = 1000;   // + 8 j: latitude, longitude (10^-4 degree)
constexpr std::size_t Counts = 1458;     // + 48 j + 2 k: 13-bit sign and magnitude
} // namespace HirsLine

// Where an AMSU data set keeps its fields: the header's record count and per-channel constants
// (+ 12 per channel), and per scan line the calibration coefficients a2, a1, a0 (+ 12 per
// channel), the locations (+ 8 per footprint) and the count words (+ Block per footprint).
struct TAmsuLayout {
    TInstrument Instrument;
    std::size_t DataRecords, Constants;
    std::size_t Calibration, Location, Counts, Block;
    TQualityLayout Quality;
};
constexpr TAmsuLayout AmsuALayout{TInstrument::AmsuA, 144, 688, 80, 652, 904, 34, AmsuAQuality};
constexpr TAmsuLayout AmsuBLayout{TInstrument::AmsuB, 132, 324, 60, 752, 1480, 12, AmsuBQuality};
constexpr TAmsuLayout MhsLayout{TInstrument::Mhs, 132, 416, 60, 752, 1480, 12, AmsuBQuality};

std::span<std::uint8_t> Record(TFileBytes& file, int recordSize, int index)
{
    return std::span<std::uint8_t>(file).subspan(
        ArchiveHeaderBytes + static_cast<std::size_t>(recordSize) * static_cast<std::size_t>(index),
        static_cast<std::size_t>(recordSize));
}

// The archive header, the data-set header record and empty scan-line records.
TFileBytes NewLevel1bFile(const TPassData& pass, const std::string& station, int recordSize)
{
    if (pass.Lines.empty() || pass.Lines.size() > 65535)
        throw EVeltraError("A Level 1b file holds 1 to 65535 scan lines");
    TFileBytes file = ArchiveHeader(pass, station);
    file.resize(ArchiveHeaderBytes +
                (pass.Lines.size() + 1) * static_cast<std::size_t>(recordSize));
    TRecordBuilder header(Record(file, recordSize, 0));
    header.PutText(DataSet::CreationSite, "NSS", 3);
    header.PutBE16(DataSet::FormatVersion, 2);
    header.PutBE16(DataSet::HeaderRecords, 1);
    header.PutText(DataSet::DataSetName, Level1bDataSetName(pass, station), 42);
    header.PutBE16(DataSet::SpacecraftId, pass.Info.Satellite.KlmId);
    return file;
}

void PutLineTime(TRecordBuilder& record, const TPassData& pass, int line)
{
    const TUtcTime time =
        UtcOf(pass.Info, pass.Lines[static_cast<std::size_t>(line)].StoredSeconds());
    record.PutBE16(Line::Number, static_cast<std::uint16_t>(line + 1));
    record.PutBE16(Line::Year, static_cast<std::uint16_t>(time.Year));
    record.PutBE16(Line::Day, static_cast<std::uint16_t>(time.DayOfYear));
    record.PutBE32(Line::Time, time.Milliseconds);
}

void PutDate(TRecordBuilder& header, std::size_t offset, const TUtcTime& time)
{
    header.PutBE16(offset, static_cast<std::uint16_t>(time.Year));
    header.PutBE16(offset + 2, static_cast<std::uint16_t>(time.DayOfYear));
    header.PutBE32(offset + 4, time.Milliseconds);
}

void PutDataSetTimes(TRecordBuilder& header, const TPassData& pass)
{
    PutDate(header, DataSetTimes::Start, UtcOf(pass.Info, pass.Lines.front().Seconds));
    PutDate(header, DataSetTimes::End, UtcOf(pass.Info, pass.Lines.back().Seconds));
}

// The scan line's quality words and its footprints' angles (and the MHS instrument mode).
void PutLineQuality(TRecordBuilder& record, const TPassData& pass, int line,
                    const TQualityLayout& layout)
{
    const TScanLineData& data = pass.Lines[static_cast<std::size_t>(line)];
    record.PutBE32(layout.QualityIndicator, static_cast<std::int32_t>(data.QualityIndicator));
    record.PutBE32(layout.ScanLineQuality, static_cast<std::int32_t>(data.ScanLineQuality));
    if (layout.ChannelQuality != 0)
        for (int c = pass.FirstChannel(); c < pass.FirstChannel() + pass.ChannelCount(); ++c)
            record.PutBE16(layout.ChannelQuality +
                               2 * static_cast<std::size_t>(c - pass.FirstChannel()),
                           data.ChannelQuality[static_cast<std::size_t>(c - 1)]);
    const auto hundredths = [](double degrees) {
        return static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(degrees * 100)));
    };
    for (std::size_t j = 0; j < data.Angles.size(); ++j) {
        const TViewAngles& a = data.Angles[j];
        record.PutBE16(layout.Angles + 6 * j, hundredths(a.SolarZenith));
        record.PutBE16(layout.Angles + 6 * j + 2, hundredths(a.SatelliteZenith));
        record.PutBE16(layout.Angles + 6 * j + 4, hundredths(a.RelativeAzimuth()));
    }
    if (pass.Instrument == TInstrument::Mhs)
        record.PutByte(MhsMode, MhsScanMode);
}

void CheckInstrument(const TPassData& pass, TInstrument instrument)
{
    if (pass.Instrument != instrument || pass.Footprints() != ScanGeometry(instrument).Footprints)
        throw EVeltraError("The pass is not a " + InstrumentName(instrument) + " pass");
}

void PutHirsHeader(TRecordBuilder& header, const TPassData& pass, const std::string& station)
{
    PutDataSetTimes(header, pass);
    const auto lines = static_cast<std::uint16_t>(pass.Lines.size());
    header.PutBE16(HirsHeader::DataRecords, lines);
    header.PutBE16(HirsHeader::EarthLocated, lines);
    // PACS data source: 1 Gilmore, 2 Wallops, 3 SOCC.
    const std::uint16_t source = station == "WI" ? 2 : station == "SO" ? 3 : 1;
    header.PutBE16(HirsHeader::PacsSource, source);

    // Mean calibration of each filter position with its scatter, 10^-6.
    for (int channel = 1; channel <= 20; ++channel) {
        const int k = HirsFilterPosition[static_cast<std::size_t>(channel)];
        const THirsCalibration c = HirsNominalCalibration(channel);
        const std::size_t at = HirsHeader::FilterCalibration + 16 * static_cast<std::size_t>(k);
        header.PutBE32(at, ToStored(c.SlopeValue(), 1e-6));
        header.PutBE32(at + 4, ToStored(std::fabs(c.SlopeValue()) * 2e-3, 1e-6));
        header.PutBE32(at + 8, ToStored(c.InterceptValue(), 1e-6));
        header.PutBE32(at + 12, ToStored(std::fabs(c.InterceptValue()) * 1e-3, 1e-6));
    }
    PutStoredConstants(header, HirsHeader::Constants, TInstrument::Hirs);

    header.PutText(HirsHeader::Ellipsoid, "WGS-84", 8);
    const double t = pass.Lines.front().Seconds;
    const TVector3 r = pass.Info.Orbit.Position(t);
    const TVector3 v = pass.Info.Orbit.Velocity(t);
    header.PutBE32(HirsHeader::Position, ToStored(r.X, 1e-5));
    header.PutBE32(HirsHeader::Position + 4, ToStored(r.Y, 1e-5));
    header.PutBE32(HirsHeader::Position + 8, ToStored(r.Z, 1e-5));
    header.PutBE32(HirsHeader::Velocity, ToStored(v.X, 1e-8));
    header.PutBE32(HirsHeader::Velocity + 4, ToStored(v.Y, 1e-8));
    header.PutBE32(HirsHeader::Velocity + 8, ToStored(v.Z, 1e-8));
}

void PutHirsLine(TRecordBuilder& record, const TPassData& pass, int line,
                 const std::vector<TChannelConstants>& constants)
{
    const TScanLineData& data = pass.Lines[static_cast<std::size_t>(line)];
    record.PutBE16(HirsLine::Quality, data.Quality);
    PutLocations(record, HirsLine::Location, data);
    for (int channel = 1; channel <= 20; ++channel) {
        const auto k =
            static_cast<std::size_t>(HirsFilterPosition[static_cast<std::size_t>(channel)]);
        const THirsCalibration calibration = HirsLineCalibration(channel, line);
        record.PutBE32(HirsLine::Calibration + 12 * k, 0);
        record.PutBE32(HirsLine::Calibration + 12 * k + 4, calibration.Slope);
        record.PutBE32(HirsLine::Calibration + 12 * k + 8, calibration.Intercept);
        for (int j = 0; j < pass.Footprints(); ++j) {
            const double value = pass.Value(line, j, channel);
            const int count = channel == 20
                                  ? HirsVisibleCount(calibration, value)
                                  : HirsCount(constants[static_cast<std::size_t>(channel - 1)],
                                              calibration, value);
            record.PutBE16(HirsLine::Counts + 48 * static_cast<std::size_t>(j) + 2 * k,
                           EncodeSignMagnitude(count));
        }
    }
}

std::vector<TChannelConstants> DecodedConstants(TInstrument instrument)
{
    const std::vector<TStoredConstants> stored = StoredConstants(instrument);
    std::vector<TChannelConstants> decoded;
    for (std::size_t i = 0; i < stored.size(); ++i)
        decoded.push_back(
            Decode(instrument, FirstChannel(instrument) + static_cast<int>(i), stored[i]));
    return decoded;
}

// The count words of one AMSU footprint. AMSU-A: channel c from 3 to 15 in word c + 1, while
// channels 1 and 2 are sampled twice, in words c - 1 and c + 1, and a reader takes the
// truncated mean, which both C, C and C, C + 1 give as C. AMSU-B: channel c in word c - 15.
void PutAmsuCount(TRecordBuilder& record, std::size_t block, TInstrument instrument, int channel,
                  std::uint16_t count, bool odd)
{
    const auto word = [&](int w) { return block + 2 * static_cast<std::size_t>(w); };
    if (instrument != TInstrument::AmsuA) {
        record.PutBE16(word(channel - 15), count);
    } else if (channel <= 2) {
        const bool bump = odd && count < 65535;
        record.PutBE16(word(channel - 1), count);
        record.PutBE16(word(channel + 1), static_cast<std::uint16_t>(count + (bump ? 1 : 0)));
    } else {
        record.PutBE16(word(channel + 1), count);
    }
}

TFileBytes AmsuLevel1b(const TPassData& pass, const std::string& station, const TAmsuLayout& layout)
{
    CheckInstrument(pass, layout.Instrument);
    const int size = Level1bRecordSize(layout.Instrument);
    TFileBytes file = NewLevel1bFile(pass, station, size);
    TRecordBuilder header(Record(file, size, 0));
    header.PutBE16(layout.DataRecords, static_cast<std::uint16_t>(pass.Lines.size()));
    PutDataSetTimes(header, pass);
    PutStoredConstants(header, layout.Constants, layout.Instrument);
    const std::vector<TChannelConstants> constants = DecodedConstants(layout.Instrument);
    const int first = FirstChannel(layout.Instrument);
    for (int l = 0; l < static_cast<int>(pass.Lines.size()); ++l) {
        TRecordBuilder record(Record(file, size, l + 1));
        PutLineTime(record, pass, l);
        PutLineQuality(record, pass, l, layout.Quality);
        PutLocations(record, layout.Location, pass.Lines[static_cast<std::size_t>(l)]);
        for (int c = first; c < first + pass.ChannelCount(); ++c) {
            const auto index = static_cast<std::size_t>(c - first);
            const TAmsuCalibration calibration =
                AmsuLineCalibration(layout.Instrument, constants[index], l);
            record.PutBE32(layout.Calibration + 12 * index, calibration.A2);
            record.PutBE32(layout.Calibration + 12 * index + 4, calibration.A1);
            record.PutBE32(layout.Calibration + 12 * index + 8, calibration.A0);
            for (int i = 0; i < pass.Footprints(); ++i)
                PutAmsuCount(record, layout.Counts + layout.Block * static_cast<std::size_t>(i),
                             layout.Instrument, c,
                             AmsuCount(constants[index], calibration, pass.Value(l, i, c)),
                             ((l + i) & 1) != 0);
        }
    }
    return file;
}

} // namespace

int Level1bRecordSize(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return 4608;
    case TInstrument::AmsuA: return 2560;
    case TInstrument::AmsuB:
    case TInstrument::Mhs: break;
    }
    return 3072;
}

TFileBytes ArchiveHeader(const TPassData& pass, const std::string& station)
{
    if (pass.Lines.empty())
        throw EVeltraError("An archive header needs a pass with scan lines");
    TFileBytes bytes(ArchiveHeaderBytes);
    TRecordBuilder h(bytes);
    h.Fill(' ');
    const double firstSeconds = pass.Lines.front().Seconds;
    const double lastSeconds = pass.Lines.back().Seconds;
    const TUtcTime start = UtcOf(pass.Info, firstSeconds);
    const TGroundPoint first = pass.Info.Orbit.SubSatellitePoint(firstSeconds);
    const TGroundPoint last = pass.Info.Orbit.SubSatellitePoint(lastSeconds);
    const double period = ScanGeometry(pass.Instrument).LinePeriodS;
    const int minutes = static_cast<int>(std::ceil((lastSeconds - firstSeconds + period) / 60.0));
    const auto degrees = [](double value, int width) {
        return Format(width == 3 ? "%+03d" : "%+04d", static_cast<int>(std::lround(value)));
    };

    h.PutText(Archive::CostNumber, "000000", 6);
    h.PutText(Archive::OrderNumber, Format("%08d", 10000000 + pass.Info.Revolution % 10000000), 8);
    h.PutText(Archive::OrderYear, Format("%04d", start.Year), 4);
    h.PutText(Archive::OrderDay, Format("%03d", start.DayOfYear), 3);
    h.PutText(Archive::ProcessingSite, "A", 1);
    h.PutText(Archive::ProcessingSoftware, "MKSAMPLE", 8);
    h.PutText(Archive::DataSetName, Level1bDataSetName(pass, station), 42);
    h.PutText(Archive::SelectFlag, "T", 1);
    h.PutText(Archive::BeginLatitude, degrees(first.Latitude, 3), 3);
    h.PutText(Archive::EndLatitude, degrees(last.Latitude, 3), 3);
    h.PutText(Archive::BeginLongitude, degrees(first.Longitude, 4), 4);
    h.PutText(Archive::EndLongitude, degrees(last.Longitude, 4), 4);
    h.PutText(Archive::StartHour, Format("%02d", start.Hour()), 2);
    h.PutText(Archive::StartMinute, Format("%02d", start.Minute()), 2);
    h.PutText(Archive::Minutes, Format("%03d", minutes), 3);
    h.PutText(Archive::AppendedData, "N", 1);
    const int channels = ChannelCount(pass.Instrument);
    h.PutText(Archive::ChannelsSelected, std::string(static_cast<std::size_t>(channels), 'Y'), 20);
    for (int c = channels; c < 20; ++c)
        h.PutText(Archive::ChannelsSelected + static_cast<std::size_t>(c), "N", 1);

    h.PutText(Archive::AscendDescend, last.Latitude < first.Latitude ? "D" : "A", 1);
    h.PutText(Archive::FirstLatitude, degrees(first.Latitude, 3), 3);
    h.PutText(Archive::LastLatitude, degrees(last.Latitude, 3), 3);
    h.PutText(Archive::FirstLongitude, degrees(first.Longitude, 4), 4);
    h.PutText(Archive::LastLongitude, degrees(last.Longitude, 4), 4);
    h.PutText(Archive::DataFormat, "NOAA Level 1b", 20);
    h.PutText(Archive::RecordSize, Format("%06d", Level1bRecordSize(pass.Instrument)), 6);
    // The archive counts its own header and the data-set header among the records.
    h.PutText(Archive::RecordCount, Format("%06d", static_cast<int>(pass.Lines.size()) + 2), 6);
    h.PutText(Archive::LayoutMarker, " ", 1);
    return bytes;
}

TFileBytes HirsLevel1b(const TPassData& pass, const std::string& station)
{
    CheckInstrument(pass, TInstrument::Hirs);
    const int size = Level1bRecordSize(TInstrument::Hirs);
    TFileBytes file = NewLevel1bFile(pass, station, size);
    TRecordBuilder header(Record(file, size, 0));
    PutHirsHeader(header, pass, station);
    const std::vector<TChannelConstants> constants = DecodedConstants(TInstrument::Hirs);
    for (int l = 0; l < static_cast<int>(pass.Lines.size()); ++l) {
        TRecordBuilder record(Record(file, size, l + 1));
        PutLineTime(record, pass, l);
        PutLineQuality(record, pass, l, HirsQuality);
        PutHirsLine(record, pass, l, constants);
    }
    return file;
}

TFileBytes AmsuALevel1b(const TPassData& pass, const std::string& station)
{
    return AmsuLevel1b(pass, station, AmsuALayout);
}

TFileBytes AmsuBLevel1b(const TPassData& pass, const std::string& station)
{
    return AmsuLevel1b(pass, station, AmsuBLayout);
}

TFileBytes MhsLevel1b(const TPassData& pass, const std::string& station)
{
    return AmsuLevel1b(pass, station, MhsLayout);
}

TFileBytes Level1b(const TPassData& pass, const std::string& station)
{
    switch (pass.Instrument) {
    case TInstrument::Hirs: return HirsLevel1b(pass, station);
    case TInstrument::AmsuA: return AmsuALevel1b(pass, station);
    case TInstrument::AmsuB: return AmsuBLevel1b(pass, station);
    case TInstrument::Mhs: break;
    }
    return MhsLevel1b(pass, station);
}

} // namespace veltra::samples
