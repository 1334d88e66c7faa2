#include "make-samples/Scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace veltra::samples {

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double Degree = Pi / 180.0;

// An ellipse in latitude and longitude (degrees): centre and half-axes.
struct TLandBlob {
    double Lat, Lon, LatRadius, LonRadius;
};

// Continents drawn as overlapping ellipses, finer over Europe where the sample passes go.
constexpr TLandBlob LandBlobs[] = {
    // Europe
    {40.2, -4.0, 3.8, 5.2},
    {46.6, 2.4, 3.6, 4.6},
    {51.5, 9.5, 3.3, 6.5},
    {51.5, 20.0, 3.5, 5.5},
    {47.3, 12.0, 1.8, 5.0},
    {56.0, 45.0, 10.0, 18.0},
    {48.5, 31.0, 3.5, 8.0},
    {65.0, 50.0, 6.0, 18.0},
    {63.0, 14.5, 6.5, 5.5},
    {61.0, 8.0, 3.0, 3.5},
    {69.0, 20.0, 2.0, 8.0},
    {63.5, 26.5, 4.5, 4.0},
    {56.5, 25.0, 2.2, 3.5},
    {56.0, 9.5, 1.3, 1.5},
    {53.5, -2.0, 3.6, 2.2},
    {57.5, -4.5, 1.4, 1.8},
    {53.3, -8.0, 1.7, 2.0},
    {45.2, 10.0, 1.4, 3.5},
    {42.5, 12.8, 1.8, 1.5},
    {40.0, 16.0, 1.5, 1.4},
    {37.5, 14.0, 0.6, 1.2},
    {40.0, 9.0, 1.1, 0.6},
    {43.5, 20.5, 3.0, 4.5},
    {39.0, 22.0, 2.0, 1.8},
    {39.0, 34.0, 2.6, 8.5},
    {64.9, -18.5, 1.2, 4.0},
    {78.5, 17.0, 1.5, 6.0},
    {74.0, 56.0, 3.0, 4.0},
    // Africa and the Middle East
    {27.0, 8.0, 9.0, 21.0},
    {24.0, 26.0, 8.0, 8.0},
    {11.0, 2.0, 8.0, 16.0},
    {3.0, 24.0, 12.0, 13.0},
    {9.0, 40.0, 6.0, 8.0},
    {-17.0, 26.0, 13.0, 12.0},
    {-29.0, 24.0, 5.0, 8.0},
    {-19.0, 46.5, 6.0, 2.0},
    {24.0, 46.0, 9.0, 10.0},
    {34.0, 42.0, 6.0, 10.0},
    {32.0, 55.0, 6.0, 9.0},
    // Asia
    {62.0, 100.0, 12.0, 45.0},
    {73.0, 100.0, 4.0, 20.0},
    {44.0, 68.0, 9.0, 20.0},
    {47.0, 103.0, 6.0, 18.0},
    {33.0, 108.0, 11.0, 16.0},
    {22.0, 78.0, 10.0, 9.0},
    {15.0, 102.0, 7.0, 6.0},
    {63.0, 150.0, 9.0, 22.0},
    {-2.0, 115.0, 4.0, 15.0},
    {36.0, 138.0, 4.0, 3.0},
    // The Americas and Greenland
    {58.0, -100.0, 13.0, 36.0},
    {40.0, -97.0, 10.0, 25.0},
    {64.0, -152.0, 6.0, 14.0},
    {23.0, -103.0, 8.0, 9.0},
    {14.0, -88.0, 4.0, 6.0},
    {74.0, -95.0, 6.0, 28.0},
    {54.0, -68.0, 8.0, 12.0},
    {28.0, -82.0, 3.0, 2.0},
    {73.0, -41.0, 10.0, 17.0},
    {-5.0, -60.0, 14.0, 17.0},
    {-5.0, -40.0, 6.0, 6.0},
    {-25.0, -58.0, 12.0, 12.0},
    {-40.0, -67.0, 10.0, 6.0},
    {-50.0, -70.0, 5.0, 4.0},
    // Australia
    {-25.0, 134.0, 11.0, 18.0},
};

double SmoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

double WrapDegrees(double degrees)
{
    double d = std::fmod(degrees + 180.0, 360.0);
    if (d < 0)
        d += 360.0;
    return d - 180.0;
}

