#include "app/render/RenderCommand.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string_view>
#include <thread>

#include "app/FootprintReadout.h"
#include "app/MapNavigation.h"
#include "app/VeltraForm.h"
#include "app/exports/ExportCommands.h"
#include "app/render/BatchRun.h"
#include "app/render/FootprintChannelsOutput.h"
#include "app/render/HeadlessView.h"
#include "app/render/RenderOutputs.h"
#include "base/DateTime.h"
#include "base/Errors.h"
#include "base/Executable.h"
#include "base/Failure.h"
#include "base/Format.h"
#include "composite/Composite.h"
#include "export/GeoTiffExport.h"
#include "export/GridExport.h"
#include "formats/ScanLine.h"
#include "mapping/zorCartography.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

#ifndef VELTRA_VERSION
#define VELTRA_VERSION "1.0.0"
#endif

namespace veltra {

namespace {

constexpr int MaxBitmapSide = 8192;
constexpr int MaxJobs = 1024;

struct TUsageError {
    std::string Message;
};
struct TInputError {
    std::string Message;
};
struct TOutputError {
    std::string Message;
};

struct TReadout {
    int X = 0, Y = 0;
};

// What one run of veltra-render is asked: the view of each input (the request every input
// is rendered with, its File set per input), the outputs and the texts.
struct TRenderOptions {
    TRenderOptions()
    {
        // The viewer's defaults at its first start, every check box off, the map 800 x 600.
        Request.Background = 0;
        Request.Projection = 7;
        Request.Region = 0;
        Request.FillFootprints = Request.HirsCountOffset = Request.Legend =
            Request.HideFlaggedLines = false;
        Request.Palette = TPaletteKind::Thermal;
        Request.Gridlines = Request.FixMaxTemp = Request.TempsInC = Request.OpenGroup = false;
        Request.Width = 800;
        Request.Height = 600;
        Request.RenderOnce = true;
    }
    bool Help = false, Version = false;
    TRunRequest Request;
    std::vector<std::string> Files; // every input, in command-line order
    int Jobs = 0;                   // inputs rendered at once; 0: one per processor
    std::optional<std::string> Jpeg, Png, Bt, NetCdf, Csv, GeoTiff, GeoTiffValues;
    bool Diagnostics = false, Info = false, AllChannels = false;
    std::vector<TReadout> Readouts;
    std::vector<TSpectrumPoint> Spectra;
    double GridStep = 0.25; // of a composite's --netcdf
};

bool ParseInt(const std::string& text, int& value)
{
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

int IntOption(const std::string& name, const std::string& text, int low, int high)
{
    int value = 0;
    if (!ParseInt(text, value) || value < low || value > high)
        throw TUsageError{Format("%s: '%s' is not a whole number from %d to %d", name.c_str(),
                                 text.c_str(), low, high)};
    return value;
}

// The names the projection and region options take (from the table of projection kinds and
// the region presets), beside the numbers the settings store.
struct TNamedCode {
    std::string Name;
    int Code;
};

std::vector<TNamedCode> ProjectionNames()
{
    std::vector<TNamedCode> names;
    for (const TProjectionKindInfo& kind : ProjectionKinds())
        if (kind.Name != nullptr)
            names.push_back({kind.Name, kind.Code});
    return names;
}

std::vector<TNamedCode> RegionNames()
{
    std::vector<TNamedCode> names;
    for (const TRegionPreset& preset : RegionPresets)
        names.push_back({preset.Name, preset.Region});
    return names;
}

int NamedOption(const std::string& name, const std::string& text,
                const std::vector<TNamedCode>& names, int low, int high)
{
    for (const TNamedCode& entry : names)
        if (UpperCase(text) == UpperCase(entry.Name))
            return entry.Code;
    int value = 0;
    if (!ParseInt(text, value) || value < low || value > high)
        throw TUsageError{Format("%s: '%s' is neither one of its names nor a number from %d to %d",
                                 name.c_str(), text.c_str(), low, high)};
    return value;
}

// The usage lines of --projection: its names and their numbers, wrapped as the text round it.
std::string ProjectionUsage()
{
    const std::vector<TNamedCode> names = ProjectionNames();
    std::string list, codes;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const char* separator = i == 0 ? "" : i + 1 == names.size() ? " or " : ", ";
        list += separator + names[i].Name;
        codes += (i == 0 ? "" : ", ") + std::to_string(names[i].Code);
    }
    const std::string text = list + " (or the kind's number: " + codes + "; 0-14); default " +
                             ProjectionKindOf(pkOrthographic).Name;
    const std::string indent(22, ' ');
    std::string usage = "  --projection NAME   ", line;
    std::size_t from = 0;
    while (from < text.size()) {
        std::size_t to = text.find(' ', from);
        if (to == std::string::npos)
            to = text.size();
        const std::string word = text.substr(from, to - from);
        if (!line.empty() && indent.size() + line.size() + 1 + word.size() > 98) {
            usage += line + "\n" + indent;
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        from = to + 1;
    }
    return usage + line + "\n";
}

// An ISO 8601 UTC time, YYYY-MM-DD[THH:MM[:SS[.sss]]][Z], as ms since 1970.
std::int64_t TimeOption(const std::string& name, const std::string& text)
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, consumed = 0;
    double second = 0;
    std::string rest = text;
    if (!rest.empty() && (rest.back() == 'Z' || rest.back() == 'z'))
        rest.pop_back();
    bool ok = false;
    if (std::sscanf(rest.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%n", &year, &month, &day, &hour, &minute,
                    &second, &consumed) == 6 &&
        static_cast<std::size_t>(consumed) == rest.size())
        ok = true;
    else if (second = 0; std::sscanf(rest.c_str(), "%4d-%2d-%2dT%2d:%2d%n", &year, &month, &day,
                                     &hour, &minute, &consumed) == 5 &&
                         static_cast<std::size_t>(consumed) == rest.size())
        ok = true;
    else if (hour = minute = 0;
             std::sscanf(rest.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) == 3 &&
             static_cast<std::size_t>(consumed) == rest.size())
        ok = true;
    const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (!ok || year < 1950 || year > 2199 || month < 1 || month > 12 || day < 1 ||
        day > monthDays[month - 1] || hour > 23 || minute > 59 || !(second >= 0 && second < 61))
        throw TUsageError{name + ": '" + text +
                          "' is not an ISO 8601 UTC time such as 2024-01-15T06:00"};
    // The day of the year; 29 February of a common year is 1 March.
    const int daysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    const int dayOfYear = daysBefore[month - 1] + day + (month > 2 && IsLeapYear(year) ? 1 : 0);
    return *UtcFromYearDay(year, dayOfYear, 0) + (hour * 3600 + minute * 60) * std::int64_t{1000} +
           std::llround(second * 1000);
}

// "AxB" with two whole numbers separated by the given character.
void ParsePair(const std::string& name, const std::string& text, char separator, int& a, int& b)
{
    const auto at = text.find(separator);
    if (at == std::string::npos || !ParseInt(text.substr(0, at), a) ||
        !ParseInt(text.substr(at + 1), b))
        throw TUsageError{name + ": '" + text + "' is not of the form A" + separator + "B"};
}

// "A" or "A,B" of decimal numbers, each within its range; B stays as it is when absent.
void ParseDegrees(const std::string& name, const std::string& text, bool needsTwo, float& a,
                  float& b, float lowA, float highA, float lowB, float highB)
{
    auto number = [](const std::string& part, float& value) {
        const char* end = part.data() + part.size();
        const auto result = std::from_chars(part.data(), end, value);
        return !part.empty() && result.ec == std::errc() && result.ptr == end &&
               std::isfinite(value);
    };
    const auto comma = text.find(',');
    const bool two = comma != std::string::npos;
    float first = 0, second = 0;
    if ((needsTwo && !two) || !number(text.substr(0, comma), first) ||
        (two && !number(text.substr(comma + 1), second)) || !(first >= lowA && first <= highA) ||
        (two && !(second >= lowB && second <= highB)))
        throw TUsageError{Format("%s: '%s' is not %s", name.c_str(), text.c_str(),
                                 needsTwo ? "LAT,LON with LAT in -90..90 and LON in -180..180"
                                          : "LON[,LAT] with LON in 0..360 and LAT in 0..180 "
                                            "degrees, above 0")};
    a = first;
    if (two)
        b = second;
}

std::vector<std::pair<const char*, std::optional<std::string>*>> OutputOptions(TRenderOptions& o)
{
    return {{"--jpeg", &o.Jpeg},
            {"--png", &o.Png},
            {"--bt", &o.Bt},
            {"--netcdf", &o.NetCdf},
            {"--csv", &o.Csv},
            {"--geotiff", &o.GeoTiff},
            {"--geotiff-values", &o.GeoTiffValues}};
}

// The outputs asked for, in the order they are written.
std::vector<TRenderOutput> RenderOutputs(const TRenderOptions& o)
{
    const std::pair<TRenderOutputKind, const std::optional<std::string>*> named[] = {
        {TRenderOutputKind::Jpeg, &o.Jpeg},
        {TRenderOutputKind::Png, &o.Png},
        {TRenderOutputKind::Bt, &o.Bt},
        {o.AllChannels ? TRenderOutputKind::NetCdfAllChannels : TRenderOutputKind::NetCdf,
         &o.NetCdf},
        {TRenderOutputKind::Csv, &o.Csv},
        {TRenderOutputKind::GeoTiff, &o.GeoTiff},
        {TRenderOutputKind::GeoTiffValues, &o.GeoTiffValues}};
    const char* options[] = {"--jpeg",    "--png",           "--bt", "--netcdf", "--csv",
                             "--geotiff", "--geotiff-values"};
    std::vector<TRenderOutput> outputs;
    for (std::size_t i = 0; i < std::size(named); ++i)
        if (*named[i].second)
            outputs.push_back({named[i].first, options[i], **named[i].second});
    return outputs;
}

bool WritesText(const TRenderOptions& o)
{
    return o.Info || o.Diagnostics || !o.Readouts.empty() || !o.Spectra.empty();
}

// "A,B": the channel shown and the one subtracted from it, two channel numbers; A becomes the
// channel asked for.
void ParseDifference(const std::string& text, TRunRequest& request)
{
    int a = 0, b = 0;
    const auto comma = text.find(',');
    if (comma == std::string::npos || !ParseInt(text.substr(0, comma), a) ||
        !ParseInt(text.substr(comma + 1), b) || a < 1 || a > 20 || b < 1 || b > 20 || a == b)
        throw TUsageError{"--difference: '" + text +
                          "' is not A,B with two different channel numbers from 1 to 20"};
    if (request.Channel && *request.Channel != a)
        throw TUsageError{
            Format("--difference: channel %d, but --channel %d", a, *request.Channel)};
    request.Channel = a;
    request.Difference = b;
}

// Several inputs must not write over each other's outputs, nor any output over another or
// over an input. A composite writes one set of outputs, and its --netcdf is the grid: footprint
// lists have no place in it.
void CheckOutputNames(TRenderOptions& o)
{
    if (o.Request.Composite) {
        if (o.Bt || o.Csv)
            throw TUsageError{std::string(o.Bt ? "--bt" : "--csv") +
                              " lists footprints and has no composite; --netcdf writes its grid"};
        if (o.AllChannels)
            throw TUsageError{"--all-channels: a composite's --netcdf is its grid"};
        if (o.Request.Difference)
            throw TUsageError{"--difference: a composite shows one channel"};
        for (const auto& [option, name] : OutputOptions(o))
            if (*name && name->value().find("{name}") != std::string::npos)
                throw TUsageError{std::string(option) + ": '" + **name +
                                  "': a composite writes one set of outputs, without {name}"};
    } else if (o.Files.size() >= 2)
        for (const auto& [option, name] : OutputOptions(o))
            if (*name && name->value().find("{name}") == std::string::npos)
                throw TUsageError{std::string(option) + ": '" + **name +
                                  "' must contain {name} when more than one FILE is given"};
    const std::string clash = OutputNameClash(o.Files, o.Request.Countries, RenderOutputs(o),
                                              WritesText(o), o.Request.Composite.has_value());
    if (!clash.empty())
        throw TUsageError{clash};
}

TRenderOptions ParseArguments(const std::vector<std::string>& arguments)
{
    TRenderOptions o;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string arg = arguments[i];
        std::string value;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                value = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInlineValue = true;
            }
        }
        auto takeValue = [&]() -> std::string {
            if (hasInlineValue)
                return value;
            if (i + 1 >= arguments.size())
                throw TUsageError{arg + " needs a value"};
            return arguments[++i];
        };
        auto flag = [&](auto& target) {
            if (hasInlineValue)
                throw TUsageError{arg + " takes no value"};
            target = true;
        };
        if (arg == "--help" || arg == "-h")
            flag(o.Help);
        else if (arg == "--version")
            flag(o.Version);
        else if (arg == "--sensor") {
            std::string name = UpperCase(takeValue());
            if (name == "MHS") // MHS data are shown under the AMSU-B tab
                name = "AMSU-B";
            if (name != "HIRS" && name != "AMSU-A" && name != "AMSU-B")
                throw TUsageError{"--sensor: '" + name + "' is not HIRS, AMSU-A, AMSU-B or MHS"};
            o.Request.Sensor = name;
        } else if (arg == "--channel") {
            const int channel = IntOption(arg, takeValue(), 1, 20);
            if (o.Request.Difference && channel != *o.Request.Channel)
                throw TUsageError{Format("--channel: %d, but --difference %d,%d", channel,
                                         *o.Request.Channel, *o.Request.Difference)};
            o.Request.Channel = channel;
        } else if (arg == "--difference")
            ParseDifference(takeValue(), o.Request);
        else if (arg == "--projection")
            o.Request.Projection = NamedOption(arg, takeValue(), ProjectionNames(), 0, 14);
        else if (arg == "--region")
            o.Request.Region = NamedOption(arg, takeValue(), RegionNames(), 0, 5);
        else if (arg == "--size") {
            const std::string text = takeValue();
            int& width = o.Request.Width;
            int& height = o.Request.Height;
            ParsePair(arg, text, 'x', width, height);
            if (width < 1 || height < 1 || width > MaxBitmapSide || height > MaxBitmapSide)
                throw TUsageError{
                    Format("--size: each side must be from 1 to %d pixels", MaxBitmapSide)};
        } else if (arg == "--background") {
            const std::string text = takeValue();
            if (text != "black" && text != "white")
                throw TUsageError{"--background: '" + text + "' is not black or white"};
            o.Request.Background = text == "white" ? 0xFFFFFF : 0;
        } else if (arg == "--gridlines")
            flag(o.Request.Gridlines);
        else if (arg == "--fixed")
            flag(o.Request.FixMaxTemp);
        else if (arg == "--celsius")
            flag(o.Request.TempsInC);
        else if (arg == "--group")
            flag(o.Request.OpenGroup);
        else if (arg == "--fill")
            flag(o.Request.FillFootprints);
        else if (arg == "--hirs-counts") {
            const std::string text = takeValue();
            if (text != "offset" && text != "sign-magnitude")
                throw TUsageError{"--hirs-counts: '" + text + "' is not offset or sign-magnitude"};
            o.Request.HirsCountOffset = text == "offset";
        } else if (arg == "--palette") {
            const std::string text = takeValue();
            const TPaletteInfo* palette = PaletteNamed(text);
            if (palette == nullptr)
                throw TUsageError{"--palette: '" + text +
                                  "' is not thermal, viridis, cividis, grey or difference"};
            o.Request.Palette = palette->Kind;
        } else if (arg == "--range") {
            const std::string text = takeValue();
            TColourRange range;
            if (!ParseColourRange(text, range) || range.Choice == TColourRange::TChoice::Default)
                throw TUsageError{"--range: '" + text +
                                  "' is neither MIN,MAX (kelvin, MIN below MAX) nor auto"};
            o.Request.Range = range;
        } else if (arg == "--legend")
            flag(o.Request.Legend);
        else if (arg == "--mask") {
            const std::string text = takeValue();
            if (text != "flagged" && text != "none")
                throw TUsageError{"--mask: '" + text + "' is not flagged or none"};
            o.Request.HideFlaggedLines = text == "flagged";
        } else if (arg == "--all-channels")
            flag(o.AllChannels);
        else if (arg == "--countries")
            o.Request.Countries = takeValue();
        else if (arg == "--jpeg")
            o.Jpeg = takeValue();
        else if (arg == "--png")
            o.Png = takeValue();
        else if (arg == "--bt")
            o.Bt = takeValue();
        else if (arg == "--netcdf")
            o.NetCdf = takeValue();
        else if (arg == "--csv")
            o.Csv = takeValue();
        else if (arg == "--geotiff")
            o.GeoTiff = takeValue();
        else if (arg == "--geotiff-values")
            o.GeoTiffValues = takeValue();
        else if (arg == "--composite") {
            const std::string rule = takeValue();
            if (!CompositeRuleNamed(rule))
                throw TUsageError{"--composite: '" + rule +
                                  "' is not latest, nadir, min, max or mean"};
            o.Request.Composite = rule;
        } else if (arg == "--from")
            o.Request.From = TimeOption(arg, takeValue());
        else if (arg == "--to")
            o.Request.To = TimeOption(arg, takeValue());
        else if (arg == "--grid-step") {
            const std::string text = takeValue();
            const char* end = text.data() + text.size();
            double step = 0;
            const auto result = std::from_chars(text.data(), end, step);
            if (text.empty() || result.ec != std::errc() || result.ptr != end ||
                !(step >= TGridComposite::MinGridStep && step <= 90))
                throw TUsageError{"--grid-step: '" + text +
                                  "' is not a number of degrees from 0.1 to 90"};
            o.GridStep = step;
        } else if (arg == "-j" || arg == "--jobs")
            o.Jobs = IntOption(arg, takeValue(), 1, MaxJobs);
        else if (arg.rfind("-j", 0) == 0 && arg.size() > 2)
            o.Jobs = IntOption("-j", arg.substr(2), 1, MaxJobs);
        else if (arg == "--diagnostics")
            flag(o.Diagnostics);
        else if (arg == "--info")
            flag(o.Info);
        else if (arg == "--readout") {
            TReadout r;
            ParsePair(arg, takeValue(), ',', r.X, r.Y);
            o.Readouts.push_back(r);
        } else if (arg == "--spectrum") {
            TSpectrumPoint point;
            ParseDegrees(arg, takeValue(), true, point.Latitude, point.Longitude, -90, 90, -180,
                         180);
            o.Spectra.push_back(point);
        } else if (arg == "--centre")
            ParseDegrees(arg, takeValue(), true, o.Request.CentreLatitude,
                         o.Request.CentreLongitude, -90, 90, -180, 180);
        else if (arg == "--span") {
            ParseDegrees(arg, takeValue(), false, o.Request.LongitudeSpan, o.Request.LatitudeSpan,
                         0, 360, 0, 180);
            if (!(o.Request.LongitudeSpan > 0) || o.Request.LatitudeSpan == 0)
                throw TUsageError{"--span: a span must be above 0 degrees"};
        } else if (arg.size() > 1 && arg[0] == '-')
            throw TUsageError{"unknown option " + arg};
        else
            o.Files.push_back(arg);
    }
    if (o.Help || o.Version)
        return o;
    if (o.Files.empty())
        throw TUsageError{"no FILE given"};
    if (o.Request.From && o.Request.To && *o.Request.To <= *o.Request.From)
        throw TUsageError{"--to must be later than --from"};
    if (!o.Jpeg && !o.Png && !o.Bt && !o.NetCdf && !o.Csv && !o.GeoTiff && !o.GeoTiffValues &&
        !o.Info && !o.Diagnostics && o.Readouts.empty() && o.Spectra.empty())
        throw TUsageError{"nothing to do: no --jpeg, --png, --bt, --netcdf, --csv, --geotiff, "
                          "--geotiff-values, --info, --diagnostics, --readout or --spectrum"};
    if (o.AllChannels && !o.NetCdf)
        throw TUsageError{"--all-channels: needs --netcdf OUT, the file it writes"};
    o.Request.DrawOnce = !o.Diagnostics;
    // Pictures and --info read no footprint back; the exports, read-outs and spectra do.
    o.Request.SamplesUnread = !o.Bt && !o.NetCdf && !o.Csv && !o.GeoTiff && !o.GeoTiffValues &&
                              o.Readouts.empty() && o.Spectra.empty();
    CheckOutputNames(o);
    return o;
}

