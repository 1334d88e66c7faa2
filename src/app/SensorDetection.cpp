#include "app/SensorDetection.h"

#include <exception>

#include "base/Failure.h"
#include "base/Format.h"
#include "formats/ArchiveHeader.h"

namespace veltra {

std::string Level1bSensorOfName(const std::string& upperName)
{
    const auto has = [&upperName](const char* marker) {
        return upperName.find(marker) != std::string::npos;
    };
    // MHS data sets (NOAA-18, NOAA-19, Metop-A) have the AMSU-B record layout. Tested first so
    // that any of the other markers keeps the tab it always gave.
    std::string tab = has(".MHSX.") ? "AMSU-B" : UnsupportedLevel1b;
    if (has(".AMAX."))
        tab = "AMSU-A";
    if (has(".AMBX"))
        tab = "AMSU-B";
    if (has(".HIRX."))
        tab = "HIRS";
    return tab;
}

std::string Level1bSensorTab(const std::string& upperName, TStream* stream)
{
    const std::string tab = Level1bSensorOfName(upperName);
    if (tab != UnsupportedLevel1b || stream == nullptr)
        return tab;
    try {
        for (const std::string& stored : StoredDataSetNames(*stream)) {
            const std::string fromStored = Level1bSensorOfName(UpperCase(stored));
            if (fromStored != UnsupportedLevel1b)
                return fromStored;
        }
    } catch (...) {
        // A stream that fails to read says nothing about its sensor.
        CaughtFailure();
    }
    return tab;
}

} // namespace veltra
