#include "app/FootprintChannels.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "app/StreamList.h"
#include "base/Format.h"

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;
// The visible HIRS channel's nominal centre; the header gives it no wavenumber.
constexpr double VisibleWavelength = 0.69;

// The microwave channels as the field names them (the published frequencies and the offsets of
// their passbands), AMSU-A channels 1-15, then AMSU-B and MHS channels 16-20.
constexpr const char* AmsuAPassbands[15] = {"23.8 GHz",
                                            "31.4 GHz",
                                            "50.3 GHz",
                                            "52.8 GHz",
                                            "53.596±0.115 GHz",
                                            "54.4 GHz",
                                            "54.94 GHz",
                                            "55.5 GHz",
                                            "57.29 GHz",
                                            "57.29±0.217 GHz",
                                            "57.29±0.3222±0.048 GHz",
                                            "57.29±0.3222±0.022 GHz",
                                            "57.29±0.3222±0.010 GHz",
                                            "57.29±0.3222±0.0045 GHz",
                                            "89.0 GHz"};
constexpr const char* AmsuBPassbands[5] = {"89.0±0.9 GHz", "150.0±0.9 GHz", "183.31±1 GHz",
                                           "183.31±3 GHz", "183.31±7 GHz"};
constexpr const char* MhsPassbands[5] = {"89.0 GHz", "157.0 GHz", "183.311±1 GHz", "183.311±3 GHz",
                                         "190.311 GHz"};

std::string Passband(int channel, bool mhs)
{
    if (channel >= 1 && channel <= 15)
        return AmsuAPassbands[channel - 1];
    if (channel >= 16 && channel <= 20)
        return (mhs ? MhsPassbands : AmsuBPassbands)[channel - 16];
    return "";
}

