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

// Whether an upper-case name (".BZ2" after it allowed) has the shape of the names files from
// the NOAA archive come with, NSS.<type>.<satellite>.D<yyddd>.S<hhmm>.E<hhmm>.B<orbit>.<station>
// (NSS.MHSX.NN.D24015.S1118.E1300.B1234567.WI): its last part names the receiving station
// and is not an extension.
bool IsArchiveName(const std::string& upperName);

// The Level 1b sensor tab of a file whose extension (upper case, the inner one of a compressed
// file) is none of ".L1B", ".L1C" and ".L1D": the one Level1bSensorTab gives when the name has
// the archive's shape, or when the stored data set name carries a sensor marker; "" otherwise
// (the tabs are left as they are).
std::string OtherNameSensorTab(const std::string& fileExt, const std::string& upperName,
                               TStream* stream);

// The two archive names one pass received at two stations share: the data type, satellite,
// day and orbit (the first, second, third and sixth parts after "NSS"); the start and end
// times and the station may differ. Both must have the archive's shape.
bool SameArchivePass(const std::string& upperName, const std::string& otherUpperName);

} // namespace veltra