// A reproducible value in [-1, 1] for a lattice point.
double LatticeValue(int x, int y, int z, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA77u;
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE3Du;
    h ^= static_cast<std::uint32_t>(z) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h / 2147483647.5 - 1.0;
}

// Value noise: lattice values blended with smooth weights, continuous with its slope.
double ValueNoise(double x, double y, double z, std::uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    const double tx = SmoothStep(0, 1, x - fx), ty = SmoothStep(0, 1, y - fy),
                 tz = SmoothStep(0, 1, z - fz);
    double value = 0.0;
    for (int corner = 0; corner < 8; ++corner) {
        const int dx = corner & 1, dy = (corner >> 1) & 1, dz = corner >> 2;
        const double weight = (dx ? tx : 1 - tx) * (dy ? ty : 1 - ty) * (dz ? tz : 1 - tz);
        value += weight * LatticeValue(ix + dx, iy + dy, iz + dz, seed);
    }
    return value;
}

// Smooth random-looking field on the sphere, about -1 to 1: octaves of value noise in 3-D
// around the unit sphere (so there is no seam at the date line nor a knot at the poles),
// `frequency` lattice cells per earth radius, each octave twice as fine and half as strong.
double SphereNoise(double latitude, double longitude, double frequency, int octaves,
                   std::uint32_t seed)
{
    const double phi = latitude * Degree, lambda = longitude * Degree;
    const double x = std::cos(phi) * std::cos(lambda), y = std::cos(phi) * std::sin(lambda),
                 z = std::sin(phi);
    double sum = 0.0, amplitude = 1.0, total = 0.0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * ValueNoise(x * frequency + 17.3, y * frequency - 4.1,
                                      z * frequency + 9.7, seed + static_cast<std::uint32_t>(o));
        total += amplitude;
        amplitude *= 0.5;
        frequency *= 2.0;
    }
    return sum / total;
}

// Noise fields of the scene, one seed each.
enum : std::uint32_t {
    CoastSeed = 11,
    FrontPathSeed = 23,
    FrontStrengthSeed = 31,
    ItczPathSeed = 41,
    ItczStrengthSeed = 53,
    CellSeed = 61,
    HumiditySeed = 71,
    SurfaceSeed = 83,
};

// How a channel responds to the scene. Brightness temperature =
//   (1 - Surface) * layer + Surface * surface term,
// where the layer is the temperature of the air the channel sounds (Pole at the poles,
// Equator at the equator, shifted by the wave and lowered by humidity) and the surface term is
// the cloudy infrared surface or, for microwave channels, the land/sea emission.
struct TChannelModel {
    double Pole, Equator, WaveAmplitude, HumidityAmplitude, Surface;
    // Microwave surface: land emissivity; sea brightness = SeaBase + SeaTropical * tropical +
    // SeaHumidity * humidity + SeaCloud * cloud (liquid water emits); Scatter lowers it under
    // deep cloud (ice scattering at high frequencies).
    double LandEmissivity, SeaBase, SeaTropical, SeaHumidity, SeaCloud, Scatter;
    double Low, High;
};

// HIRS channels 1-19. Upper limits stay below the viewer's per-channel colour range maxima.
constexpr TChannelModel HirsModels[19] = {
    {205, 225, 2.0, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 275},  // 1: 15 um CO2, 30 hPa
    {210, 218, 2.0, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 260},  // 2: 60 hPa
    {216, 205, 2.0, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 236},  // 3: 100 hPa
    {222, 240, 3.0, 0, 0.02, 0, 0, 0, 0, 0, 0, 200, 246},  // 4: 400 hPa
    {230, 254, 4.0, 0, 0.05, 0, 0, 0, 0, 0, 0, 200, 261},  // 5: 600 hPa
    {238, 264, 4.0, 0, 0.15, 0, 0, 0, 0, 0, 0, 200, 276},  // 6: 800 hPa
    {242, 270, 4.0, 0, 0.35, 0, 0, 0, 0, 0, 0, 200, 286},  // 7: 900 hPa
    {0, 0, 0, 0, 1.00, 0, 0, 0, 0, 0, 0, 200, 326},        // 8: 11 um window
    {232, 250, 3.0, 0, 0.30, 0, 0, 0, 0, 0, 0, 200, 266},  // 9: ozone
    {240, 270, 3.0, 0, 0.85, 0, 0, 0, 0, 0, 0, 200, 306},  // 10: 8 um, nearly window
    {236, 256, 3.0, 12, 0.05, 0, 0, 0, 0, 0, 0, 200, 271}, // 11: 7.3 um water vapour
    {226, 246, 3.0, 14, 0.00, 0, 0, 0, 0, 0, 0, 200, 256}, // 12: 6.5 um water vapour
    {245, 275, 3.0, 0, 0.55, 0, 0, 0, 0, 0, 0, 205, 296},  // 13: 4.57 um
    {240, 268, 3.0, 0, 0.25, 0, 0, 0, 0, 0, 0, 205, 286},  // 14: 4.52 um
    {232, 258, 3.0, 0, 0.08, 0, 0, 0, 0, 0, 0, 205, 276},  // 15: 4.46 um
    {222, 246, 3.0, 0, 0.02, 0, 0, 0, 0, 0, 0, 205, 256},  // 16: 4.40 um
    {215, 232, 2.0, 0, 0.00, 0, 0, 0, 0, 0, 0, 205, 246},  // 17: 4.24 um, stratosphere
    {0, 0, 0, 0, 1.00, 0, 0, 0, 0, 0, 0, 205, 315},        // 18: 4.0 um window
    {0, 0, 0, 0, 1.00, 0, 0, 0, 0, 0, 0, 205, 315},        // 19: 3.7 um window
};

