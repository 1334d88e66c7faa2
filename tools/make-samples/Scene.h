#pragma once
// An analytic model of the earth as the ATOVS sounders would see it on one winter day: warm
// tropics and cold poles, a synoptic wave train with a polar-front cloud band and the tropical
// convergence zone, humidity following clouds and the tropics, a crude land mask that warms
// the microwave window channels over land, and sunlight for the visible channel. Every value
// is a smooth function of position and time, so pictures look like data, and is kept inside
// each channel's usual range.
#include "make-samples/Instruments.h"
#include "make-samples/Orbit.h"

namespace veltra::samples {

// The geophysical state at one place and time, computed once per footprint and shared by all
// channels of all instruments.
struct TSceneState {
    double Latitude = 0, Longitude = 0; // degrees
    double Tropical = 0;                // cos^2(latitude): 1 at the equator, 0 at the poles
    double Wave = 0;                    // synoptic wave, -1 (trough) to 1 (ridge)
    double Cloud = 0;                   // cloud cover, 0 to 1
    double DeepCloud = 0;               // share of the cloud that is deep (cold-topped), 0 to 1
    double Humidity = 0;                // upper-tropospheric humidity, 0 to 1
    double Land = 0;                    // land fraction, 0 to 1
    double Snow = 0;                    // snow cover of the land, 0 to 1
    double SurfaceTemperature = 0;      // K
    double CloudTopTemperature = 0;     // K
    double Daylight = 0; // 0 at night, 1 in full daylight, a soft edge at the terminator
};

// Where the sun stands seen from a place (degrees) at a time (UTC seconds since 00:00 of the
// day of the year): zenith angle and azimuth clockwise from north, 0 to 360 degrees. The same
// sun lights the visible channel.
TLookAngles SunSeenFrom(int dayOfYear, double latitude, double longitude, double seconds);

class TSceneModel {
public:
    explicit TSceneModel(int dayOfYear) : dayOfYear_(dayOfYear) {}

    // State at a position (degrees) and time (UTC seconds since 00:00 of the model's day).
    TSceneState At(double latitude, double longitude, double seconds) const;

    // Brightness temperature (K) of a channel (HIRS 1-19, AMSU-A 1-15, AMSU-B/MHS 16-20), or
    // for HIRS channel 20 the visible albedo in percent (0-100).
    double Value(TInstrument instrument, int channel, const TSceneState& state) const;

    // Lowest and highest value Value can give for the channel.
    static void Range(TInstrument instrument, int channel, double& low, double& high);

    // Crude continents: 1 on land, 0 at sea, a smooth step of a degree or two at the coasts.
    static double LandFraction(double latitude, double longitude);

private:
    int dayOfYear_;
};

} // namespace veltra::samples
