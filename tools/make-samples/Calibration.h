#pragma once
// Brightness temperature to raw count, the exact inverse of the Level 1b calibration a reader
// applies: counts become radiances (HIRS linearly, AMSU through a quadratic), radiances become
// band-corrected temperatures through the inverse Planck function
//   T* = c2 nu / ln(1 + c1 nu^3 / L),  T = (T* - A) / B.
// Every count is chosen with the constants exactly as stored, so a reader recovers the
// temperature to within the resolution of one count.
#include <cstdint>

#include "make-samples/Instruments.h"

namespace veltra::samples {

constexpr double PlanckC1 = 1.1910427e-5; // mW/(m^2 sr cm^-4)
constexpr double PlanckC2 = 1.4387752;    // K cm

// Radiance in mW/(m^2 sr cm^-1) of a black body at temperature (K) and wavenumber (cm^-1).
double PlanckRadiance(double wavenumber, double temperature);
// The reader's inverse: 0 for a radiance of 0 or below.
double PlanckTemperature(double radiance, double wavenumber);
// Radiance of a scene temperature through the band correction: L(nu, A + B * T).
double SceneRadiance(const TChannelConstants& constants, double temperature);
// Temperature a reader gets back from a radiance.
double ReaderTemperature(const TChannelConstants& constants, double radiance);

// HIRS raw counts: 13-bit sign and magnitude, the low 12 bits the magnitude, bit 12 set for
// positive values.
constexpr int HirsCountLimit = 4095;
std::uint16_t EncodeSignMagnitude(int count);
int DecodeSignMagnitude(std::uint16_t word);

// HIRS linear calibration of one filter position, radiance = count * slope + intercept, as
// stored in a scan line: slope in 10^-9, intercept in 10^-6 radiance units (albedo percent for
// the visible channel).
struct THirsCalibration {
    std::int32_t Slope = 0;
    std::int32_t Intercept = 0;

    double SlopeValue() const { return Slope * 1e-9; }
    double InterceptValue() const { return Intercept * 1e-6; }
};

// A calibration that spreads the channel's scene range over counts -3900 to +3900.
THirsCalibration HirsNominalCalibration(int channel);
// The same with a small gain drift along the pass (one part in a few thousand).
THirsCalibration HirsLineCalibration(int channel, int line);
// Signed count whose calibrated temperature lies nearest to temperature (channels 1-19) or
// whose albedo lies nearest to the value in percent (channel 20); within +-4095.
int HirsCount(const TChannelConstants& constants, const THirsCalibration& calibration,
              double temperature);
int HirsVisibleCount(const THirsCalibration& calibration, double albedoPercent);

// AMSU quadratic calibration, radiance = A2 C^2 + A1 C + A0, coefficients stored as signed
// 32-bit integers in units of 10^-19, 10^-13, 10^-9 (AMSU-A) or 10^-16, 10^-10, 10^-6 (AMSU-B).
struct TAmsuCalibration {
    std::int32_t A2 = 0, A1 = 0, A0 = 0;
    double Scale2 = 0, Scale1 = 0, Scale0 = 0;

    double Radiance(double count) const;
};

// Coefficients that put cold space near 12000 counts and 300 K near 18000, with a slight
// non-linearity and a small gain drift along the pass.
TAmsuCalibration AmsuLineCalibration(TInstrument instrument, const TChannelConstants& constants,
                                     int line);
// Unsigned count whose calibrated temperature lies nearest to temperature.
std::uint16_t AmsuCount(const TChannelConstants& constants, const TAmsuCalibration& calibration,
                        double temperature);

} // namespace veltra::samples
