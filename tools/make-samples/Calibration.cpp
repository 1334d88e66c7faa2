#include "make-samples/Calibration.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace veltra::samples {

namespace {

// Scene range (K) of each HIRS channel that the counts -3900..+3900 span. The ranges hug each
// channel's scenes: the short-wave channels change radiance by orders of magnitude between
// cold and warm scenes, and a wide range would leave cold scenes with a coarse count step.
struct TCountRange {
    double Low, High;
};
constexpr TCountRange HirsCountRanges[19] = {
    {190, 280}, {190, 265}, {190, 240}, {200, 250}, {200, 265}, {200, 280}, {200, 290},
    {190, 330}, {200, 270}, {190, 310}, {200, 275}, {200, 260}, {205, 300}, {205, 290},
    {200, 280}, {200, 260}, {200, 250}, {200, 320}, {200, 320},
};
constexpr int HirsSpanCount = 3900;

// Visible channel: 0.025 % albedo per count and a small negative offset, so 0-100 % is about
// counts 20-4020.
constexpr double VisibleSlope = 0.025;
constexpr double VisibleIntercept = -0.5;

// Of the counts around a first guess, the one whose value (by the given reader function) lies
// nearest to the target. The reader functions are monotonic, so the neighbours suffice.
template <typename TValueOf>
int NearestCount(int guess, int low, int high, double target, TValueOf valueOf)
{
    int best = std::clamp(guess, low, high);
    double bestError = std::fabs(valueOf(best) - target);
    for (int candidate : {best - 1, best + 1}) {
        if (candidate < low || candidate > high)
            continue;
        const double error = std::fabs(valueOf(candidate) - target);
        if (error < bestError) {
            best = candidate;
            bestError = error;
        }
    }
    return best;
}

int GuessCount(double value, double slope, double offset, int limit)
{
    const double count = (value - offset) / slope;
    if (!std::isfinite(count))
        return 0;
    return static_cast<int>(std::lround(std::clamp(count, -double(limit), double(limit))));
}

} // namespace

double PlanckRadiance(double wavenumber, double temperature)
{
    if (temperature <= 0)
        return 0.0;
    return PlanckC1 * std::pow(wavenumber, 3) /
           (std::exp(PlanckC2 * wavenumber / temperature) - 1.0);
}

double PlanckTemperature(double radiance, double wavenumber)
{
    if (radiance <= 0)
        return 0.0;
    return PlanckC2 * wavenumber / std::log(1.0 + PlanckC1 * std::pow(wavenumber, 3) / radiance);
}

double SceneRadiance(const TChannelConstants& constants, double temperature)
{
    return PlanckRadiance(constants.Wavenumber, constants.A + constants.B * temperature);
}

double ReaderTemperature(const TChannelConstants& constants, double radiance)
{
    return (PlanckTemperature(radiance, constants.Wavenumber) - constants.A) / constants.B;
}

std::uint16_t EncodeSignMagnitude(int count)
{
    const int magnitude = std::min(std::abs(count), HirsCountLimit);
    return static_cast<std::uint16_t>(magnitude | (count >= 0 ? 0x1000 : 0));
}

int DecodeSignMagnitude(std::uint16_t word)
{
    const int magnitude = word & 0x0FFF;
    return (word & 0x1000) ? magnitude : -magnitude;
}

THirsCalibration HirsNominalCalibration(int channel)
{
    if (channel == 20)
        return {ToStored(VisibleSlope, 1e-9), ToStored(VisibleIntercept, 1e-6)};
    const TChannelConstants constants =
        Decode(TInstrument::Hirs, channel, StoredConstants(TInstrument::Hirs)[channel - 1]);
    const TCountRange& range = HirsCountRanges[channel - 1];
    const double low = SceneRadiance(constants, range.Low);
    const double high = SceneRadiance(constants, range.High);
    const double slope = (high - low) / (2.0 * HirsSpanCount);
    const double intercept = low + HirsSpanCount * slope;
    return {ToStored(slope, 1e-9), ToStored(intercept, 1e-6)};
}

