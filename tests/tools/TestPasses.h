#pragma once
// Short passes for the writer tests: NOAA-15 going south over Europe on 15 January 2008.
#include "make-samples/Pass.h"

namespace veltra::test {

inline samples::TPassInfo TestPassInfo(const samples::TSatellite& satellite = samples::Noaa15())
{
    samples::TPassInfo info;
    info.Satellite = satellite;
    info.PassSeconds = 8 * 3600 + 5 * 60;
    info.Orbit = samples::TOrbit::Through(satellite, 50.0, 10.0, true, info.PassSeconds);
    info.Year = 2008;
    info.DayOfYear = 15;
    info.Revolution = 50410;
    return info;
}

inline samples::TPassData TestPass(samples::TInstrument instrument, int lines,
                                   const samples::TSatellite& satellite = samples::Noaa15())
{
    const samples::TSceneModel scene(15);
    const samples::TPassInfo info = TestPassInfo(satellite);
    return samples::MakePass(scene, info, instrument, info.PassSeconds - 60, lines);
}

} // namespace veltra::test
