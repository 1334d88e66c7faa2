#include "make-samples/Names.h"

#include "base/DateTime.h"
#include "base/Errors.h"
#include "base/Format.h"

namespace veltra::samples {

namespace {

const TScanLineData& FirstLine(const TPassData& pass)
{
    if (pass.Lines.empty())
        throw EVeltraError("A pass without scan lines has no name");
    return pass.Lines.front();
}

} // namespace

std::string Level1bDataType(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return "HIRX";
    case TInstrument::AmsuA: return "AMAX";
    case TInstrument::AmsuB: return "AMBX";
    case TInstrument::Mhs: return "MHSX";
    }
    return {};
}

std::string Level1bDataSetName(const TPassData& pass, const std::string& station)
{
    const TScanLineData& first = FirstLine(pass);
    const TUtcTime start = UtcOf(pass.Info, first.Seconds);
    const TUtcTime end = UtcOf(pass.Info, pass.Lines.back().Seconds);
    const int startRevolution = pass.Info.RevolutionAt(first.Seconds);
    const int endRevolution = pass.Info.RevolutionAt(pass.Lines.back().Seconds);
    return Format("NSS.%s.%c%c.D%02d%03d.S%02d%02d.E%02d%02d.B%05d%02d.%-2.2s",
                  Level1bDataType(pass.Instrument).c_str(), pass.Info.Satellite.SeriesLetter,
                  pass.Info.Satellite.Letter, start.Year % 100, start.DayOfYear, start.Hour(),
                  start.Minute(), end.Hour(), end.Minute(), startRevolution % 100000,
                  endRevolution % 100, station.c_str());
}

std::string Level1bFileName(const TPassData& pass, const std::string& station)
{
    return Level1bDataSetName(pass, station) + ".L1B";
}

std::string AappProduct(TInstrument instrument)
{
    switch (instrument) {
    case TInstrument::Hirs: return "hirsl1c";
    case TInstrument::AmsuA: return "amsual1c";
    case TInstrument::AmsuB: return "amsubl1c";
    case TInstrument::Mhs: return "mhsl1c";
    }
    return {};
}

std::string AappFileName(const std::string& product, const TPassData& pass,
                         const std::string& station, const std::string& extension)
{
    const TUtcTime passTime = UtcOf(pass.Info, pass.Info.PassSeconds);
    const TDateTimeParts date =
        DecodeDateTime(DateFromYearDay(passTime.Year, passTime.DayOfYear, 0));
    return Format("%s_%s_%04d%02d%02d_%02d%02d_%05d_%s%s", product.c_str(),
                  pass.Info.Satellite.ShortName.c_str(), date.Year, date.Month, date.Day,
                  passTime.Hour(), passTime.Minute(), pass.Info.RevolutionAt(pass.Info.PassSeconds),
                  station.c_str(), extension.c_str());
}

} // namespace veltra::samples
