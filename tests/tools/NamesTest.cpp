// File names: the Level 1b sensor markers, the Level 1c prefixes and the station groups the
// viewer forms from fields 1, 4 and 5 of an AAPP name.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "TestPasses.h"
#include "make-samples/Names.h"

using namespace veltra::samples;

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The viewer's group pattern for a plain file name: field 1 + "_*_" + field 4 + "_" +
// field 5 + "_*" + the upper-case extension, fields being taken off the front at "_".
std::string GroupPattern(const std::string& name)
{
    const std::size_t dot = name.rfind('.');
    std::string rest = name.substr(0, dot);
    std::string fields[6];
    for (std::string& field : fields) {
        const std::size_t underscore = rest.find('_');
        if (underscore == std::string::npos)
            continue;
        field = rest.substr(0, underscore);
        rest.erase(0, underscore + 1);
    }
    return fields[0] + "_*_" + fields[3] + "_" + fields[4] + "_*" + Upper(name.substr(dot));
}

// "*" matches any run of characters; letter case is ignored.
bool Matches(const std::string& pattern, const std::string& text)
{
    const std::string p = Upper(pattern), t = Upper(text);
    std::size_t pi = 0, ti = 0, star = std::string::npos, mark = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ti;
        } else if (pi < p.size() && p[pi] == t[ti]) {
            ++pi;
            ++ti;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ti = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

} // namespace

TEST(Names, PatternHelperFollowsTheViewersRule)
{
    // The viewer's own example: a_b_c_d_e_f.l1c groups with a_x_y_d_e_g.l1c, not a_b_c_d_z_f.l1c.
    const std::string pattern = GroupPattern("a_b_c_d_e_f.l1c");
    EXPECT_EQ(pattern, "a_*_d_e_*.L1C");
    EXPECT_TRUE(Matches(pattern, "a_b_c_d_e_f.l1c"));
    EXPECT_TRUE(Matches(pattern, "a_x_y_d_e_g.l1c"));
    EXPECT_FALSE(Matches(pattern, "a_b_c_d_z_f.l1c"));
}

TEST(Names, Level1bNamesCarryTheSensorMarkers)
{
    struct TCase {
        TInstrument Instrument;
        const char* Marker;
    };
    for (const TCase& c : {TCase{TInstrument::Hirs, ".HIRX."}, TCase{TInstrument::AmsuA, ".AMAX."},
                           TCase{TInstrument::AmsuB, ".AMBX"}}) {
        const TPassData pass = veltra::test::TestPass(c.Instrument, 120);
        const std::string name = Level1bFileName(pass, "GC");
        EXPECT_NE(Upper(name).find(c.Marker), std::string::npos) << name;
        EXPECT_EQ(name.size(), 46u);
        EXPECT_EQ(name.substr(name.size() - 4), ".L1B");
        EXPECT_EQ(name.substr(0, 18), "NSS." + Level1bDataType(c.Instrument) + ".NK.D08015");
        // B: revolution at the start in five digits, the end's last two digits.
        EXPECT_EQ(name.substr(31, 8), "B5041010") << name;
    }
    // A pass that runs over the next ascending node ends in the next revolution.
    const TPassData pass = veltra::test::TestPass(TInstrument::Hirs, 2);
    TPassData late = pass;
    late.Lines.back().Seconds = pass.Info.Orbit.NodeTime() + pass.Info.Orbit.PeriodS() + 10;
    EXPECT_EQ(Level1bDataSetName(late, "GC").substr(31, 8), "B5041011");
}

TEST(Names, AappNamesStartWithTheProductTheViewerRecognises)
{
    struct TCase {
        TInstrument Instrument;
        const char* Prefix;
    };
    for (const TCase& c : {TCase{TInstrument::Hirs, "HIRS"}, TCase{TInstrument::AmsuA, "AMSUA"},
                           TCase{TInstrument::AmsuB, "AMSUB"}, TCase{TInstrument::Mhs, "MHS"}}) {
        const TPassData pass = veltra::test::TestPass(c.Instrument, 2);
        const std::string name = AappFileName(AappProduct(c.Instrument), pass, "gc", ".l1c");
        EXPECT_EQ(Upper(name).rfind(c.Prefix, 0), 0u) << name;
    }
    const TPassData pass = veltra::test::TestPass(TInstrument::Hirs, 2);
    EXPECT_EQ(AappFileName("hirsl1c", pass, "gc", ".l1c"),
              "hirsl1c_noaa15_20080115_0805_50410_gc.l1c");
}

TEST(Names, StationsOfOnePassFormAGroupAndTheNextPassStaysOut)
{
    const TPassData pass = veltra::test::TestPass(TInstrument::Hirs, 2);
    TPassData next = pass;
    next.Info.PassSeconds += pass.Info.Orbit.PeriodS();
    std::vector<std::string> group;
    for (const char* station : {"dun", "lan", "mas"})
        group.push_back(AappFileName("hirsl1c", pass, station, ".l1c"));
    const std::string other = AappFileName("hirsl1c", next, "lan", ".l1c");
    const std::string otherProduct = AappFileName("amsual1c", pass, "lan", ".l1c");
    EXPECT_EQ(other, "hirsl1c_noaa15_20080115_0946_50411_lan.l1c");
    for (const std::string& opened : group) {
        const std::string pattern = GroupPattern(opened);
        for (const std::string& member : group)
            EXPECT_TRUE(Matches(pattern, member)) << pattern << " " << member;
        EXPECT_FALSE(Matches(pattern, other)) << pattern;
        EXPECT_FALSE(Matches(pattern, otherProduct)) << pattern;
    }
}
