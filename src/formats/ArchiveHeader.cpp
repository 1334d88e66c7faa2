#include "formats/ArchiveHeader.h"

#include <algorithm>

#include "base/Errors.h"
#include "base/Format.h"

namespace veltra {

namespace {

// Common part of the archive header.
constexpr std::size_t OffCostNumber = 0;
constexpr std::size_t OffOrderNumber = 6;
constexpr std::size_t OffOrderYear = 14;
constexpr std::size_t OffOrderDay = 18;
constexpr std::size_t OffProcessingSite = 21;
constexpr std::size_t OffSoftware = 22;
constexpr std::size_t OffSelectFlag = 74;
constexpr std::size_t OffBeginLatitude = 75;
constexpr std::size_t OffEndLatitude = 78;
constexpr std::size_t OffBeginLongitude = 81;
constexpr std::size_t OffEndLongitude = 85;
constexpr std::size_t OffStartHour = 89;
constexpr std::size_t OffStartMinute = 91;
constexpr std::size_t OffMinutes = 93;
constexpr std::size_t OffAppendedFlag = 96;
constexpr std::size_t OffChannels = 97;
constexpr std::size_t ChannelCount = 20;
constexpr std::size_t OffLayoutMarker = 193;

// Fields inside the data set name, e.g. NSS.HIRX.NK.D05001.S0123.E0234.B1234567.GC.
constexpr std::size_t OffCentre = 30;
constexpr std::size_t OffDataType = 34;
constexpr std::size_t OffSeriesLetter = 39;
constexpr std::size_t OffSatelliteLetter = 40;
constexpr std::size_t OffYear = 43;
constexpr std::size_t OffDay = 45;
constexpr std::size_t OffStartTime = 50;
constexpr std::size_t OffEndTime = 56;
constexpr std::size_t OffStation = 70;

// KLM data-set header summary.
constexpr std::size_t OffAscendFlag = 146;
constexpr std::size_t OffFirstLatitude = 147;
constexpr std::size_t OffLastLatitude = 150;
constexpr std::size_t OffFirstLongitude = 153;
constexpr std::size_t OffLastLongitude = 157;
constexpr std::size_t OffDataFormat = 161;
constexpr std::size_t OffRecordSize = 181;
constexpr std::size_t OffRecordCount = 187;

// Pre-KLM data-set header, starting at byte 122.
constexpr std::size_t OffSpacecraftId = 122;
constexpr std::size_t OffPreKlmDataType = 123;
constexpr std::size_t OffPreKlmStart = 124;
constexpr std::size_t OffScans = 130;
constexpr std::size_t OffPreKlmEnd = 132;
constexpr std::size_t OffProcessingId = 138;
constexpr std::size_t OffDataGaps = 146;
constexpr std::size_t OffNadirTolerance = 158;
constexpr std::size_t OffFourDigitYear = 160;
constexpr std::size_t OffEpochYear = 206;
constexpr std::size_t OffEpochDay = 208;
constexpr std::size_t OffEpochMilliseconds = 210;
constexpr std::size_t OffSemiMajorAxis = 214;
constexpr std::size_t OffEccentricity = 218;
constexpr std::size_t OffInclination = 222;
constexpr std::size_t OffPerigee = 226;
constexpr std::size_t OffAscendingNode = 230;
constexpr std::size_t OffMeanAnomaly = 234;
constexpr std::size_t OffPosition = 238; // X, Y, Z: 10^-4 km
constexpr std::size_t OffVelocity = 250; // X, Y, Z: mm/s

std::string ProcessingSiteName(char code)
{
    switch (code) {
    case 'A': return "SAA";
    case 'D': return "DSRS/Dundee";
    case 'N': return "NCDC/Asheville";
    case 'S': return "NCDC/Suitland";
    default: return "unknown";
    }
}

std::string ProcessingCentreName(const std::string& code)
{
    if (code == "CMS")
        return "Centre de Meteorologie Spatiale, France";
    if (code == "DSS")
        return "Dundee Satellite Receiving Station, Scotland, UK";
    if (code == "NSS")
        return "NOAA/NESDIS - Suitland, Maryland, USA";
    if (code == "UKM")
        return "UK Met Office, Bracknell, England, UK";
    return "";
}

std::string DataTypeName(const std::string& code)
{
    if (code == "FRAC")
        return "FRAC";
    if (code == "HRPT")
        return "HRPT";
    if (code == "GHRR")
        return "GAC";
    if (code == "LHRR")
        return "LAC";
    return "";
}

std::string SatelliteName(char series, char letter)
{
    if (series == 'T')
        return "TIROS-N";
    if (series == 'M')
        return letter == '2' ? "METOP-A" : "";
    if (series != 'N')
        return "";
    switch (letter) {
    case 'A': return "NOAA-6";
    case 'C': return "NOAA-7";
    case 'D': return "NOAA-12";
    case 'E': return "NOAA-8";
    case 'F': return "NOAA-9";
    case 'G': return "NOAA-10";
    case 'H': return "NOAA-11";
    case 'I': return "NOAA-13";
    case 'J': return "NOAA-14";
    case 'K': return "NOAA-15";
    case 'L': return "NOAA-16";
    case 'M': return "NOAA-17";
    case 'N': return "NOAA-18";
    case 'P': return "NOAA-19";
    default: return "";
    }
}

std::string StationName(char first, char second)
{
    switch (first) {
    case 'C': return "Cape Ferguson, Queensland,  Australia";
    case 'D': return "Dundee, Scotland, UK";
    case 'E': return "Ewa Beach, Oahu, Hawaii";
    case 'G': return "Fairbanks, Alaska, USA";
    case 'H': return "Honolulu, Hawaii, USA";
    case 'S': return "Satellite Operations Control Center, Suitland, Maryland, USA";
    case 'M':
        if (second == 'I')
            return "Miami, Florida, USA";
        if (second == 'O')
            return "Monterey, California, USA";
        return "";
    case 'W':
        if (second == 'E')
            return "Western Europe, Lannion, France";
        if (second == 'I')
            return "Wallops Island, Virginia, USA";
        return "";
    default: return "";
    }
}

std::string SpacecraftName(int id)
{
    switch (id) {
    case 1: return "TIROS-N";
    case 3: return "NOAA-14";
    case 4: return "NOAA-7";
    case 5: return "NOAA-12";
    case 7: return "NOAA-9";
    case 8: return "NOAA-10";
    default: return "(unknown ID)";
    }
}

std::string PreKlmDataTypeName(int kind)
{
    switch (kind) {
    case 1: return "LAC";
    case 2: return "GAC";
    case 3: return "HRPT";
    default: return "";
    }
}

int TwoDigitYear(int yy)
{
    return yy < 57 ? 2000 + yy : 1900 + yy;
}

// Hours and minutes from an hhmm number; minutes above 59 are taken as 59.
TDateTime TimeOfDay(int hhmm)
{
    return EncodeTime(hhmm / 100, std::min(hhmm % 100, 59), 0, 0);
}

std::string HexBytes(TBytes header, std::size_t offset, std::size_t count)
{
    std::string text;
    for (std::size_t i = 0; i < count; ++i)
        text += Format("%.2X ", ReadByte(header, offset + i));
    return text;
}

// The acquisition times and texts worked out from the data set name; on any failure the
// times stay 0 and nothing else is set.
void WorkOutAcquisition(TBytes header, const std::string& satellite, TArchiveSummary& summary)
{
    summary.Start = 0;
    summary.End = 0;
    try {
        const int year = TwoDigitYear(StrToInt(ReadText(header, OffYear, 2)));
        const int day = StrToInt(ReadText(header, OffDay, 3));
        const TDateTime date = EncodeDate(year, 1, 1) + (day - 1);
        const TDateTime startTime = TimeOfDay(StrToInt(ReadText(header, OffStartTime, 4)));
        TDateTime endTime = TimeOfDay(StrToInt(ReadText(header, OffEndTime, 4)));
        if (endTime < startTime)
            endTime += 1;
        const TDateTime start = date + startTime;
        const TDateTime end = date + endTime;
        const std::string dateText = FormatDateTime("yyyy mmm dd", date);
        const std::string timesText =
            FormatDateTime("hh:mm", start) + "-" + FormatDateTime("hh:mm", end) + " UTC";
        const std::string station = StationName(static_cast<char>(header[OffStation]),
                                                static_cast<char>(header[OffStation + 1]));
        const std::string centre = ProcessingCentreName(ReadText(header, OffCentre, 3));
        summary.Hint = satellite + ", " + dateText + " " + timesText + "\n" +
                       "Acquired: " + station + "\n" + "Processed: " + centre;
        summary.Satellite = satellite;
        summary.HasSatellite = true;
        summary.Station = station;
        summary.ProcessingCentre = centre;
        summary.Summary = satellite + ", " + DataTypeName(ReadText(header, OffDataType, 4)) + ", " +
                          dateText + ", " + timesText;
        summary.Start = start;
        summary.End = end;
    } catch (const EVeltraError&) {
        summary = TArchiveSummary{};
    }
}

void AppendKlmBlock(TBytes header, std::vector<std::string>& lines)
{
    lines.push_back("  Data Set Header details... (KLM)");
    lines.push_back("    Ascend/Descend flag: " + ReadText(header, OffAscendFlag, 1));
    lines.push_back("    First latitude: " + ReadText(header, OffFirstLatitude, 3));
    lines.push_back("    Last latitude: " + ReadText(header, OffLastLatitude, 3));
    lines.push_back("    First longitude: " + ReadText(header, OffFirstLongitude, 4));
    lines.push_back("    Last longitude: " + ReadText(header, OffLastLongitude, 4));
    lines.push_back("    Data format: " + ReadText(header, OffDataFormat, 20));
    lines.push_back("    Record size: " + ReadText(header, OffRecordSize, 6));
    lines.push_back("    Number of records: " + ReadText(header, OffRecordCount, 6) +
                    " (includes 2 header records)");
}

// The orbital elements of a pre-KLM header; a failure skips the rest of the group.
void AppendEpochGroup(TBytes header, std::vector<std::string>& lines)
{
    try {
        const TDateTime epoch =
            DateFromYearDay(ReadBE16(header, OffEpochYear), ReadBE16(header, OffEpochDay),
                            ReadBE32(header, OffEpochMilliseconds));
        lines.push_back("    Epoch time: " + FormatDateTime("yyyy-mmm-dd hh:nn:ss.zzz", epoch));
        lines.push_back("    Kepler data:");
        lines.push_back(Format("          Semi-major axis: %.3f km",
                               ReadBE32(header, OffSemiMajorAxis) / 1000.0));
        lines.push_back(
            Format("             Eccentricity: %.8f", ReadBE32(header, OffEccentricity) / 1e8));
        lines.push_back(Format("              Inclination: %.5f degrees",
                               ReadBE32(header, OffInclination) / 1e5));
        lines.push_back(
            Format("      Argument of perigee: %.5f degrees", ReadBE32(header, OffPerigee) / 1e5));
        lines.push_back(Format("          RA of ascending: %.5f degrees",
                               ReadBE32(header, OffAscendingNode) / 1e5));
        lines.push_back(Format("             Mean anomaly: %.5f degrees",
                               ReadBE32(header, OffMeanAnomaly) / 1e5));
        lines.push_back("    Cartesian Inertial True of Date Elements");
        const char* axes[3] = {"X", "Y", "Z"};
        for (int i = 0; i < 3; ++i)
            lines.push_back(std::string("          ") + axes[i] + " : " +
                            Format("%.2f km", ReadBE32(header, OffPosition + 4 * i) / 1e4));
        for (int i = 0; i < 3; ++i)
            lines.push_back(std::string("       ") + axes[i] + " dot: " +
                            Format("%.2f m/s", ReadBE32(header, OffVelocity + 4 * i) / 1000.0));
    } catch (const EVeltraError&) {
    }
}

void AppendPreKlmBlock(TBytes header, std::vector<std::string>& lines, TArchiveSummary& summary)
{
    lines.push_back("  Data Set Header details... (pre-KLM)");
    const int spacecraft = ReadByte(header, OffSpacecraftId);
    lines.push_back("    Spacecraft ID: " + std::to_string(spacecraft) + " => " +
                    SpacecraftName(spacecraft));
    const int dataType = ReadByte(header, OffPreKlmDataType);
    lines.push_back("    Data type: " + std::to_string(dataType) + " => " +
                    PreKlmDataTypeName(dataType >> 4));
    std::string text;
    const TDateTime start = DecodePreKlmTime(header.subspan(OffPreKlmStart, 6), text);
    lines.push_back("    Start time: " + text);
    if (summary.Start == 0)
        summary.Start = start;
    lines.push_back("    Number of scans: " + std::to_string(ReadBE16(header, OffScans)));
    const TDateTime end = DecodePreKlmTime(header.subspan(OffPreKlmEnd, 6), text);
    lines.push_back("    End time:   " + text);
    if (summary.End == 0)
        summary.End = end;
    lines.push_back("    Processing ID: " + ReadText(header, OffProcessingId, 7));
    lines.push_back("    Data gaps: " + std::to_string(ReadBE16(header, OffDataGaps)));
    lines.push_back(
        Format("    Nadir tolerance: %.1f km", ReadByte(header, OffNadirTolerance) / 10.0));
    lines.push_back("    Four-digit year: " + std::to_string(ReadBE16(header, OffFourDigitYear)));
    lines.push_back("    Epoch year: " + std::to_string(ReadBE16(header, OffEpochYear)));
    lines.push_back("    Epoch Julian day: " + std::to_string(ReadBE16(header, OffEpochDay)));
    AppendEpochGroup(header, lines);
    lines.push_back("    Record size: " + HexBytes(header, OffRecordSize, 6));
    lines.push_back("    Number of records: " + HexBytes(header, OffRecordCount, 6));
}

} // namespace

TDateTime DecodePreKlmTime(TBytes sixBytes, std::string& text)
{
    const std::uint16_t word = ReadBE16(sixBytes, 0);
    const int year = TwoDigitYear(word >> 9);
    const int day = word & 511;
    const TDateTime value = DateFromYearDay(year, day, ReadBE32(sixBytes, 2));
    text = FormatDateTime("yyyy-mm-dd hh:nn:ss", value);
    return value;
}

TArchiveSummary DecodeArchiveHeader(TBytes header, std::vector<std::string>& lines)
{
    if (header.size() < static_cast<std::size_t>(ArchiveHeaderSize))
        throw EReadError("Archive header shorter than 512 bytes");
    lines.push_back("Archive Retrieval System header decoded:");
    lines.push_back("ORDER ID");
    lines.push_back("  Cost number: " + ReadText(header, OffCostNumber, 6));
    lines.push_back("  SAA number: " + ReadText(header, OffOrderNumber, 8));
    lines.push_back("  Order created: " + ReadText(header, OffOrderYear, 4) +
                    ReadText(header, OffOrderDay, 3) + " (year/day)");
    lines.push_back("  Processing site: " +
                    ProcessingSiteName(static_cast<char>(header[OffProcessingSite])));
    lines.push_back("  Processing software: " + ReadText(header, OffSoftware, 8));
    lines.push_back("DATA SELECTION CRITERIA");
    lines.push_back("  Data Set Name: " + ReadText(header, ArchiveDataSetName, DataSetNameWidth));

    const std::string satellite = SatelliteName(static_cast<char>(header[OffSeriesLetter]),
                                                static_cast<char>(header[OffSatelliteLetter]));
    TArchiveSummary summary;
    WorkOutAcquisition(header, satellite, summary);

    if (!satellite.empty())
        lines.push_back("  Satellite: " + satellite);
    const char select = static_cast<char>(header[OffSelectFlag]);
    if (select == 'S')
        lines.push_back("  Selective data set copy (subset)");
    else if (select == 'T')
        lines.push_back("  Total data set copy");
    else
        lines.push_back(std::string("  Select flag \"") + select + "\" unrecognised");
    lines.push_back("  Beginning latitude: " + ReadText(header, OffBeginLatitude, 3));
    lines.push_back("  Ending latitude: " + ReadText(header, OffEndLatitude, 3));
    lines.push_back("  Beginning longitude: " + ReadText(header, OffBeginLongitude, 4));
    lines.push_back("  Ending longitude: " + ReadText(header, OffEndLongitude, 4));
    lines.push_back("  Start hour (UTC): " + ReadText(header, OffStartHour, 2));
    lines.push_back("  Start minute: " + ReadText(header, OffStartMinute, 2));
    lines.push_back("  Number of minutes: " + ReadText(header, OffMinutes, 3));
    lines.push_back("  Channels selected: " + HexBytes(header, OffChannels, ChannelCount));
    std::string printable = " ";
    for (std::size_t i = 0; i < ChannelCount; ++i) {
        const std::uint8_t c = header[OffChannels + i];
        printable += (c >= 32 && c <= 126) ? static_cast<char>(c) : ' ';
        printable += "  ";
    }
    lines.push_back("  Channels selected: " + printable);
    lines.push_back("  Appended data flag: " + ReadText(header, OffAppendedFlag, 1));

    if (header[OffLayoutMarker] == ' ')
        AppendKlmBlock(header, lines);
    else
        AppendPreKlmBlock(header, lines, summary);
    lines.push_back(" ");
    return summary;
}

std::vector<std::string> StoredDataSetNames(TStream& stream)
{
    std::vector<std::string> names;
    for (const std::size_t offset :
         {ArchiveDataSetName, static_cast<std::size_t>(ArchiveHeaderSize) + DataSetHeaderName}) {
        std::string name(DataSetNameWidth, ' ');
        stream.Seek(static_cast<std::int64_t>(offset), TSeekOrigin::Beginning);
        if (stream.Read(name.data(), static_cast<std::int64_t>(name.size())) !=
            static_cast<std::int64_t>(name.size()))
            break;
        names.push_back(name);
    }
    return names;
}

void ReadArchiveHeader(TDecodeContext& context, TStream& stream)
{
    std::vector<std::uint8_t> header(ArchiveHeaderSize);
    stream.ReadBuffer(header.data(), ArchiveHeaderSize);
    TDecodeHost& host = context.Host;
    const TArchiveSummary summary = DecodeArchiveHeader(header, host.DiagnosticLines());
    context.DataSetName = ReadText(header, ArchiveDataSetName, DataSetNameWidth);
    context.ArchiveStart = summary.Start;
    context.ArchiveEnd = summary.End;
    if (summary.HasSatellite)
        host.SetSatelliteName(summary.Satellite);
    if (summary.Start != 0) {
        host.SetArchiveSummary(summary);
        host.SetSatelliteLabelHint(summary.Hint);
        host.SetWindowCaption(host.BaseCaption() + " - " + summary.Summary);
        host.SetHintHidePause(7000);
    }
}

} // namespace veltra