// AMSU-A channels 1-15.
constexpr TChannelModel AmsuAModels[15] = {
    {0, 0, 0, 0, 1.00, 0.95, 162, 28, 14, 12, 0, 155, 305},      // 1: 23.8 GHz
    {0, 0, 0, 0, 1.00, 0.95, 155, 25, 8, 18, 0, 152, 305},       // 2: 31.4 GHz
    {235, 255, 2.0, 0, 0.60, 0.94, 200, 20, 0, 10, 0, 180, 300}, // 3: 50.3 GHz
    {246, 262, 3.0, 0, 0.15, 0.94, 215, 20, 0, 5, 0, 200, 290},  // 4: 52.8 GHz
    {232, 252, 3.0, 0, 0.03, 0.94, 215, 20, 0, 0, 0, 200, 280},  // 5: 53.6 GHz
    {222, 238, 3.0, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 270},        // 6: 54.4 GHz
    {214, 228, 2.5, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 260},        // 7: 54.94 GHz
    {210, 220, 2.0, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 250},        // 8: 55.5 GHz
    {212, 206, 1.5, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 250},        // 9: 57.29 GHz
    {214, 210, 1.5, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 250},        // 10
    {217, 216, 1.5, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 250},        // 11
    {222, 224, 1.5, 0, 0.00, 0, 0, 0, 0, 0, 0, 195, 260},        // 12
    {228, 234, 1.5, 0, 0.00, 0, 0, 0, 0, 0, 0, 200, 270},        // 13
    {236, 248, 1.5, 0, 0.00, 0, 0, 0, 0, 0, 0, 200, 280},        // 14
    {0, 0, 0, 0, 1.00, 0.93, 198, 36, 10, 15, 10, 170, 305},     // 15: 89 GHz
};

// AMSU-B / MHS channels 16-20.
constexpr TChannelModel AmsuBModels[5] = {
    {0, 0, 0, 0, 1.00, 0.93, 198, 36, 10, 15, 12, 170, 305},      // 16: 89 GHz
    {250, 272, 2.0, 10, 0.75, 0.92, 228, 40, 0, 0, 18, 190, 300}, // 17: 150/157 GHz
    {230, 244, 3.0, 20, 0.00, 0, 0, 0, 0, 0, 0, 200, 275},        // 18: 183 +-1 GHz
    {240, 258, 3.0, 16, 0.02, 0.92, 230, 30, 0, 0, 0, 205, 285},  // 19: 183 +-3 GHz
    {250, 270, 2.5, 12, 0.12, 0.92, 232, 35, 0, 0, 6, 210, 295},  // 20: 183 +-7 / 190 GHz
};

const TChannelModel& ModelFor(TInstrument instrument, int channel)
{
    switch (instrument) {
    case TInstrument::Hirs: return HirsModels[std::clamp(channel, 1, 19) - 1];
    case TInstrument::AmsuA: return AmsuAModels[std::clamp(channel, 1, 15) - 1];
    case TInstrument::AmsuB:
    case TInstrument::Mhs: break;
    }
    return AmsuBModels[std::clamp(channel, 16, 20) - 16];
}