// A fixed-point number without the zeros its decimals end in ("899.46", "2.96872", "89").
std::string Trimmed(double value, int decimals)
{
    std::string text = Format("%.*f", decimals, value);
    if (text.find('.') != std::string::npos) {
        text.erase(text.find_last_not_of('0') + 1);
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

// Single precision in its shortest form that reads back to the same value, as the CSV export.
std::string Shortest(float value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string Joined(std::initializer_list<const std::string*> parts)
{
    std::string text;
    for (const std::string* part : parts)
        if (!part->empty())
            text += (text.empty() ? "" : "  ") + *part;
    return text;
}

constexpr double EarthRadius = 6371.0;  // km
constexpr double OrbitAltitude = 850.0; // km, NOAA-15 to NOAA-19 (Metop-A flies at 820)
constexpr double GroundSpeed = 6.56;    // km/s, of the sub-satellite point at that altitude

double Radians(double degrees)
{
    return degrees * std::numbers::pi / 180.0;
}

// The angle at the Earth's centre between nadir and where a ray leaving the satellite at a
// scan angle (radians, either side of nadir) meets the ground; the limb beyond about 62
// degrees.
double CentralAngle(double scan)
{
    const double sine = (EarthRadius + OrbitAltitude) / EarthRadius * std::sin(scan);
    return std::asin(std::clamp(sine, -1.0, 1.0)) - scan;
}

} // namespace

std::vector<TSpectrumRow> SpectrumRows(const std::vector<TChannelValue>& values, bool microwave,
                                       bool mhs, bool level1b)
{
    std::vector<TSpectrumRow> rows;
    for (const TChannelValue& value : values) {
        TSpectrumRow row;
        row.Channel = value.Channel;
        row.Wavenumber = value.Wavenumber;
        if (microwave) {
            row.Frequency = FrequencyGhz(value.Wavenumber);
            row.Passband = Passband(value.Channel, mhs);
        } else if (value.Channel == HirsVisibleChannel) {
            row.Wavelength = VisibleWavelength;
            row.Passband = Trimmed(VisibleWavelength, 2) + " µm";
        } else if (value.Wavenumber > 0) {
            row.Wavelength = 10000.0 / value.Wavenumber;
            row.Passband = Format("%.1f µm", row.Wavelength);
        }
        row.Albedo = value.Visible;
        row.Value = value.Visible ? VisibleAlbedo(value.Value, level1b) : value.Value;
        rows.push_back(row);
    }
    return rows;
}

std::string SpectrumCsv(const TFootprintSpectrum& spectrum)
{
    std::string text =
        "channel,central_wavenumber,frequency_ghz,wavelength_um,passband,brightness_temperature\n";
    for (const TSpectrumRow& row : spectrum.Rows) {
        text += std::to_string(row.Channel) + ',';
        text += (row.Wavenumber != 0 ? Trimmed(row.Wavenumber, 6) : "") + ',';
        text += (row.Frequency != 0 ? Trimmed(row.Frequency, 4) : "") + ',';
        text += (row.Wavelength != 0 ? Trimmed(row.Wavelength, 4) : "") + ',';
        text += row.Passband + ',';
        text += (std::isnan(row.Value) ? "" : Shortest(row.Value)) + '\n';
    }
    return text;
}

std::string SpectrumCaption(const TFootprintSpectrum& s)
{
    return s.Details.Text();
}

std::string SpectrumHeader(const TFootprintSpectrum& s, double distanceKm)
{
    const std::string distance = Format("%.1f km away", distanceKm);
    const TFootprintDetails& d = s.Details;
    return "# " + Joined({&s.UtcTime, &d.Position, &distance, &d.Place, &d.File});
}

bool ShowsMhs(TLineInstrument lines, const std::string& satellite)
{
    if (lines == TLineInstrument::Mhs)
        return true;
    if (lines != TLineInstrument::Hirs)
        return false;
    return StartsWith(satellite, "Metop") || satellite == "NOAA-18" || satellite == "NOAA-19";
}

double GreatCircleKm(double latitude1, double longitude1, double latitude2, double longitude2)
{
    const double dLatitude = Radians(latitude2 - latitude1);
    const double dLongitude = Radians(longitude2 - longitude1);
    const double a = std::pow(std::sin(dLatitude / 2), 2) +
                     std::cos(Radians(latitude1)) * std::cos(Radians(latitude2)) *
                         std::pow(std::sin(dLongitude / 2), 2);
    return 2 * EarthRadius * std::asin(std::min(1.0, std::sqrt(a)));
}

double FootprintSizeKm(TLineInstrument instrument, std::int32_t footprint)
{
    double interval = 0; // seconds between scan lines
    switch (instrument) {
    case TLineInstrument::Hirs: interval = 6.4; break;
    case TLineInstrument::AmsuA: interval = 8.0; break;
    case TLineInstrument::AmsuB:
    case TLineInstrument::Mhs: interval = 8.0 / 3.0; break;
    case TLineInstrument::Unknown: instrument = TLineInstrument::AmsuA, interval = 8.0; break;
    }
    const double step = ScanAngle(instrument, 1) - ScanAngle(instrument, 0);
    const float angle = ScanAngle(instrument, footprint);
    const double scan = std::isnan(angle) ? 0.0 : angle;
    const double across = EarthRadius * std::abs(CentralAngle(Radians(scan + step / 2)) -
                                                 CentralAngle(Radians(scan - step / 2)));
    return std::max(across, interval * GroundSpeed);
}

void TRecordChannelsReaders::Clear(std::uint64_t streams)
{
    streams_ = streams;
    readers_.clear();
}

TRecordChannelsReader* TRecordChannelsReaders::Of(const TStreamList& list, int index,
                                                  const std::string& fileExt,
                                                  const std::string& sensorName,
                                                  bool hirsCountOffset)
{
    if (list.Generation() != streams_ || index < 0 || index >= list.Count() ||
        list.Items(index) == nullptr)
        return nullptr;
    readers_.resize(static_cast<std::size_t>(list.Count()));
    auto& reader = readers_[static_cast<std::size_t>(index)];
    if (!reader)
        reader = std::make_unique<TRecordChannelsReader>(*list.Items(index), fileExt, sensorName,
                                                         hirsCountOffset);
    return reader.get();
}

} // namespace veltra
