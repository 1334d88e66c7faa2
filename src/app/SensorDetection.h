#pragma once
// Which sensor tab a Level 1b file gets. The NOAA archive names its data sets with a marker of
// the data type (NSS.HIRX.NK.D08015..., ".AMAX.", ".AMBX.", ".MHSX."), and the viewer reads
// that marker from the file name. Files renamed by users or ingest scripts lose it, but the
// data set name is stored in the file as well, so the same rule applied to it still tells.
#include <string>

#include "base/Stream.h"

namespace veltra {

inline constexpr const char* UnsupportedLevel1b = "Unsupported L1B variant";

// The sensor tab the upper-case name gives: "AMSU-A" (".AMAX."), "AMSU-B" (".AMBX", and
// ".MHSX.": MHS data are shown under the AMSU-B tab), "HIRS" (".HIRX."), a later marker of
// that list winning over an earlier one; UnsupportedLevel1b when it has none.
std::string Level1bSensorOfName(const std::string& upperName);

// The same from the file's name and, when that has no marker, from the data set names stored
// in the stream (none given: the name alone). A stream that cannot be read gives no sensor.
std::string Level1bSensorTab(const std::string& upperName, TStream* stream);

} // namespace veltra