THirsCalibration HirsLineCalibration(int channel, int line)
{
    THirsCalibration calibration = HirsNominalCalibration(channel);
    const double drift = 1.0 + 2.5e-4 * std::sin(2.0 * std::numbers::pi * line / 173.0 + channel);
    calibration.Slope = static_cast<std::int32_t>(std::lround(calibration.Slope * drift));
    return calibration;
}

int HirsCount(const TChannelConstants& constants, const THirsCalibration& calibration,
              double temperature)
{
    const double slope = calibration.SlopeValue();
    const double intercept = calibration.InterceptValue();
    const int guess =
        GuessCount(SceneRadiance(constants, temperature), slope, intercept, HirsCountLimit);
    return NearestCount(guess, -HirsCountLimit, HirsCountLimit, temperature, [&](int count) {
        return ReaderTemperature(constants, count * slope + intercept);
    });
}

int HirsVisibleCount(const THirsCalibration& calibration, double albedoPercent)
{
    const double slope = calibration.SlopeValue();
    const double intercept = calibration.InterceptValue();
    const int guess = GuessCount(albedoPercent, slope, intercept, HirsCountLimit);
    return NearestCount(guess, -HirsCountLimit, HirsCountLimit, albedoPercent,
                        [&](int count) { return count * slope + intercept; });
}

double TAmsuCalibration::Radiance(double count) const
{
    return A2 * Scale2 * count * count + A1 * Scale1 * count + A0 * Scale0;
}

TAmsuCalibration AmsuLineCalibration(TInstrument instrument, const TChannelConstants& constants,
                                     int line)
{
    TAmsuCalibration c;
    if (instrument == TInstrument::AmsuA) {
        c.Scale2 = 1e-19, c.Scale1 = 1e-13, c.Scale0 = 1e-9;
    } else {
        c.Scale2 = 1e-16, c.Scale1 = 1e-10, c.Scale0 = 1e-6;
    }
    // Nominally count = 12000 + 20 * T (radiance is nearly proportional to temperature in the
    // microwave), bent by a quadratic term that vanishes at 12000 and 18000 counts.
    const double drift =
        1.0 + 3e-4 * std::sin(2.0 * std::numbers::pi * line / 211.0 + constants.Wavenumber);
    const double k = PlanckRadiance(constants.Wavenumber, 300.0) / 300.0 * drift;
    const double u = -5e-8 * k;
    const double a2 = u;
    const double a1 = k / 20.0 - 30000.0 * u;
    const double a0 = -600.0 * k + 2.16e8 * u;
    c.A2 = ToStored(a2, c.Scale2);
    c.A1 = ToStored(a1, c.Scale1);
    c.A0 = ToStored(a0, c.Scale0);
    return c;
}

std::uint16_t AmsuCount(const TChannelConstants& constants, const TAmsuCalibration& calibration,
                        double temperature)
{
    const double radiance = SceneRadiance(constants, temperature);
    const double a2 = calibration.A2 * calibration.Scale2;
    const double a1 = calibration.A1 * calibration.Scale1;
    const double a0 = calibration.A0 * calibration.Scale0;
    // The root of a2 C^2 + a1 C + a0 = L that continues the linear solution, in the form that
    // stays accurate when a2 is small.
    const double d = radiance - a0;
    const double root = std::sqrt(std::max(0.0, a1 * a1 + 4.0 * a2 * d));
    const double guess = 2.0 * d / (a1 + root);
    const int first =
        std::isfinite(guess) ? static_cast<int>(std::lround(std::clamp(guess, 0.0, 65535.0))) : 0;
    return static_cast<std::uint16_t>(NearestCount(first, 0, 65535, temperature, [&](int count) {
        return ReaderTemperature(constants, calibration.Radiance(count));
    }));
}

} // namespace veltra::samples