// The sun's declination on a day and its hour angle at a longitude and time (radians; the
// hour angle grows westwards, 0 at local noon).
double Declination(int dayOfYear)
{
    return -23.44 * Degree * std::cos(2.0 * Pi * (dayOfYear + 10) / 365.0);
}

double HourAngle(double longitude, double seconds)
{
    return (seconds / 3600.0 - 12.0) * 15.0 * Degree + longitude * Degree;
}

// Cosine of the solar zenith angle.
double SunCosine(int dayOfYear, double latitude, double longitude, double seconds)
{
    const double declination = Declination(dayOfYear);
    const double hourAngle = HourAngle(longitude, seconds);
    const double lat = latitude * Degree;
    return std::sin(lat) * std::sin(declination) +
           std::cos(lat) * std::cos(declination) * std::cos(hourAngle);
}

} // namespace

TLookAngles SunSeenFrom(int dayOfYear, double latitude, double longitude, double seconds)
{
    const double declination = Declination(dayOfYear);
    const double hourAngle = HourAngle(longitude, seconds);
    const double lat = latitude * Degree;
    const double cosine = SunCosine(dayOfYear, latitude, longitude, seconds);
    const double east = -std::cos(declination) * std::sin(hourAngle);
    const double north = std::sin(declination) * std::cos(lat) -
                         std::cos(declination) * std::sin(lat) * std::cos(hourAngle);
    double azimuth = std::atan2(east, north) / Degree;
    if (azimuth < 0)
        azimuth += 360.0;
    return {std::acos(std::clamp(cosine, -1.0, 1.0)) / Degree, azimuth};
}

double TSceneModel::LandFraction(double latitude, double longitude)
{
    double land = SmoothStep(-64.0, -70.0, latitude); // Antarctica
    // Coasts are ragged: the ellipses' edges are pushed in and out by a fine noise field,
    // computed only for points near an edge.
    double coast = 0.0;
    bool haveCoast = false;
    for (const TLandBlob& blob : LandBlobs) {
        const double dLat = (latitude - blob.Lat) / blob.LatRadius;
        if (std::fabs(dLat) > 1.5)
            continue;
        const double dLon = WrapDegrees(longitude - blob.Lon) / blob.LonRadius;
        double q = dLat * dLat + dLon * dLon;
        if (q > 2.0)
            continue;
        if (!haveCoast) {
            coast = SphereNoise(latitude, longitude, 30.0, 2, CoastSeed);
            haveCoast = true;
        }
        q += 0.6 * coast;
        if (q < 1.1)
            land = std::max(land, SmoothStep(1.1, 0.9, q));
    }
    return land;
}