void CheckReadable(const std::string& name)
{
    const std::string unreadable = UnreadableInput(name);
    if (!unreadable.empty())
        throw TInputError{unreadable};
}

// Whether the bytes are well-formed UTF-8: every sequence complete, in its shortest form, no
// surrogate halves and nothing beyond U+10FFFF.
bool IsUtf8(std::string_view text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        // The sequence's length, and the range of its second byte that rules out overlong
        // forms, surrogates and code points beyond U+10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (text.size() - at < length)
            return false;
        const auto second = static_cast<unsigned char>(text[at + 1]);
        if (second < low || second > high)
            return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
                return false;
        at += length;
    }
    return true;
}

// A diagnostics line as UTF-8: file names already are; header fields are single-byte text,
// so a line that is not valid UTF-8 is taken as Latin-1.
std::string DiagnosticLineUtf8(const std::string& text)
{
    if (IsUtf8(text))
        return text;
    std::string out;
    for (const unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string EscapeLineFeeds(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// A GeoTIFF of a projection without a coordinate reference system is refused before any
// output is written.
void CheckGeoReference(const TFormVeltra& form, const TRenderOptions& o)
{
    for (const auto* name : {&o.GeoTiff, &o.GeoTiffValues}) {
        try {
            if (*name)
                GeoReferenceOf(*form.Mapping);
        } catch (const ENoGeoReference& e) {
            throw TOutputError{**name + ": " + e.what()};
        }
    }
}

// The members of a station group are inputs too, known once the group is open.
void CheckGroupOutputs(const TFormVeltra& form, const TRenderOptions& o)
{
    if (form.Streams.Count() < 2)
        return;
    std::vector<std::string> members;
    for (int i = 0; i < form.Streams.Count(); ++i)
        members.push_back(form.Streams.FileName(i));
    const std::string clash = OutputIsInput(members, RenderOutputs(o));
    if (!clash.empty())
        throw TUsageError{clash};
}

// The pass's start and end over every stream (ISO 8601, empty when no header gave them), the
// scan lines flagged and those the mask hid.
void PrintScanLineInfo(const TFormVeltra& form, std::ostream& out)
{
    const TPassTimes span = form.ShownPassTimes();
    std::int32_t flagged = 0, masked = 0;
    if (form.CompositeOpen) {
        // A composite keeps no samples: its passes counted their lines.
        for (const TCompositePass& pass : form.Composite.Inputs) {
            flagged += pass.FlaggedLines;
            masked += pass.MaskedLines;
        }
    } else {
        flagged = FlaggedLineCount(form.Samples);
        masked = MaskedLineCount(form.Samples);
    }
    out << "start=" << (span.Start ? IsoUtcText(*span.Start) : "") << '\n'
        << "end=" << (span.End ? IsoUtcText(*span.End) : "") << '\n'
        << "flagged_lines=" << flagged << '\n'
        << "hidden_lines=" << (form.MaskFlaggedLines() ? masked : 0) << '\n';
}

void PrintText(TFormVeltra& form, const TRenderOptions& o, std::ostream& out)
{
    if (o.Info) {
        std::string channel;
        form.SelectedChannelCaption(channel);
        out << "caption=" << EscapeLineFeeds(form.WindowCaption) << '\n'
            << "label=" << EscapeLineFeeds(form.SatelliteLabel) << '\n'
            << "hint=" << EscapeLineFeeds(form.SatelliteLabelHint) << '\n'
            << "sensor=" << form.SensorName() << '\n'
            << "channel=" << channel << '\n'
            << "mintemp=" << Format("%g", form.MinTemp) << '\n'
            << "maxtemp=" << Format("%g", form.MaxTemp) << '\n'
            << "samples=" << form.SampleCount() << '\n'
            << "streams=" << form.Streams.Count() << '\n'
            << "problems=" << form.Streams.Problems().size() << '\n';
        PrintScanLineInfo(form, out);
        if (form.CompositeOpen)
            out << "passes=" << form.Composite.Passes << '\n'
                << "footprints=" << form.Composite.Footprints << '\n'
                << "duplicate_lines=" << form.Composite.DuplicateLines << '\n';
    }
    if (o.Diagnostics)
        for (const auto& line : form.DiagnosticLines())
            out << DiagnosticLineUtf8(line) << '\n';
    for (const auto& r : o.Readouts) {
        form.ImageDisplayMouseMove(r.X, r.Y);
        std::string text = form.CursorLocation;
        text.erase(text.find_last_not_of(' ') + 1);
        // The window's two rows: the read-out, then the footprint drawn under the cursor.
        out << text << '\n' << form.FootprintReadout() << '\n';
    }
}

// Text on standard output is an output too: a pipe closed early or a full disk must not
// end in success.
int Written(std::ostream& out)
{
    out.flush();
    if (!out)
        throw TOutputError{"cannot write to standard output"};
    return RenderOk;
}

int Render(const TRenderOptions& o, const std::string& executable, std::ostream& out,
           std::ostream& err)
{
    // A composite tells an input it cannot read among its problems and goes on with the rest;
    // its exit status is then at least that of an unreadable input.
    bool unreadable = false;
    if (!o.Request.Composite)
        CheckReadable(o.Request.File);
    else
        for (const std::string& file : o.Request.Files)
            unreadable = unreadable || !UnreadableInput(file).empty();
    if (o.Request.Countries)
        CheckReadable(*o.Request.Countries);

    THeadlessView view(ProgramFolder(executable));
    std::vector<std::string> diagnostics;
    TFormVeltra form(view, {}, executable);
    form.SetDiagnosticLines(&diagnostics);
    form.GridReader = GridReaderFor(form);
    switch (form.RunOnce(o.Request)) {
    case TRunResult::Shown: break;
    case TRunResult::NotOpened:
        throw TInputError{"cannot read " +
                          (o.Request.Composite ? o.Request.Files.front() : o.Request.File)};
    case TRunResult::SensorNotOffered:
        throw TUsageError{"--sensor: " + *o.Request.Sensor + " is not offered for " +
                          o.Request.File};
    case TRunResult::ChannelNotOffered: {
        const std::string sensor = form.SensorName();
        throw TUsageError{Format("--channel: %d is not a channel of %s", *o.Request.Channel,
                                 sensor.empty() ? "this file" : sensor.c_str())};
    }
    case TRunResult::DifferenceNotOffered:
        throw TUsageError{Format("--difference: %d less %d is not a difference of two %s "
                                 "brightness temperatures",
                                 *o.Request.Channel, *o.Request.Difference,
                                 form.SensorName().c_str())};
    case TRunResult::OutlinesNotLoaded: throw TInputError{form.Notices.back()};
    }
    for (const std::string& notice : form.Notices) // an outline file beside the program
        err << "veltra-render: " << EscapeControls(notice) << '\n';
    if (const std::string odd = form.CompositeOddFile(); !odd.empty())
        throw TUsageError{"--composite: " + odd + " is not a " + form.SensorName() + " file like " +
                          o.Request.Files.front()};
    CheckGeoReference(form, o);
    CheckGroupOutputs(form, o);
    const bool written = WriteRenderOutputs(form, RenderOutputs(o), out, err);
    PrintText(form, o, out);
    const bool spectraFound = PrintSpectra(form, o.Spectra, out, err);
    for (const TStreamProblem& problem : form.Streams.Problems())
        err << "veltra-render: " << EscapeControls(problem.FileName) << ": "
            << EscapeControls(problem.Reason) << '\n';
    const bool nothingDecoded =
        form.CompositeOpen ? form.Composite.Footprints == 0 : form.Streams.NothingDecoded();
    form.FormDestroy();
    const int status = Written(out);
    if (!written)
        return RenderOutputError;
    if (nothingDecoded || !spectraFound)
        return RenderNothingDecoded;
    return unreadable ? RenderInputError : status;
}

} // namespace

std::string RenderUsage()
{
    return R"(Usage: veltra-render [OPTIONS] FILE...
Renders each FILE (Level 1b, 1c or 1d, plain or bzip2; a Level 1b file also under the name the
NOAA archive gives it, NSS.MHSX.NN.D24015.S1118.E1300.B1234567.WI) as the Veltra viewer would,
without a window, each on its own with the same options, or all of them as one composite
(--composite). In output names {name} stands for the input's file name without its folder;
with more than one FILE every output name must contain it (a composite's none), and the text of
each FILE follows a line file=PATH.
  --sensor NAME       HIRS, AMSU-A or AMSU-B (MHS: the same as AMSU-B): the sensor tab to select
                      after detection from the name (needed for Level 1d and for Level 1b names
                      without a sensor marker); an error if that tab is not offered for FILE
  --channel N         channel number: HIRS 1-20, AMSU-A 1-15, AMSU-B/MHS 16-20;
                      default: the viewer's start channel for the sensor
  --difference A,B    paint channel A's brightness temperature less channel B's at every
                      footprint, both of the sensor and from the same record, neither HIRS
                      channel 20: the difference palette over a range symmetric about 0, up to
                      the 98th percentile of |A - B| (--range applies); the read-out, --bt,
                      --csv, --netcdf (brightness_temperature_difference, channel_a and channel_b)
                      and --geotiff-values carry the difference, the label "Channel A − B"
)" + ProjectionUsage() +
           R"(  --region NAME       europe, indian-ocean, north-america, atlantic, south-america or north-pole
                      (or its number, 0-5); default europe
  --size WxH          map bitmap size in pixels (default 800x600)
  --background black|white      (default black)
  --gridlines  --fixed  --celsius  --group     the four check boxes, off by default; a group's
                      files are drawn in the order of their names
  --fill              draw each footprint filled up to its neighbours (View > Fill footprints)
  --palette NAME      thermal (default), viridis, cividis, grey (cold white, warm black) or
                      difference (blue-white-red); values outside the range keep their two colours
  --range MIN,MAX     the range the palette spans, in kelvin (MIN below MAX), for the channel drawn
  --range auto        the range from the 2nd to the 98th percentile of the footprints drawn;
                      default: the channel's own limits (and --fixed)
  --legend            the pictures get a strip below the map: the colour bar with tick values and
                      unit (K, or C with --celsius; % for HIRS channel 20), and a title line with
                      the satellite, sensor, channel and the pass's UTC times
  --hirs-counts offset|sign-magnitude   how Level 1b HIRS count words are read: sign-magnitude
                      (default) or offset, NOAA's negative counts stored as count + 4096
  --mask flagged|none hide the footprints of scan lines flagged do not use, calibration or no
                      Earth location, of MHS lines not in scan mode and of channels flagged bad in
                      a line (View > Hide flagged scan lines), also from a composite and its
                      grid; default none
  --countries FILE    outline file, at most 256 MiB (default: the one the viewer would find)
  --jpeg OUT          the viewer's JPEG (quality 80, with its comment)
  --png OUT           the same picture, lossless
  --bt OUT            the brightness-temperature records of the viewer's export (12-byte little-endian
                      latitude, longitude, temperature floats, in drawing order)
  --netcdf OUT        the same footprints as NetCDF-4 with CF-1.8 metadata, and the scan line,
                      footprint and input file of each (input_files: the file names without
                      their folders, one a line, a backslash or control character escaped); where
                      the file holds them, each one's time, satellite and solar zenith angles and
                      its line's quality flags
  --all-channels      with --netcdf: every channel of the selected sensor as one CF swath
                      (scan_line, footprint, channel) of the whole pass instead (no composite)
  --csv OUT           the same footprints as CSV text, one row each, with a header row
  --geotiff OUT       the picture as a georeferenced GeoTIFF (plate carree, Mercator,
                      orthographic, polar stereographic and the two azimuthal and gnomonic kinds),
                      with an alpha band that leaves the background out
  --geotiff-values OUT  the same georeference with one Float32 band: each pixel the brightness
                      temperature (K; HIRS channel 20: albedo, %) of the footprint drawn there, NaN
                      (nodata) elsewhere; its unit and channel in the metadata
  --diagnostics       print the diagnostics lines to standard output, one per line
  --info              print key=value lines to standard output: caption, label (the satellite label
                      text), hint, sensor, channel, mintemp, maxtemp (as %g), samples, streams,
                      problems (files not decoded completely), start and end (the pass's UTC start
                      and end, ISO 8601), flagged_lines (scan lines flagged do not use, calibration
                      or no Earth location) and hidden_lines (scan lines --mask hid); a composite
                      also passes, footprints (composited: every footprint decoded with --netcdf,
                      else those drawn) and duplicate_lines
  --centre LAT,LON    centre the view there (degrees), as a pan in the viewer would
  --span LON[,LAT]    the view's longitude and latitude spans in degrees, as a zoom in the viewer
                      would; LAT defaults to LON x height / width
  --readout X,Y       print the cursor read-out at pixel X,Y (may be repeated): the read-out line,
                      then the footprint drawn there (value, line, footprint, position, time,
                      satellite zenith angle, flags), empty when none is
  --spectrum LAT,LON  print the spectrum of the footprint nearest to LAT,LON by great-circle
                      distance, anywhere in the pass (may be repeated): a line "# " with its
                      scan line's UTC time (ISO 8601), its position, distance (km), scan line
                      and footprint, then the CSV lines
                      channel,central_wavenumber,frequency_ghz,wavelength_um,passband,
                      brightness_temperature, one per channel of the sensor, the unit column
                      that does not apply empty (HIRS channel 20: its albedo, %). A point further
                      from the nearest footprint than that footprint's size (the distance to its
                      neighbours: the larger of the line spacing, HIRS 42 km, AMSU-A 52 km,
                      AMSU-B/MHS 17.5 km, and the footprint spacing along the scan there, seen
                      from 850 km) is told on standard error and ends in status 5
  --composite RULE    draw every FILE into one picture and one set of outputs: latest (the later
                      scan line on top), nadir (the footprint nearest nadir), min, max or mean of
                      the temperatures per pixel; FILEs are passes of one sensor (any family) taken
                      in time order, and grid files it wrote; a scan line held by two FILEs is
                      used once; --netcdf then writes a latitude-longitude grid by the same rule
                      of every footprint decoded, whatever the view shows; an unreadable FILE is
                      named, the others composited, and the exit status is then at least 3
  --grid-step DEG     the composite grid's cell size in degrees, 0.1-90 (default 0.25)
  --from TIME, --to TIME   keep only scan lines from TIME (inclusive) to TIME (exclusive), ISO
                      8601 UTC such as 2024-01-15T06:00, for single files and composites alike
  -j N, --jobs N      render N files at once, or decode N passes of a composite at once (default:
                      one per processor); the outputs are the same for every N
  --help, --version
An OUT that is a regular file, or not there yet, is replaced in one step; a symbolic link stays
and the file it leads to is replaced; a character device (/dev/null) or a FIFO is written
directly; "-" is standard output (not with --info, --diagnostics or --readout). NetCDF and
GeoTIFF need a regular file. Two outputs that would write the same file (also {name} of files
of the same name in two folders), or an output that is an input, are a usage error.
On a terminal a progress line on standard error counts the files done and the problems.
At least one output or text option is needed. Each file that was not decoded completely is
named on standard error with the reason: "veltra-render: FILE: REASON", for example
"truncated: 41 of 141 scan lines", "stopped early: 71 of 141 scan lines hold data" (the rest
all at 0 N 0 E, as a partial download leaves them; not drawn) or "12 footprints with impossible
positions skipped" (beyond 90 degrees of latitude, or outside -180 to 360 of longitude). Each
output that cannot be written is named the same way with the system's reason, and the others
are still written. Names on standard error and in file= lines show a backslash as \\ and
control characters as \n, \t or \xHH.
Exit status, the highest of the files': 0 success (also when only part of a file could be decoded), 2 usage error,
3 input missing or unreadable (also an outline file over 256 MiB), 4 an output could not be
written (before 5; also a GeoTIFF of a projection without a coordinate reference system:
nothing is then written), 5 no footprint was decoded from any input, or a --spectrum point has
no footprint (the outputs asked for are still written).
A composite: 2 also for inputs of different sensors (the odd file is named), 3 for an
unreadable input (the others are composited and written), 5 when no input gave a footprint.
)";
}

