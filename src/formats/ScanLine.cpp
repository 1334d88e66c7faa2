#include "formats/ScanLine.h"

#include <cmath>

#include "base/Format.h"

namespace veltra {

namespace {

constexpr std::int64_t MillisecondsPerDay = 86400000;
constexpr double UnixEpoch = 25569.0; // 1970-01-01 as a date-time

constexpr std::uint8_t Hirs = InstrumentMask(TLineInstrument::Hirs);
constexpr std::uint8_t AmsuA = InstrumentMask(TLineInstrument::AmsuA);
constexpr std::uint8_t AmsuB = InstrumentMask(TLineInstrument::AmsuB);
constexpr std::uint8_t Mhs = InstrumentMask(TLineInstrument::Mhs);
constexpr std::uint8_t Microwave = AmsuA | AmsuB | Mhs;
constexpr std::uint8_t Every = Hirs | Microwave;

using enum TFlagWord;

// NOAA KLM User's Guide, section 8.3.1, as the NOAA CoastWatch layout files, typhon, pygac
// and the NOAA BUFR translators read it. AMSU-A, AMSU-B and MHS keep their calibration problem
// byte in bits 15-8 of the scan-line quality word, HIRS its calibration flags in the same bits.
constexpr TFlagMeaning Meanings[] = {
    {QualityIndicator, 31, Every, "do not use"},
    {QualityIndicator, 30, Every, "time sequence error"},
    {QualityIndicator, 29, Every, "data gap"},
    {QualityIndicator, 28, Every, "calibration"},
    {QualityIndicator, 27, Every, "no Earth location"},
    {QualityIndicator, 26, Every, "first good time after clock update"},
    {QualityIndicator, 25, Every, "instrument status changed"},
    {QualityIndicator, 6, AmsuB, "new bias status change"},
    {QualityIndicator, 5, AmsuB, "new bias on"},
    {QualityIndicator, 4, AmsuB | Mhs, "transmitter status change"},
    {QualityIndicator, 3, Microwave, "sync error"},
    {QualityIndicator, 2, Microwave, "minor frame error"},
    {QualityIndicator, 1, Microwave, "major frame error"},
    {QualityIndicator, 0, Microwave, "parity error"},
    {ScanLineQuality, 23, Hirs, "bad time (fixable)"},
    {ScanLineQuality, 22, Hirs, "bad time"},
    {ScanLineQuality, 21, Hirs, "time not consistent"},
    {ScanLineQuality, 20, Hirs, "repeated time"},
    {ScanLineQuality, 15, Every, "not calibrated (bad time)"},
    {ScanLineQuality, 14, Microwave, "fewer scan lines for calibration"},
    {ScanLineQuality, 13, Every, "bad PRT"},
    {ScanLineQuality, 12, Every, "marginal PRT"},
    {ScanLineQuality, 11, Every, "some channels not calibrated"},
    {ScanLineQuality, 10, Every, "instrument mode (calibration)"},
    {ScanLineQuality, 9, Hirs, "Moon in space view"},
    {ScanLineQuality, 9, Microwave, "antenna position error in space view"},
    {ScanLineQuality, 8, Microwave, "antenna position error in blackbody view"},
    {ChannelQuality, 8, AmsuA, "calibration jump"},
    {ChannelQuality, 7, AmsuA, "Moon detected"},
    {ChannelQuality, 6, AmsuA, "Moon corrected"},
    {ChannelQuality, 6, AmsuB | Mhs, "calibration jump"},
    {ChannelQuality, 5, Microwave, "all blackbody views bad"},
    {ChannelQuality, 4, Microwave, "all space views bad"},
    {ChannelQuality, 3, Microwave, "all PRT readings bad"},
    {ChannelQuality, 2, Microwave, "marginal blackbody views"},
    {ChannelQuality, 1, Microwave, "marginal space views"},
    {ChannelQuality, 0, Microwave, "marginal PRT readings"},
};

const char* MeaningOf(TFlagWord word, int bit, TLineInstrument instrument)
{
    for (const TFlagMeaning& m : Meanings)
        if (m.Word == word && m.Bit == bit && (m.Instruments & InstrumentMask(instrument)) != 0)
            return m.Words;
    return nullptr;
}

// The set bits of a word, most significant first, by meaning or by number.
void AppendBits(std::vector<std::string>& words, TFlagWord word, std::uint32_t value, int bits,
                TLineInstrument instrument, const std::string& prefix, const char* unnamed)
{
    for (int bit = bits - 1; bit >= 0; --bit) {
        if ((value >> bit & 1u) == 0)
            continue;
        const char* meaning = MeaningOf(word, bit, instrument);
        words.push_back(prefix + (meaning != nullptr ? std::string(meaning)
                                                     : Format("%s bit %d", unnamed, bit)));
    }
}

struct TScanSteps {
    std::int32_t Footprints;
    double Step; // degrees
};

TScanSteps StepsOf(TLineInstrument instrument)
{
    switch (instrument) {
    case TLineInstrument::Hirs: return {56, 1.8};
    case TLineInstrument::AmsuA: return {30, 10.0 / 3.0};
    case TLineInstrument::AmsuB: return {90, 1.1};
    case TLineInstrument::Mhs: return {90, 10.0 / 9.0};
    case TLineInstrument::Unknown: break;
    }
    return {0, 0};
}

float Hundredths(std::int32_t value, double limit)
{
    const double degrees = value * 0.01;
    return std::fabs(degrees) <= limit ? static_cast<float>(degrees)
                                       : std::numeric_limits<float>::quiet_NaN();
}

// hh:mm:ss with the given number of decimals of the second begun (1 or 3), counted in whole
// milliseconds so that no rounding carries into the next minute.
std::string TimeOfDay(TUtcMilliseconds utc, int decimals)
{
    const std::int64_t ms = (utc % MillisecondsPerDay + MillisecondsPerDay) % MillisecondsPerDay;
    const std::int64_t seconds = ms / 1000;
    const std::string text =
        Format("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
               static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    if (decimals == 3)
        return text + Format(".%03lld", static_cast<long long>(ms % 1000));
    return text + Format(".%lld", static_cast<long long>(ms % 1000 / 100));
}

bool IsMicrowave(TLineInstrument instrument)
{
    return instrument == TLineInstrument::AmsuA || instrument == TLineInstrument::AmsuB ||
           instrument == TLineInstrument::Mhs;
}

} // namespace

std::optional<TUtcMilliseconds> UtcFromYearDay(std::int64_t year, std::int64_t dayOfYear,
                                               std::int64_t milliseconds)
{
    if (year < 1950 || year > 2199 || dayOfYear < 1 ||
        dayOfYear > (IsLeapYear(static_cast<int>(year)) ? 366 : 365) || milliseconds < 0 ||
        milliseconds >= MillisecondsPerDay + 1000)
        return std::nullopt;
    const auto days =
        static_cast<std::int64_t>(EncodeDate(static_cast<int>(year), 1, 1) - UnixEpoch) +
        dayOfYear - 1;
    return days * MillisecondsPerDay + milliseconds;
}

TDateTime DateTimeFromUtc(TUtcMilliseconds utc)
{
    return UnixEpoch + static_cast<double>(utc) / static_cast<double>(MillisecondsPerDay);
}

std::optional<TUtcMilliseconds> UtcFromDateTime(TDateTime value)
{
    if (value == 0 || !std::isfinite(value))
        return std::nullopt;
    return std::llround((value - UnixEpoch) * static_cast<double>(MillisecondsPerDay));
}

std::string IsoUtcText(TUtcMilliseconds utc)
{
    const std::int64_t midnight =
        utc - (utc % MillisecondsPerDay + MillisecondsPerDay) % MillisecondsPerDay;
    return FormatDateTime("yyyy-mm-dd", DateTimeFromUtc(midnight)) + "T" + TimeOfDay(utc, 3) + "Z";
}

std::string TimeOfDayText(TUtcMilliseconds utc)
{
    return TimeOfDay(utc, 1) + " UTC";
}

float ZenithAngle(std::int32_t hundredths)
{
    return Hundredths(hundredths, 180);
}

float AzimuthAngle(std::int32_t hundredths)
{
    return Hundredths(hundredths, 360);
}

float ScanAngle(TLineInstrument instrument, std::int32_t footprint)
{
    const TScanSteps steps = StepsOf(instrument);
    if (footprint < 0 || footprint >= steps.Footprints)
        return std::numeric_limits<float>::quiet_NaN();
    return static_cast<float>((footprint - (steps.Footprints - 1) / 2.0) * steps.Step);
}

std::int32_t FootprintsPerLine(TLineInstrument instrument)
{
    return StepsOf(instrument).Footprints;
}

bool LineFlagged(const TScanLineInfo& line)
{
    return line.QualityIndicator && (*line.QualityIndicator & QualityFlaggedBits) != 0;
}

bool LineHidden(const TScanLineInfo& line)
{
    return LineFlagged(line) || (line.Instrument == TLineInstrument::Mhs && line.InstrumentMode &&
                                 *line.InstrumentMode != MhsScanMode);
}

std::optional<std::uint16_t> ChannelQualityOf(const TScanLineInfo& line, int channel)
{
    if (!line.HasChannelQuality || !IsMicrowave(line.Instrument) || channel < 1 || channel > 20)
        return std::nullopt;
    return line.ChannelQuality[static_cast<std::size_t>(channel - 1)];
}

bool ChannelFlaggedBad(const TScanLineInfo& line, int channel)
{
    const std::optional<std::uint16_t> quality = ChannelQualityOf(line, channel);
    return quality && (*quality & ChannelQualityBadBits) != 0;
}

bool FootprintHidden(const TScanLineInfo& line, int channel)
{
    return LineHidden(line) || ChannelFlaggedBad(line, channel);
}

std::span<const TFlagMeaning> FlagMeanings()
{
    return Meanings;
}

std::vector<std::string> FlagWords(const TScanLineInfo& line, int channel)
{
    std::vector<std::string> words;
    if (line.QualityIndicator)
        AppendBits(words, QualityIndicator, *line.QualityIndicator, 32, line.Instrument, "",
                   "quality indicator");
    if (line.ScanLineQuality)
        AppendBits(words, ScanLineQuality, *line.ScanLineQuality, 32, line.Instrument, "",
                   "scan line quality");
    if (line.Instrument == TLineInstrument::Mhs && line.InstrumentMode &&
        *line.InstrumentMode != MhsScanMode)
        words.push_back(Format("instrument mode %d", *line.InstrumentMode));
    if (const std::optional<std::uint16_t> quality = ChannelQualityOf(line, channel))
        AppendBits(words, ChannelQuality, *quality, 16, line.Instrument,
                   Format("channel %d: ", channel), "quality");
    return words;
}

} // namespace veltra
