#include "app/SensorDetection.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <vector>

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

namespace {

// The dot-separated parts of an archive name without a ".BZ2" after it; empty when the name
// does not have the archive's shape.
std::vector<std::string> ArchiveNameParts(std::string name)
{
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".BZ2") == 0)
        name.resize(name.size() - 4);
    std::vector<std::string> parts;
    for (std::size_t from = 0;;) {
        const std::size_t dot = name.find('.', from);
        parts.push_back(name.substr(from, dot - from));
        if (dot == std::string::npos)
            break;
        from = dot + 1;
    }
    const auto alphanumeric = [](const std::string& part, std::size_t length) {
        return part.size() == length && std::all_of(part.begin(), part.end(), [](char c) {
                   return std::isalnum(static_cast<unsigned char>(c)) != 0;
               });
    };
    const auto numbered = [](const std::string& part, char letter, std::size_t digits) {
        return part.size() == digits + 1 && part[0] == letter &&
               std::all_of(part.begin() + 1, part.end(),
                           [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    };
    const bool shaped = parts.size() == 8 && parts[0] == "NSS" && alphanumeric(parts[1], 4) &&
                        alphanumeric(parts[2], 2) && numbered(parts[3], 'D', 5) &&
                        numbered(parts[4], 'S', 4) && numbered(parts[5], 'E', 4) &&
                        numbered(parts[6], 'B', 7) && alphanumeric(parts[7], 2);
    return shaped ? parts : std::vector<std::string>();
}

} // namespace

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

bool IsArchiveName(const std::string& upperName)
{
    return !ArchiveNameParts(upperName).empty();
}

std::string OtherNameSensorTab(const std::string& fileExt, const std::string& upperName,
                               TStream* stream)
{
    if (StartsWith(fileExt, ".L1B") || StartsWith(fileExt, ".L1C") || StartsWith(fileExt, ".L1D"))
        return "";
    if (IsArchiveName(upperName))
        return Level1bSensorTab(upperName, stream);
    const std::string fromStored = Level1bSensorTab("", stream);
    return fromStored == UnsupportedLevel1b ? "" : fromStored;
}

bool SameArchivePass(const std::string& upperName, const std::string& otherUpperName)
{
    const std::vector<std::string> a = ArchiveNameParts(upperName);
    const std::vector<std::string> b = ArchiveNameParts(otherUpperName);
    return !a.empty() && !b.empty() && a[1] == b[1] && a[2] == b[2] && a[3] == b[3] && a[6] == b[6];
}

} // namespace veltra