namespace {

// Tells the failure being handled on err and gives its exit status.
int ReportFailure(std::ostream& err)
{
    try {
        throw;
    } catch (const TUsageError& e) {
        err << "veltra-render: " << EscapeControls(e.Message) << '\n'
            << "Try 'veltra-render --help' for more information.\n";
        return RenderUsageError;
    } catch (const TInputError& e) {
        err << "veltra-render: " << EscapeControls(e.Message) << '\n';
        return RenderInputError;
    } catch (const TOutputError& e) {
        err << "veltra-render: " << EscapeControls(e.Message) << '\n';
        return RenderOutputError;
    } catch (...) {
        err << "veltra-render: " << EscapeControls(CaughtFailure().Message) << '\n';
        return RenderInputError;
    }
}

// One input with its own copy of the options: the outputs named for it, its failures ending
// in its own exit status.
int RenderInput(TRenderOptions o, const std::string& input, const std::string& executable,
                std::ostream& out, std::ostream& err)
{
    o.Request.File = input;
    for (const auto& [option, name] : OutputOptions(o))
        if (*name)
            *name = OutputNameFor(**name, input);
    try {
        return Render(o, executable, out, err);
    } catch (...) {
        return ReportFailure(err);
    }
}

// A composite of grids only (the merge of a month's days) takes the sensor and channel of its
// first grid unless they are given.
bool IsGridFile(const std::string& name)
{
    try {
        TFileStream stream(name);
        return LooksLikeGrid(stream);
    } catch (...) {
        CaughtFailure();
        return false;
    }
}

void AdoptGridChannel(TRenderOptions& o, const std::string& executable)
{
    // The passes first: the sensor is told from the first file's name.
    std::stable_partition(o.Files.begin(), o.Files.end(),
                          [](const std::string& name) { return !IsGridFile(name); });
    if (o.Request.Sensor || o.Request.Channel || !IsGridFile(o.Files.front()))
        return;
    TFileStream stream(o.Files.front());
    TGridProduct product;
    std::string reason;
    if (!ReadGridFile(stream, product, reason, ProgramFolder(executable)))
        throw TInputError{o.Files.front() + ": " + reason};
    o.Request.Sensor = product.Metadata.Instrument;
    o.Request.Channel = product.Metadata.Channel;
}

int RenderAll(const TRenderOptions& o, const std::string& executable, std::ostream& out,
              std::ostream& err, bool progress)
{
    // What every input shares is set up here, before any thread starts: no settings. The
    // bundled font is registered with Qt's font database when text is first drawn (gridline
    // labels): that loads the whole fontconfig configuration, a tenth of a render's work.
    SetDefaultSettingsStore(std::make_shared<TNullSettingsStore>());
    if (o.Request.Composite) {
        TRenderOptions composite = o;
        try {
            AdoptGridChannel(composite, executable);
            composite.Request.Files = composite.Files;
            composite.Request.Jobs = o.Jobs;
            composite.Request.GridStep = o.NetCdf ? o.GridStep : 0;
            // The outlines are read and projected meanwhile, beside the decoding threads.
            composite.Request.OutlinesBeside = std::thread::hardware_concurrency() > 1;
            return Render(composite, executable, out, err);
        } catch (...) {
            return ReportFailure(err);
        }
    }
    if (o.Files.size() == 1) {
        // The second processor reads and projects the outlines meanwhile.
        TRenderOptions single = o;
        single.Request.OutlinesBeside = std::thread::hardware_concurrency() > 1;
        return RenderInput(single, o.Files.front(), executable, out, err);
    }
    const bool text = WritesText(o);
    TBatchOptions batch;
    const int processors = static_cast<int>(std::thread::hardware_concurrency());
    batch.Jobs = o.Jobs > 0 ? o.Jobs : std::max(1, processors);
    batch.Progress = progress;
    const int status = RunBatch(
        o.Files.size(), batch,
        [&](std::size_t i, std::ostream& inputOut, std::ostream& inputErr) {
            if (text)
                inputOut << "file=" << EscapeControls(o.Files[i]) << '\n';
            return RenderInput(o, o.Files[i], executable, inputOut, inputErr);
        },
        out, err);
    return std::max(status, Written(out));
}

} // namespace

int RunRender(const std::vector<std::string>& arguments, const std::string& executable,
              std::ostream& out, std::ostream& err, bool progress)
{
    try {
        const TRenderOptions options = ParseArguments(arguments);
        if (options.Help) {
            out << RenderUsage();
            return Written(out);
        }
        if (options.Version) {
            out << "veltra-render " << VELTRA_VERSION << '\n';
            return Written(out);
        }
        return RenderAll(options, executable, out, err, progress);
    } catch (...) {
        return ReportFailure(err);
    }
}

} // namespace veltra