TSceneState TSceneModel::At(double latitude, double longitude, double seconds) const
{
    TSceneState s;
    s.Latitude = latitude;
    s.Longitude = longitude;
    const double phi = latitude * Degree;
    const double lambda = longitude * Degree;
    const double absLat = std::fabs(latitude);
    s.Tropical = std::cos(phi) * std::cos(phi);

    // Wave train of wavenumber 6 in the westerlies, troughs tilted, weaker undulations in the
    // tropics.
    const double midLatitudes = std::exp(-std::pow((absLat - 50.0) / 20.0, 2));
    const double phase = 6.0 * lambda + 0.8 * std::sin(3.0 * lambda);
    s.Wave = std::clamp(midLatitudes * std::sin(phase + 0.04 * (absLat - 50.0)) +
                            0.25 * (1.0 - midLatitudes) * std::sin(3.0 * lambda),
                        -1.0, 1.0);

    // Polar front winding with the wave, the tropical convergence zone, and shallow cloud
    // fields in between.
    const std::uint32_t hemisphere = latitude >= 0 ? 0 : 100;
    const double frontLatitude =
        48.0 + 8.0 * std::sin(phase + 0.9) +
        5.0 * SphereNoise(0.0, longitude, 3.0, 2, FrontPathSeed + hemisphere);
    const double frontWidth =
        4.0 + 1.5 * SphereNoise(0.0, longitude, 6.0, 1, FrontPathSeed + 1 + hemisphere);
    const double frontStrength = std::clamp(
        0.75 + 0.6 * SphereNoise(latitude, longitude, 8.0, 2, FrontStrengthSeed), 0.0, 1.0);
    const double front =
        std::exp(-std::pow((absLat - frontLatitude) / frontWidth, 2)) * frontStrength;
    const double itczLatitude = 5.0 + 4.0 * SphereNoise(0.0, longitude, 4.0, 2, ItczPathSeed);
    const double itcz =
        std::exp(-std::pow((latitude - itczLatitude) / 5.0, 2)) *
        SmoothStep(-0.35, 0.45, SphereNoise(latitude, longitude, 10.0, 3, ItczStrengthSeed));
    const double cells = 0.8 *
                         SmoothStep(0.0, 0.6, SphereNoise(latitude, longitude, 12.0, 2, CellSeed)) *
                         (0.35 + 0.65 * midLatitudes);
    const double deep = front + itcz;
    s.Cloud = std::clamp(deep + cells, 0.0, 1.0);
    s.DeepCloud = deep + cells > 1e-9 ? std::clamp(deep / (deep + cells), 0.0, 1.0) : 0.0;

    s.Humidity = std::clamp(0.25 + 0.45 * s.Tropical + 0.35 * s.Cloud + 0.15 * s.Wave +
                                0.2 * SphereNoise(latitude, longitude, 7.0, 2, HumiditySeed),
                            0.0, 1.0);
    s.Land = LandFraction(latitude, longitude);

    // Surface: warm tropics, cold poles, ridges warmer than troughs; land cools in the
    // winter hemisphere and warms in the summer one.
    const double season = std::cos(2.0 * Pi * (dayOfYear_ - 15) / 365.0) * (latitude >= 0 ? 1 : -1);
    const double continental = s.Land * (1.0 - s.Tropical);
    s.SurfaceTemperature = 250.0 + 52.0 * s.Tropical + 4.0 * s.Wave +
                           3.0 * SphereNoise(latitude, longitude, 5.0, 2, SurfaceSeed) -
                           9.0 * std::max(0.0, season) * continental +
                           7.0 * std::max(0.0, -season) * continental;
    s.Snow = s.Land * SmoothStep(271.0, 262.0, s.SurfaceTemperature);

    const double deepTop = 218.0 + 16.0 * (1.0 - s.Tropical) - 8.0 * std::min(1.0, deep);
    const double shallowTop = s.SurfaceTemperature - 22.0;
    s.CloudTopTemperature = s.DeepCloud * deepTop + (1.0 - s.DeepCloud) * shallowTop;

    const double sun = SunCosine(dayOfYear_, latitude, longitude, seconds);
    s.Daylight = SmoothStep(-0.03, 0.12, sun);
    return s;
}

double TSceneModel::Value(TInstrument instrument, int channel, const TSceneState& s) const
{
    if (instrument == TInstrument::Hirs && channel == 20) {
        const double surface = (1.0 - s.Land) * 6.0 + s.Land * (16.0 + 50.0 * s.Snow);
        const double cloud = 30.0 + 45.0 * s.Cloud;
        const double albedo = (surface * (1.0 - s.Cloud) + cloud * s.Cloud) * s.Daylight;
        return std::clamp(albedo, 0.0, 95.0);
    }
    const TChannelModel& m = ModelFor(instrument, channel);
    const double layer = m.Pole + (m.Equator - m.Pole) * s.Tropical + m.WaveAmplitude * s.Wave -
                         m.HumidityAmplitude * (s.Humidity - 0.5);
    double surface = 0.0;
    if (instrument == TInstrument::Hirs) {
        surface = s.SurfaceTemperature * (1.0 - s.Cloud) + s.CloudTopTemperature * s.Cloud;
        if (channel == 19) // reflected sunlight adds to the 3.7 um window by day
            surface += 5.0 * s.Daylight * (1.0 - s.Cloud);
    } else if (m.Surface > 0) {
        const double land = (m.LandEmissivity - 0.05 * s.Snow) * s.SurfaceTemperature;
        const double sea = m.SeaBase + m.SeaTropical * s.Tropical + m.SeaHumidity * s.Humidity +
                           m.SeaCloud * s.Cloud;
        surface = s.Land * land + (1.0 - s.Land) * sea - m.Scatter * s.Cloud * s.DeepCloud;
    }
    return std::clamp((1.0 - m.Surface) * layer + m.Surface * surface, m.Low, m.High);
}

void TSceneModel::Range(TInstrument instrument, int channel, double& low, double& high)
{
    if (instrument == TInstrument::Hirs && channel == 20) {
        low = 0.0;
        high = 95.0;
        return;
    }
    const TChannelModel& m = ModelFor(instrument, channel);
    low = m.Low;
    high = m.High;
}

} // namespace veltra::samples
