#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <thread>

#include <gdal.h>
#include <netcdf.h>
#include <ogr_srs_api.h>

#include "app/VeltraForm.h"
#include "app/exports/ExportCommands.h"
#include "app/render/HeadlessView.h"
#include "app/render/RenderCommand.h"
#include "base/Format.h"
#include "export/GeoTiffExport.h"
#include "support/ScratchFolder.h"
#include "tools/SharedSampleSet.h"

using namespace veltra;
namespace fs = std::filesystem;

namespace {

struct TResult {
    int Status;
    std::string Out, Err;
};

TResult Render(std::vector<std::string> arguments)
{
    std::ostringstream out, err;
    const std::string executable = std::string(VELTRA_BINARY_DIR) + "/src/app/veltra-render";
    const int status = RunRender(arguments, executable, out, err);
    return {status, out.str(), err.str()};
}

// The first sample whose name contains the marker (the sample day's passes left out).
std::string SampleWith(const std::string& marker)
{
    for (auto it = fs::recursive_directory_iterator(VELTRA_SAMPLES_DIR);
         it != fs::recursive_directory_iterator(); ++it) {
        if (it->is_directory() && it->path().filename() == "day")
            it.disable_recursion_pending();
        else if (it->path().filename().string().find(marker) != std::string::npos)
            return it->path().string();
    }
    return "";
}

class RenderCommand : public TScratchFolderTest {
protected:
    RenderCommand() : TScratchFolderTest("veltra-render-") {}
};

} // namespace

TEST_F(RenderCommand, HelpAndVersion)
{
    const TResult help = Render({"--help"});
    EXPECT_EQ(help.Status, 0);
    for (const char* option : {"--sensor NAME",
                               "--channel N",
                               "--projection NAME",
                               "--region NAME",
                               "polar-stereographic",
                               "north-pole",
                               "5 no footprint",
                               "--size WxH",
                               "--background black|white",
                               "--gridlines",
                               "--fixed",
                               "--celsius",
                               "--group",
                               "--countries FILE",
                               "--jpeg OUT",
                               "--png OUT",
                               "--bt OUT",
                               "--diagnostics",
                               "--info",
                               "--readout X,Y",
                               "--centre LAT,LON",
                               "--span LON[,LAT]",
                               "--fill",
                               "--netcdf OUT",
                               "--csv OUT",
                               "--geotiff OUT",
                               "--palette NAME",
                               "--range MIN,MAX",
                               "--range auto",
                               "--legend",
                               "--geotiff-values OUT",
                               "--mask flagged|none",
                               "--all-channels",
                               "flagged_lines",
                               "--difference A,B",
                               "--spectrum LAT,LON",
                               "--help, --version"})
        EXPECT_NE(help.Out.find(option), std::string::npos) << option;
    const TResult version = Render({"--version"});
    EXPECT_EQ(version.Status, 0);
    EXPECT_EQ(version.Out.rfind("veltra-render ", 0), 0u);
}

TEST_F(RenderCommand, UsageErrorsExitWithTwoAndAOneLineMessage)
{
    const std::string file = SampleWith(".HIRX.");
    ASSERT_FALSE(file.empty());
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--bogus", file},
        {file, file},
        {"--sensor", "AVHRR", file},
        {"--sensor", "AMSU-A", "--info", file}, // not offered for a HIRS file
        {"--channel", "x", file},
        {"--channel", "21", file},
        {"--projection", "15", file},
        {"--projection", "7.5", file},
        {"--projection", "lambert", file},
        {"--region", "6", file},
        {"--region", "-1", file},
        {"--size", "800", file},
        {"--size", "0x600", file},
        {"--size", "800x600x2", file},
        {"--background", "grey", file},
        {"--hirs-counts", "twos-complement", file},
        {"--gridlines=yes", file},
        {"--fill=yes", file},
        {"--readout", "10", file},
        {"--readout", "a,b", file},
        {file, "--jpeg"},
        {"--centre", "91,0", file},
        {"--centre", "10", file},
        {"--centre", "10,181", file},
        {"--span", "0", file},
        {"--span", "361", file},
        {"--span", "20,0", file},
        {"--span", "20,x", file},
        {"--palette", "rainbow", file},
        {"--range", "300,200", file},
        {"--range", "250,250", file},
        {"--range", "cold,warm", file},
        {"--range", "200", file},
        {"--range", "", file},
        {"--legend=yes", file},
        {"--mask", "all", file},
        {"--all-channels", "--info", file}, // writes nothing without --netcdf
        {"--difference", "8", file},
        {"--difference", "8,8", file},
        {"--difference", "8,21", file},
        {"--channel", "7", "--difference", "8,12", file},
        {"--difference", "8,20", "--info", file}, // the visible channel has no temperature
        {"--difference", "8,16", "--sensor", "AMSU-A", "--info", SampleWith(".AMAX.")},
        {"--spectrum", "91,0", file},
        {"--spectrum", "10", file},
        {file}, // nothing to do
        // Outputs that would meet each other or an input, refused before anything is written.
        {"--png", "same", "--jpeg", "same", file},
        {"--png", file, file},
        {"--countries", file, "--csv", file, file},
        {"--png", "-", "--info", file},
        {"--csv", "-", "--bt", "-", file},
    };
    for (const auto& arguments : bad) {
        const TResult r = Render(arguments);
        EXPECT_EQ(r.Status, 2) << (arguments.empty() ? "" : arguments[0]);
        // What is wrong, then where to read more: two lines, not the whole help.
        EXPECT_EQ(r.Err.rfind("veltra-render: ", 0), 0u);
        EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 2) << r.Err;
        EXPECT_NE(r.Err.find("\nTry 'veltra-render --help'"), std::string::npos);
        EXPECT_TRUE(r.Out.empty());
    }
    EXPECT_NE(Render({file}).Err.find("nothing to do"), std::string::npos);
    EXPECT_NE(Render({"--png", "same", "--jpeg", "same", file})
                  .Err.find("--jpeg and --png would both write 'same'"),
              std::string::npos);
    EXPECT_NE(Render({"--png", file, file}).Err.find("which is the input '" + file + "'"),
              std::string::npos);
}

TEST_F(RenderCommand, MissingInputsExitWithThreeAndTheReason)
{
    const std::string file = SampleWith(".HIRX.");
    for (const auto& [input, reason] :
         {std::pair{Out("missing.L1B"),
                    "cannot read " + Out("missing.L1B") + ": No such file or directory"},
          {file + "/x.L1B", "cannot read " + file + "/x.L1B: Not a directory"},
          {folder_.string(), folder_.string() + ": is a directory"}}) {
        const TResult r = Render({"--info", input});
        EXPECT_EQ(r.Status, 3) << input;
        EXPECT_EQ(r.Err, "veltra-render: " + reason + "\n");
    }
    EXPECT_EQ(Render({"--info", "--countries", Out("none.dat"), file}).Status, 3);
    // An outline file is read whole: one over 256 MiB (here sparse) is refused, not read.
    std::ofstream(Out("huge.dat"));
    fs::resize_file(Out("huge.dat"), 257u << 20);
    const TResult huge = Render({"--info", "--countries", Out("huge.dat"), file});
    EXPECT_EQ(huge.Status, 3);
    EXPECT_EQ(huge.Err, "veltra-render: " + Out("huge.dat") +
                            ": outline file larger than 256 MiB, not loaded\n");
}

TEST_F(RenderCommand, OutputsThatCannotBeWrittenExitWithFourAndLeaveNothing)
{
    const std::string file = SampleWith(".HIRX.");
    const char* options[] = {"--jpeg", "--png", "--bt", "--netcdf", "--csv", "--geotiff"};
    for (const char* option : options) {
        // One output that cannot be written costs only itself: the others and the text are
        // still written, and the failure names the file and the system's reason.
        const std::string target = Out("no-such-folder/picture");
        const std::string other = std::string(option) == "--csv" ? "--bt" : "--csv";
        const TResult r = Render({option, target, other, Out("other"), "--info", file});
        EXPECT_EQ(r.Status, 4) << option;
        EXPECT_FALSE(fs::exists(target));
        EXPECT_TRUE(fs::exists(Out("other"))) << option;
        EXPECT_NE(r.Out.find("samples="), std::string::npos) << option;
        EXPECT_EQ(r.Err, "veltra-render: " + target + ": No such file or directory\n") << option;
        EXPECT_NE(Render({option, file + "/x", file}).Err.find(file + "/x: Not a directory"),
                  std::string::npos)
            << option;
        fs::remove(Out("other"));
    }
    fs::create_directories(Out("existing-folder"));
    EXPECT_EQ(Render({"--png", Out("existing-folder"), file}).Status, 4);
    // A character device and a FIFO are written directly, never replaced; NetCDF and GeoTIFF,
    // which need a regular file, leave them alone.
    for (const char* option : options) {
        const bool regular =
            std::string(option) == "--netcdf" || std::string(option) == "--geotiff";
        const TResult r = Render({option, "/dev/null", file});
        EXPECT_EQ(r.Status, regular ? 4 : 0) << option << r.Err;
        EXPECT_EQ(r.Err.empty(), !regular) << r.Err;
        EXPECT_TRUE(fs::is_character_file("/dev/null"));
    }
    ASSERT_EQ(::mkfifo(Out("fifo").c_str(), 0600), 0);
    std::string read;
    std::thread reader([&] {
        std::ifstream in(Out("fifo"), std::ios::binary);
        read.assign(std::istreambuf_iterator<char>(in), {});
    });
    EXPECT_EQ(Render({"--csv", Out("fifo"), file}).Status, 0);
    reader.join();
    EXPECT_EQ(read.rfind("latitude,longitude,", 0), 0u);
    EXPECT_TRUE(fs::is_fifo(Out("fifo")));
    // "-" is standard output.
    const TResult png = Render({"--png", "-", file});
    EXPECT_EQ(png.Out.substr(0, 8), "\x89PNG\r\n\x1a\n");
    // A link stays a link: the file it leads to is replaced, whatever the format.
    fs::create_directories(Out("real"));
    for (const char* option : options) {
        const std::string target = Out("real/") + (option + 2);
        fs::create_symlink(target, Out(option + 2));
        ASSERT_EQ(Render({option, Out(option + 2), file}).Status, 0) << option;
        EXPECT_TRUE(fs::is_symlink(Out(option + 2))) << option;
        EXPECT_GT(fs::file_size(target), 0u) << option;
    }
    // A name too long for a temporary name beside it with a suffix still gets one.
    const std::string longName = Out(std::string(254, 'n'));
    EXPECT_EQ(Render({"--csv", longName, file}).Status, 0);
    EXPECT_GT(fs::file_size(longName), 0u);
    // A program without its modules beside it: NetCDF, GeoTIFF and PNG fail as a write does,
    // the picture before them is written.
    const std::string exports = ": Cannot load the NetCDF and GeoTIFF exports: ";
    const std::string paint = ": Cannot load the text and PNG drawing: ";
    for (const auto& [option, message] : {std::pair{"--netcdf", exports + Out("veltra-exports.so")},
                                          {"--geotiff", exports + Out("veltra-exports.so")},
                                          {"--png", paint + Out("veltra-paint.so")}}) {
        std::ostringstream out, err;
        const int status = RunRender({"--jpeg", Out("p.jpg"), option, Out("export"), file},
                                     Out("veltra-render"), out, err);
        EXPECT_EQ(status, 4) << option;
        EXPECT_NE(err.str().find(Out("export") + message), std::string::npos) << err.str();
        EXPECT_TRUE(fs::exists(Out("p.jpg")));
        EXPECT_FALSE(fs::exists(Out("export")));
        fs::remove(Out("p.jpg"));
    }
}

TEST_F(RenderCommand, TextThatCannotBeWrittenExitsWithFour)
{
    const std::string file = SampleWith(".HIRX.");
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--info", file}, {"--readout", "10,10", file}, {"--help"}}) {
        std::ostringstream out, err;
        out.setstate(std::ios::badbit); // as a closed pipe or a full disk leaves standard output
        const int status = RunRender(arguments, "veltra-render", out, err);
        EXPECT_EQ(status, 4) << arguments.front();
        EXPECT_NE(err.str().find("standard output"), std::string::npos);
    }
}

TEST_F(RenderCommand, HirsPassInfoPictureAndSamples)
{
    const std::string file = SampleWith(".HIRX.");
    const TResult r = Render({"--info", "--png", Out("a.png"), "--bt", Out("a.bt"), "--jpeg",
                              Out("a.jpg"), "--readout", "400,300", file});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("sensor=HIRS\n"), std::string::npos);
    EXPECT_NE(r.Out.find("channel=8\n"), std::string::npos);
    EXPECT_NE(r.Out.find("mintemp=150\n"), std::string::npos);
    EXPECT_NE(r.Out.find("maxtemp=330\n"), std::string::npos);
    EXPECT_NE(r.Out.find("streams=1\n"), std::string::npos);
    EXPECT_NE(r.Out.find("label=NOAA-15 - Channel 8 ("), std::string::npos);
    EXPECT_NE(r.Out.find("hint=NOAA-15, "), std::string::npos);
    EXPECT_NE(r.Out.find("\\nAcquired: "), std::string::npos);
    const QImage png(QString::fromStdString(Out("a.png")));
    EXPECT_EQ(png.width(), 800);
    EXPECT_EQ(png.height(), 600);
    const auto samplesLine = r.Out.find("samples=");
    ASSERT_NE(samplesLine, std::string::npos);
    const long samples = std::stol(r.Out.substr(samplesLine + 8));
    EXPECT_GT(samples, 0);
    EXPECT_EQ(fs::file_size(Out("a.bt")), static_cast<std::uintmax_t>(12 * samples));
    EXPECT_GT(fs::file_size(Out("a.jpg")), 0u);
    // Two Earth-view lines are flagged; the mask hides both, and only when asked for.
    EXPECT_NE(r.Out.find("flagged_lines=2\nhidden_lines=0\n"), std::string::npos);
    const TResult masked = Render({"--info", "--mask", "flagged", file});
    EXPECT_NE(masked.Out.find("flagged_lines=2\nhidden_lines=2\n"), std::string::npos);
    EXPECT_NE(masked.Out.find("samples=" + std::to_string(samples - 2 * 56) + "\n"),
              std::string::npos);
    // Info comes before the read-out lines, which come last.
    EXPECT_LT(r.Out.find("caption="), r.Out.rfind("Lat: "));
}

TEST_F(RenderCommand, OptionsChangeThePicture)
{
    const std::string file = SampleWith(".HIRX.");
    ASSERT_EQ(Render({"--png", Out("base.png"), file}).Status, 0);
    const QImage base(QString::fromStdString(Out("base.png")));
    const std::vector<std::vector<std::string>> variants = {
        {"--projection", "9"},
        {"--region", "5"},
        {"--background", "white"},
        {"--gridlines"},
        {"--fixed"},
        {"--channel", "12"},
        {"--size", "640x480"},
        {"--sensor", "HIRS", "--channel", "20"},
        {"--span", "40"},
        {"--centre", "50,5"},
        {"--fill"},
        {"--hirs-counts", "offset"}, // the negative counts of the pass read otherwise
        {"--palette", "cividis"},
        {"--range", "200,300"},
        {"--range", "auto"},
        {"--mask", "flagged"}, // two of its Earth-view lines are flagged
    };
    for (const auto& v : variants) {
        std::vector<std::string> arguments = v;
        arguments.insert(arguments.end(), {"--png", Out("v.png"), file});
        ASSERT_EQ(Render(arguments).Status, 0) << v[0];
        EXPECT_NE(QImage(QString::fromStdString(Out("v.png"))), base) << v[0];
    }
    for (const auto& [option, value] :
         {std::pair{"--hirs-counts", "sign-magnitude"}, std::pair{"--mask", "none"}}) {
        ASSERT_EQ(Render({option, value, "--png", Out("v.png"), file}).Status, 0);
        EXPECT_EQ(QImage(QString::fromStdString(Out("v.png"))), base) << option;
    }
    // Celsius changes the read-out over a footprint, not the picture.
    QPoint footprint(-1, -1);
    for (int y = 0; y < base.height() && footprint.x() < 0; y += 3)
        for (int x = 0; x < base.width(); x += 3) {
            const QColor c = base.pixelColor(x, y);
            if (c.hsvSaturation() > 200 && c.value() > 200) {
                footprint = QPoint(x, y);
                break;
            }
        }
    ASSERT_GE(footprint.x(), 0);
    const std::string at = std::to_string(footprint.x()) + "," + std::to_string(footprint.y());
    const TResult kelvin = Render({"--readout", at, file});
    const TResult celsius = Render({"--celsius", "--readout", at, file});
    // The read-out line, then the footprint's: both change unit.
    EXPECT_NE(kelvin.Out.find("K\n"), std::string::npos) << kelvin.Out;
    EXPECT_NE(kelvin.Out.find("K  line "), std::string::npos) << kelvin.Out;
    EXPECT_NE(celsius.Out.find("C\n"), std::string::npos) << celsius.Out;
    EXPECT_NE(celsius.Out.find("C  line "), std::string::npos) << celsius.Out;
}

// A view from the command line is the one a zoom in the viewer would show: the centre lies
// at the middle pixel, a span of 20 degrees of longitude on the world Mercator puts 10 degrees
// either side, and the latitude span of 20 x 600 / 800 = 15 degrees reaches 57.5 at the top.
TEST_F(RenderCommand, CentreAndSpanSetTheView)
{
    const std::string file = SampleWith(".HIRX.");
    const TResult r = Render({"--projection", "5", "--centre", "50,5", "--span", "20", "--readout",
                              "400,300", "--readout", "0,300", "--readout", "400,0", file});
    ASSERT_EQ(r.Status, 0) << r.Err;
    // Each followed by the footprint line, empty where none is drawn.
    EXPECT_EQ(r.Out, "Lat: 50\xC2\xB0  Lon: 5\xC2\xB0\n\n"
                     "Lat: 50\xC2\xB0  Lon: -5\xC2\xB0\n\n"
                     "Lat: 57\xC2\xB0  Lon: 5\xC2\xB0\n\n");
}

TEST_F(RenderCommand, GroupCountriesAndDiagnostics)
{
    const std::string member = SampleWith("_0805_50410_dun.l1c");
    ASSERT_FALSE(member.empty());
    const TResult alone = Render({"--info", member});
    const TResult group = Render({"--group", "--info", "--diagnostics", member});
    ASSERT_EQ(group.Status, 0) << group.Err;
    EXPECT_NE(alone.Out.find("streams=1\n"), std::string::npos);
    EXPECT_NE(group.Out.find("streams=3\n"), std::string::npos);
    // The diagnostics follow the info lines: "Files:" and the three members.
    const auto files = group.Out.find("Files:\n");
    ASSERT_NE(files, std::string::npos);
    EXPECT_GT(files, group.Out.find("streams=3"));
    EXPECT_NE(group.Out.find("_dun.l1c\n", files), std::string::npos);
    EXPECT_NE(group.Out.find("_lan.l1c\n", files), std::string::npos);
    EXPECT_EQ(group.Out.find("_50411_", files), std::string::npos);
    // In name order, whatever order the folder lists them in.
    EXPECT_LT(group.Out.find("_dun.l1c\n", files), group.Out.find("_lan.l1c\n", files));
    EXPECT_LT(group.Out.find("_lan.l1c\n", files), group.Out.find("_mas.l1c\n", files));

    // A file name that is not plain ASCII is listed as it is, not encoded a second time.
    const fs::path accented = folder_ / "M\xC3\xBCller";
    fs::create_directories(accented);
    fs::copy_file(member, accented / fs::path(member).filename());
    const TResult named =
        Render({"--diagnostics", (accented / fs::path(member).filename()).string()});
    EXPECT_NE(named.Out.find("M\xC3\xBCller/"), std::string::npos) << named.Out;
    // One that is not UTF-8 is taken as Latin-1, as header text is.
    const fs::path latin1 = folder_ / "Gr\xFCn";
    fs::create_directories(latin1);
    fs::copy_file(member, latin1 / fs::path(member).filename());
    EXPECT_NE(Render({"--diagnostics", (latin1 / fs::path(member).filename()).string()})
                  .Out.find("Gr\xC3\xBCn/"),
              std::string::npos);

    // An outline file of its own replaces the one beside the program: an empty list draws
    // no outlines, so the picture differs only where outlines were.
    std::ofstream(Out("empty.dat"), std::ios::binary) << "# -b";
    ASSERT_EQ(Render({"--png", Out("outlines.png"), member}).Status, 0);
    ASSERT_EQ(Render({"--countries", Out("empty.dat"), "--png", Out("none.png"), member}).Status,
              0);
    const QImage outlines(QString::fromStdString(Out("outlines.png")));
    const QImage none(QString::fromStdString(Out("none.png")));
    int grey = 0;
    for (int y = 0; y < none.height(); ++y)
        for (int x = 0; x < none.width(); ++x)
            grey += none.pixel(x, y) == qRgb(128, 128, 128);
    EXPECT_EQ(grey, 0);
    EXPECT_NE(outlines, none);
}

// Each file not decoded completely is named on standard error; a partial decode still
// succeeds, nothing decoded from any input exits with 5 after writing the outputs.
TEST_F(RenderCommand, BrokenInputsAreNamedAndNothingDecodedExitsWithFive)
{
    const std::string file =
        std::string(VELTRA_SAMPLES_DIR) + "/NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B";
    const std::string name = fs::path(file).filename().string();
    const auto size = fs::file_size(file);
    constexpr std::uintmax_t firstLine = 512 + 4608, earthLocation = 1000;
    const struct {
        std::uintmax_t Kept;
        std::uintmax_t ZeroedFrom, ZeroedTo; // zeroed, as a partial download leaves its tail
        int Impossible;                      // footprints of the first line put at 100 N
        int Status;
        std::string Reason;
    } cases[] = {
        {size, 0, 0, 0, 0, ""},
        {size - 4608 * 3 - 100, 0, 0, 0, 0, "truncated: 137 of 141 scan lines"},
        {3000, 0, 0, 0, 5, "not a Level 1b HIRS file: header too short"},
        {0, 0, 0, 0, 5, "not a Level 1b HIRS file: header too short"},
        {size, firstLine + 71 * 4608, size, 0, 0, "stopped early: 71 of 141 scan lines hold data"},
        {size, firstLine, size, 0, 5, "stopped early: 0 of 141 scan lines hold data"},
        {size, firstLine + 10 * 4608, firstLine + 11 * 4608, 0, 0, "1 scan line holds no data"},
        {size, 0, 0, 2, 0, "2 footprints with impossible positions skipped"},
    };
    for (const auto& c : cases) {
        const std::string input = Out(name);
        fs::copy_file(file, input, fs::copy_options::overwrite_existing);
        fs::resize_file(input, c.Kept);
        std::fstream poke(input, std::ios::in | std::ios::out | std::ios::binary);
        poke.seekp(static_cast<std::streamoff>(c.ZeroedFrom));
        poke.write(std::string(c.ZeroedTo - c.ZeroedFrom, '\0').data(),
                   static_cast<std::streamsize>(c.ZeroedTo - c.ZeroedFrom));
        for (int f = 0; f < c.Impossible; ++f) {
            poke.seekp(static_cast<std::streamoff>(firstLine + earthLocation + 8 * f));
            poke.write("\x00\x0F\x42\x40", 4); // 1,000,000 x 10^-4 degree
        }
        poke.close();
        fs::remove(Out("a.png"));
        const TResult r = Render({"--info", "--png", Out("a.png"), input});
        EXPECT_EQ(r.Status, c.Status) << c.Kept;
        EXPECT_TRUE(fs::exists(Out("a.png"))) << c.Kept;
        const std::string expected =
            c.Reason.empty() ? "" : "veltra-render: " + input + ": " + c.Reason + "\n";
        EXPECT_EQ(r.Err, expected);
        EXPECT_NE(r.Out.find(c.Reason.empty() ? "problems=0\n" : "problems=1\n"),
                  std::string::npos);
    }
    // A Level 1c header claiming 2^31 - 1 scan lines over a sparse tail of zeros: the lines of
    // zeros are read, not drawn.
    const std::string level1c = Out("hirsl1c_x.l1c");
    fs::copy_file(SampleWith("hirsl1c_noaa15_20080115_0805_50410_gc.l1c"), level1c);
    const TResult whole = Render({"--info", level1c});
    std::fstream(level1c, std::ios::in | std::ios::out | std::ios::binary)
        .seekp(72)
        .write("\x7F\xFF\xFF\xFF", 4);
    fs::resize_file(level1c, 64u << 20);
    const TResult sparse = Render({"--info", level1c});
    EXPECT_EQ(sparse.Status, 0);
    EXPECT_EQ(sparse.Err, "veltra-render: " + level1c +
                              ": stopped early: 141 of 2147483647 scan lines hold data\n");
    const auto samples = [](const std::string& text) {
        const auto at = text.find("samples=");
        return text.substr(at, text.find('\n', at) - at);
    };
    EXPECT_EQ(samples(sparse.Out), samples(whole.Out));
}

// Names as the NOAA archive gives them end in the receiving station, not ".L1B": the sensor
// comes from the marker (MHS shown under AMSU-B, --sensor MHS naming the same tab), compressed
// too, and a station group is the same type, satellite, day and orbit.
TEST_F(RenderCommand, ArchiveNamesGiveTheSensorOfTheirMarker)
{
    const std::string mhs = SampleWith("NSS.MHSX.M2.D08015.S0847.E0901.B0646060.GC.L1B");
    for (const char* name : {"NSS.MHSX.M2.D08015.S0847.E0901.B0646060.GC",
                             "NSS.MHSX.M2.D08015.S0848.E0902.B0646060.WI",
                             "NSS.MHSX.M2.D08015.S1029.E1043.B0646161.GC"})
        fs::copy_file(mhs, Out(name));
    const std::string gc = Out("NSS.MHSX.M2.D08015.S0847.E0901.B0646060.GC");
    const std::string wi = Out("NSS.MHSX.M2.D08015.S0848.E0902.B0646060.WI");
    const TResult r = Render({"--sensor", "MHS", "--channel", "18", "--info", gc});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("sensor=AMSU-B\nchannel=18\n"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("problems=0\n"), std::string::npos);
    const TResult compressed = Render({"--info", SampleWith("B0646060.GC.bz2")});
    EXPECT_NE(compressed.Out.find("sensor=AMSU-B\n"), std::string::npos) << compressed.Err;
    const TResult group = Render({"--group", "--info", "--diagnostics", wi});
    EXPECT_NE(group.Out.find("streams=2\n"), std::string::npos) << group.Out;
    EXPECT_NE(group.Out.find("Files:\n" + gc + "\n" + wi + "\n"), std::string::npos);
    // A member of the group is an input too: no output may write over it.
    EXPECT_EQ(Render({"--group", "--csv", gc, wi}).Status, 2);
    EXPECT_GT(fs::file_size(gc), 100000u);
}

TEST_F(RenderCommand, ProjectionAndRegionByNameAndReadOutWithoutTrailingSpaces)
{
    const std::string file = SampleWith(".HIRX.");
    ASSERT_EQ(Render({"--projection", "9", "--region", "5", "--png", Out("n.png"), file}).Status,
              0);
    ASSERT_EQ(Render({"--projection", "polar-stereographic", "--region", "north-pole", "--png",
                      Out("p.png"), file})
                  .Status,
              0);
    EXPECT_EQ(QImage(QString::fromStdString(Out("n.png"))),
              QImage(QString::fromStdString(Out("p.png"))));
    // Off the globe there is neither a position nor a temperature; on it no temperature
    // between footprints: no line ends in a space.
    const TResult r = Render({"--readout", "0,0", "--readout", "400,2", file});
    ASSERT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out.find(" \n"), std::string::npos) << r.Out;
    EXPECT_NE(r.Out.find("Lat: "), std::string::npos) << r.Out;
}

namespace {

std::vector<float> NetCdfColumn(const std::string& name, const char* variable)
{
    int id = -1, v = -1;
    std::size_t count = 0;
    std::vector<float> values;
    if (nc_open(name.c_str(), NC_NOWRITE, &id) != NC_NOERR)
        return values;
    if (nc_inq_varid(id, variable, &v) == NC_NOERR) {
        int dimension = -1;
        nc_inq_vardimid(id, v, &dimension);
        nc_inq_dimlen(id, dimension, &count);
        values.resize(count);
        nc_get_var_float(id, v, values.data());
    }
    nc_close(id);
    return values;
}

std::vector<float> BrightnessTemperatureFile(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    std::vector<float> values;
    float value;
    while (in.read(reinterpret_cast<char*>(&value), 4)) // little-endian, as this machine
        values.push_back(value);
    return values;
}

} // namespace

// The exports of a real pass: the NetCDF holds the binary export's values, and every footprint,
// taken through the GeoTIFF's own CRS and geotransform, lands on a painted pixel.
TEST_F(RenderCommand, ExportsOfARenderedPass)
{
    const std::string file = SampleWith(".HIRX.");
    GDALAllRegister();
    for (const char* projection : {"1", "2", "5", "6", "7", "9"}) {
        SCOPED_TRACE(projection);
        const TResult r = Render({"--projection", projection, "--bt", Out("a.bt"), "--netcdf",
                                  Out("a.nc"), "--geotiff", Out("a.tif"), file});
        ASSERT_EQ(r.Status, 0) << r.Err;
        const std::vector<float> bt = BrightnessTemperatureFile(Out("a.bt"));
        ASSERT_EQ(bt.size() % 3, 0u);
        const char* names[] = {"lat", "lon", "brightness_temperature"};
        for (int column = 0; column < 3; ++column) {
            const std::vector<float> values = NetCdfColumn(Out("a.nc"), names[column]);
            ASSERT_EQ(values.size(), bt.size() / 3);
            for (std::size_t i = 0; i < values.size(); ++i)
                ASSERT_EQ(std::memcmp(&values[i], &bt[3 * i + column], 4), 0) << i;
        }

        GDALDatasetH data = GDALOpen(Out("a.tif").c_str(), GA_ReadOnly);
        ASSERT_NE(data, nullptr);
        double t[6];
        GDALGetGeoTransform(data, t);
        OGRSpatialReferenceH crs = OSRNewSpatialReference(GDALGetProjectionRef(data));
        OGRSpatialReferenceH geographic = OSRCloneGeogCS(crs);
        OSRSetAxisMappingStrategy(crs, OAMS_TRADITIONAL_GIS_ORDER);
        OSRSetAxisMappingStrategy(geographic, OAMS_TRADITIONAL_GIS_ORDER);
        OGRCoordinateTransformationH toMap = OCTNewCoordinateTransformation(geographic, crs);
        const int width = GDALGetRasterXSize(data), height = GDALGetRasterYSize(data);
        std::size_t inside = 0, painted = 0;
        for (std::size_t i = 0; i < bt.size(); i += 3 * 7) {
            double e = bt[i + 1], n = bt[i];
            if (!OCTTransform(toMap, 1, &e, &n, nullptr))
                continue;
            const int x = static_cast<int>(std::floor((e - t[0]) / t[1]));
            const int y = static_cast<int>(std::floor((n - t[3]) / t[5]));
            if (x < 0 || y < 0 || x >= width || y >= height)
                continue;
            ++inside;
            std::uint8_t rgb[3];
            for (int band = 0; band < 3; ++band)
                ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(data, band + 1), GF_Read, x, y, 1, 1,
                                       &rgb[band], 1, 1, GDT_Byte, 0, 0),
                          CE_None);
            painted += rgb[0] + rgb[1] + rgb[2] > 0; // the background is black
        }
        EXPECT_GT(inside, 50u);
        EXPECT_GE(painted, inside * 99 / 100);
        // The input is listed by its name alone: the user's folders stay private.
        int id = -1;
        std::size_t length = 0;
        ASSERT_EQ(nc_open(Out("a.nc").c_str(), NC_NOWRITE, &id), NC_NOERR);
        nc_inq_attlen(id, NC_GLOBAL, "input_files", &length);
        std::string inputs(length, ' ');
        nc_get_att_text(id, NC_GLOBAL, "input_files", inputs.data());
        nc_close(id);
        EXPECT_EQ(inputs, fs::path(file).filename().string());
        OCTDestroyCoordinateTransformation(toMap);
        OSRDestroySpatialReference(geographic);
        OSRDestroySpatialReference(crs);
        GDALClose(data);
    }
    // The visible channel is an albedo; a projection without a CRS writes nothing at all.
    ASSERT_EQ(Render({"--sensor", "HIRS", "--channel", "20", "--netcdf", Out("v.nc"), file}).Status,
              0);
    EXPECT_TRUE(NetCdfColumn(Out("v.nc"), "brightness_temperature").empty());
    const std::vector<float> albedo = NetCdfColumn(Out("v.nc"), "albedo");
    ASSERT_FALSE(albedo.empty());
    EXPECT_GT(*std::max_element(albedo.begin(), albedo.end()), 5.0f); // a pass in daylight
    for (const float a : albedo)
        ASSERT_TRUE(a > -1.0f && a < 101.0f) << a;
    const TResult cassini =
        Render({"--projection", "8", "--jpeg", Out("c.jpg"), "--geotiff", Out("c.tif"), file});
    EXPECT_EQ(cassini.Status, 4);
    EXPECT_NE(cassini.Err.find("no coordinate reference system"), std::string::npos);
    EXPECT_FALSE(fs::exists(Out("c.jpg")));
    EXPECT_FALSE(fs::exists(Out("c.tif")));
}

// Many inputs in one run: each as it would be alone, in input order, a bad one never stopping
// the others, the status the highest of theirs.
TEST_F(RenderCommand, ManyInputsRenderAsEachWouldAlone)
{
    const std::vector<std::string> files = {SampleWith(".HIRX."), SampleWith("amsual1c_"),
                                            SampleWith("mhsl1c_")};
    const std::string pattern = Out("{name}.png"), bt = Out("{name}.bt");
    // Without {name} the outputs would write over each other: refused before any rendering.
    for (const char* option : {"--jpeg", "--png", "--bt", "--netcdf", "--csv", "--geotiff"}) {
        const TResult r = Render({option, Out("same"), files[0], files[1]});
        EXPECT_EQ(r.Status, 2) << option;
        EXPECT_NE(r.Err.find("{name}"), std::string::npos);
    }
    EXPECT_EQ(Render({"-j", "0", files[0]}).Status, 2);
    EXPECT_TRUE(fs::is_empty(folder_));

    std::vector<std::string> arguments = {"-j2", "--info", "--png", pattern, "--bt", bt};
    arguments.insert(arguments.end(), files.begin(), files.end());
    arguments.insert(arguments.begin() + 1, Out("missing.l1b"));
    arguments.push_back(Out("missing-too.l1b"));
    const TResult all = Render(arguments);
    EXPECT_EQ(all.Status, 3);
    EXPECT_NE(all.Err.find("cannot read " + Out("missing.l1b")), std::string::npos);
    std::size_t at = 0;
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        at = all.Out.find("file=" + file + "\ncaption=", at);
        EXPECT_NE(at, std::string::npos) << file;
        ASSERT_EQ(Render({"--png", Out("alone.png"), "--bt", Out("alone.bt"), file}).Status, 0);
        EXPECT_EQ(QImage(QString::fromStdString(Out(name + ".png"))),
                  QImage(QString::fromStdString(Out("alone.png"))));
        std::ifstream many(Out(name + ".bt"), std::ios::binary), alone(Out("alone.bt"));
        EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(many), {},
                               std::istreambuf_iterator<char>(alone), {}))
            << name;
    }
    EXPECT_EQ(all.Out.find("file=" + Out("missing.l1b") + "\ncaption="), std::string::npos);

    // A name holding a line feed cannot forge a line of the text, nor of the messages. Files
    // of the same name from two folders would write the same output.
    const std::string forged = Out("a\nsamples=99.HIRX.L1B");
    fs::copy_file(files[0], forged);
    const TResult escaped = Render({"--info", forged, Out("b\tmissing.l1b")});
    EXPECT_EQ(escaped.Out.find("\nsamples=99"), std::string::npos);
    EXPECT_NE(escaped.Out.find("file=" + Out("a\\nsamples=99.HIRX.L1B") + "\ncaption="),
              std::string::npos);
    EXPECT_NE(escaped.Err.find("cannot read " + Out("b\\tmissing.l1b")), std::string::npos);
    fs::create_directories(Out("copy"));
    fs::copy_file(files[0], Out("copy/") + fs::path(files[0]).filename().string());
    const TResult twice =
        Render({"--png", pattern, files[0], Out("copy/") + fs::path(files[0]).filename().string()});
    EXPECT_EQ(twice.Status, 2);
    EXPECT_NE(twice.Err.find("--png for '" + files[0] + "' and --png for '" + Out("copy/")),
              std::string::npos)
        << twice.Err;

    // The progress line, only when asked for (a terminal), rewritten in place.
    std::ostringstream out, err;
    EXPECT_EQ(
        RunRender({"--bt", bt, files[0], Out("missing.l1b")}, "veltra-render", out, err, true), 3);
    EXPECT_NE(err.str().find("\r2/2 files, 1 problem"), std::string::npos) << err.str();
    EXPECT_EQ(all.Err.find(" files, "), std::string::npos);
}

// A legend strip goes below the map, which keeps its size and pixels: the colour bar runs from
// the palette's first entry to its last (a grey bar for the visible channel), with text.
TEST_F(RenderCommand, LegendStripBelowTheUnchangedMap)
{
    const std::string file = SampleWith(".HIRX.");
    const std::vector<std::pair<std::vector<std::string>, std::vector<QColor>>> cases = {
        {{"--palette", "viridis"}, {QColor(68, 1, 84), QColor(253, 231, 37)}},
        {{"--sensor", "HIRS", "--channel", "20"}, {QColor(0, 0, 0), QColor(255, 255, 255)}}};
    for (const auto& [options, ends] : cases) {
        SCOPED_TRACE(options.back());
        std::vector<std::string> arguments = options;
        arguments.insert(arguments.end(), {"--png", Out("map.png"), file});
        ASSERT_EQ(Render(arguments).Status, 0);
        arguments.insert(arguments.begin(), "--legend");
        arguments[arguments.size() - 2] = Out("legend.png");
        ASSERT_EQ(Render(arguments).Status, 0);
        const QImage map(QString::fromStdString(Out("map.png")));
        const QImage legend(QString::fromStdString(Out("legend.png")));
        ASSERT_EQ(legend.width(), 800);
        ASSERT_GT(legend.height(), 600 + 30);
        EXPECT_EQ(legend.copy(0, 0, 800, 600), map);
        // The bar's first and last columns, and white text on the black strip.
        int first = 0, last = 0, text = 0;
        for (int y = 600; y < legend.height(); ++y) {
            for (int x = 0; x < 800; ++x) {
                const QColor c = legend.pixelColor(x, y);
                text += c == Qt::white && x < 400;
            }
            bool seen = false;
            for (int x = 0; x < 800; ++x) {
                const QColor c = legend.pixelColor(x, y);
                first += !seen && c == ends[0] && x < 20;
                seen = seen || c == ends[0];
                last += c == ends[1] && x > 700;
            }
        }
        EXPECT_GT(first, 5);
        EXPECT_GT(last, 5);
        EXPECT_GT(text, 100);
    }
}

// The GeoTIFF of values, read back with GDAL: the pixel under each footprint holds that
// footprint's exported temperature bit for bit (the last drawn, where several share a pixel),
// the cells between them theirs, and NaN, the nodata value, elsewhere; unit and channel in its
// metadata.
TEST_F(RenderCommand, ValueGeoTiffHoldsTheFootprintsTemperatures)
{
    const std::string executable = std::string(VELTRA_BINARY_DIR) + "/src/app/veltra-render";
    GDALAllRegister();
    for (const int projection : {7, 1}) {
        SCOPED_TRACE(projection);
        THeadlessView view(VELTRA_BINARY_DIR "/src/app");
        TFormVeltra form(view, {}, executable);
        TRunRequest request;
        request.Projection = projection;
        request.Width = 800;
        request.Height = 600;
        request.File = SampleWith(".HIRX.");
        ASSERT_EQ(form.RunOnce(request), TRunResult::Shown);
        SaveExport(form, TExportKind::GeoTiffValues, Out("v.tif"), "test");
        const TGeoReference part = GeoReferenceOf(*form.Mapping);

        GDALDatasetH data = GDALOpen(Out("v.tif").c_str(), GA_ReadOnly);
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(GDALGetRasterCount(data), 1);
        GDALRasterBandH band = GDALGetRasterBand(data, 1);
        EXPECT_EQ(GDALGetRasterDataType(band), GDT_Float32);
        int hasNoData = 0;
        EXPECT_TRUE(std::isnan(GDALGetRasterNoDataValue(band, &hasNoData)) && hasNoData);
        EXPECT_STREQ(GDALGetRasterUnitType(band), "K");
        EXPECT_STREQ(GDALGetMetadataItem(data, "CHANNEL", nullptr), "8");
        EXPECT_STREQ(GDALGetMetadataItem(data, "SENSOR", nullptr), "HIRS");
        ASSERT_EQ(GDALGetRasterXSize(data), part.Width);
        std::vector<float> values(static_cast<std::size_t>(part.Width * part.Height));
        ASSERT_EQ(GDALRasterIO(band, GF_Read, 0, 0, part.Width, part.Height, values.data(),
                               part.Width, part.Height, GDT_Float32, 0, 0),
                  CE_None);
        GDALClose(data);

        std::map<std::pair<int, int>, std::int32_t> lastAt;
        for (std::int32_t i = 0; i < form.SampleCount(); ++i)
            lastAt[{form.Drawn[i].X, form.Drawn[i].Y}] = i;
        std::size_t checked = 0;
        for (const auto& [pixel, i] : lastAt) {
            const int x = pixel.first - part.Left, y = pixel.second - part.Top;
            if (x < 0 || y < 0 || x >= part.Width || y >= part.Height)
                continue;
            const float value = values[static_cast<std::size_t>(y * part.Width + x)];
            const float exported = form.Samples[i].Temperature;
            ASSERT_EQ(std::memcmp(&value, &exported, 4), 0) << x << "," << y;
            ++checked;
        }
        const auto numbers = static_cast<std::size_t>(
            std::count_if(values.begin(), values.end(), [](float v) { return !std::isnan(v); }));
        EXPECT_GT(checked, 1000u);
        EXPECT_GT(numbers, checked); // the cells between the footprints' own pixels
        EXPECT_LT(numbers, values.size() / 2);
    }
}

// ---------------------------------------------------------------------------------------
// Composites

namespace {

// A variable of a grid file, whole, as doubles.
std::vector<double> GridVariable(const std::string& file, const char* name)
{
    int id = -1, variable = -1;
    std::vector<double> values;
    if (nc_open(file.c_str(), NC_NOWRITE, &id) != NC_NOERR)
        return values;
    std::size_t rows = 0, columns = 0;
    int dims[2] = {};
    if (nc_inq_varid(id, name, &variable) == NC_NOERR &&
        nc_inq_vardimid(id, variable, dims) == NC_NOERR &&
        nc_inq_dimlen(id, dims[0], &rows) == NC_NOERR &&
        nc_inq_dimlen(id, dims[1], &columns) == NC_NOERR) {
        values.resize(rows * columns);
        if (nc_get_var_double(id, variable, values.data()) != NC_NOERR)
            values.clear();
    }
    nc_close(id);
    return values;
}

// Equal values, a NaN (an empty cell) equal to a NaN.
bool SameValues(const std::vector<double>& a, const std::vector<double>& b)
{
    return a.size() == b.size() && !a.empty() &&
           std::equal(a.begin(), a.end(), b.begin(), [](double x, double y) {
               return x == y || (std::isnan(x) && std::isnan(y));
           });
}

// The sample day's passes whose names start with prefix and end with the format's extension
// (a picture saved beside a pass is not one of them).
std::vector<std::string> DayFiles(const std::string& prefix, const std::string& extension = ".l1c")
{
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(fs::path(VELTRA_SAMPLES_DIR) / "day"))
        if (entry.path().filename().string().rfind(prefix, 0) == 0 &&
            entry.path().extension() == extension)
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string GridOf(const std::vector<std::string>& files, const std::string& rule,
                   const std::string& out, std::vector<std::string> more = {})
{
    std::vector<std::string> arguments = {"--composite", rule, "--netcdf", out};
    arguments.insert(arguments.end(), more.begin(), more.end());
    arguments.insert(arguments.end(), files.begin(), files.end());
    const TResult r = Render(arguments);
    EXPECT_EQ(r.Status, 0) << r.Err;
    return r.Out;
}

// A grid cell by the rule: row i holds -90 + i step <= lat < -90 + (i + 1) step.
std::size_t CellIndex(double lat, double lon, double step)
{
    const int rows = static_cast<int>(std::lround(180 / step));
    const int columns = static_cast<int>(std::lround(360 / step));
    int row = 0;
    while (row + 1 < rows && -90.0 + (row + 1) * step <= lat)
        ++row;
    lon = std::fmod(lon + 180.0, 360.0);
    if (lon < 0)
        lon += 360.0;
    int column = static_cast<int>(lon / step);
    column = std::min(column, columns - 1);
    return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
           static_cast<std::size_t>(column);
}

} // namespace

// The grid of the sample day equals a plain reduction of the footprints every pass gives
// alone (its brightness-temperature records on the whole-world map, where every footprint is
// drawn), though the view it is made in (the default one, of Europe) shows only part of them;
// the day split in two halves, gridded and merged, equals the whole day's grid.
TEST_F(RenderCommand, CompositeGridOfTheDayIsAReductionOfItsFootprints)
{
#if defined(__SANITIZE_ADDRESS__)
    // Fourteen full revolutions decoded a dozen times take minutes under the sanitizers; the
    // group composites below run there.
    GTEST_SKIP() << "the day is too long for the sanitizer build";
#endif
    const std::vector<std::string> day = DayFiles("mhsl1c_");
    ASSERT_EQ(day.size(), 14u);
    constexpr double Step = 1.0;
    const std::size_t cells = 180 * 360;
    std::vector<double> sum(cells), low(cells, INFINITY), high(cells, -INFINITY);
    std::vector<int> count(cells);
    std::size_t footprints = 0;
    for (const std::string& file : day) {
        ASSERT_EQ(Render({"--projection", "plate-carree", "--bt", Out("pass.bt"), file}).Status, 0);
        std::ifstream in(Out("pass.bt"), std::ios::binary);
        float record[3];
        while (in.read(reinterpret_cast<char*>(record), sizeof record)) {
            const std::size_t cell = CellIndex(record[0], record[1], Step);
            sum[cell] += record[2];
            low[cell] = std::min<double>(low[cell], record[2]);
            high[cell] = std::max<double>(high[cell], record[2]);
            ++count[cell];
            ++footprints;
        }
    }
    const std::vector<std::string> step = {"--grid-step", "1"};
    for (const char* rule : {"mean", "min", "max"}) {
        const std::string info =
            GridOf(day, rule, Out(std::string(rule) + ".nc"), {"--grid-step", "1", "--info"});
        EXPECT_NE(info.find("footprints=" + std::to_string(footprints) + "\n"), std::string::npos);
        const std::vector<double> value =
            GridVariable(Out(std::string(rule) + ".nc"), "brightness_temperature");
        const std::vector<double> counted = GridVariable(Out(std::string(rule) + ".nc"), "count");
        ASSERT_EQ(value.size(), cells);
        ASSERT_EQ(counted.size(), cells);
        int empty = 0;
        for (std::size_t c = 0; c < cells; ++c) {
            ASSERT_EQ(counted[c], count[c]) << rule << " cell " << c;
            if (count[c] == 0) {
                EXPECT_TRUE(std::isnan(value[c])) << c;
                ++empty;
                continue;
            }
            const float expected = std::string(rule) == "mean"
                                       ? static_cast<float>(sum[c] / count[c])
                                   : std::string(rule) == "min" ? static_cast<float>(low[c])
                                                                : static_cast<float>(high[c]);
            ASSERT_LE(std::fabs(static_cast<float>(value[c]) - expected),
                      2 * std::nextafter(expected, INFINITY) - 2 * expected)
                << rule << " cell " << c;
        }
        EXPECT_GT(empty, 0); // the gaps between swaths at the equator
    }

    // Two halves of the day, gridded on their own and merged (alone and with passes), equal
    // the day at once, variable by variable.
    const std::vector<std::string> first(day.begin(), day.begin() + 7),
        second(day.begin() + 7, day.end());
    for (const char* rule : {"mean", "nadir"}) {
        const std::string r = rule;
        GridOf(first, r, Out("first.nc"), step);
        GridOf(second, r, Out("second.nc"), step);
        GridOf({Out("first.nc"), Out("second.nc")}, r, Out("merged.nc"), step);
        std::vector<std::string> mixed = {Out("first.nc")};
        mixed.insert(mixed.end(), second.begin(), second.end());
        GridOf(mixed, r, Out("mixed.nc"), step);
        if (r == "nadir")
            GridOf(day, r, Out("nadir.nc"), step);
        for (const char* variable : {"brightness_temperature", "count", "time"})
            for (const char* merged : {"merged.nc", "mixed.nc"})
                EXPECT_TRUE(SameValues(GridVariable(Out(merged), variable),
                                       GridVariable(Out(r + ".nc"), variable)))
                    << r << " " << variable << " " << merged;
    }
}

// Inputs are taken in time order whatever order they are given in; the copies of a scan line
// that two stations hold are used once; the rules choose what they say; another sensor is a
// usage error, an unreadable input a problem the others survive.
TEST_F(RenderCommand, CompositeRulesOrderAndDuplicates)
{
    std::vector<std::string> group;
    for (const auto& entry : fs::directory_iterator(fs::path(VELTRA_SAMPLES_DIR) / "group"))
        if (entry.path().filename().string().find("_0805_") != std::string::npos)
            group.push_back(entry.path().string());
    std::sort(group.begin(), group.end()); // dun, lan, mas: lines 1-90, 56-150, 116-199
    ASSERT_EQ(group.size(), 3u);
    const std::vector<std::string> reversed(group.rbegin(), group.rend());
    const std::vector<std::string> picture = {"--projection", "plate-carree-zoomed", "--info",
                                              "--png"};
    for (const char* rule : {"latest", "nadir", "mean"}) {
        std::vector<std::string> forward = picture, backward = picture;
        forward.push_back(Out("forward.png"));
        backward.push_back(Out("backward.png"));
        const std::string a = GridOf(group, rule, Out("forward.nc"), forward);
        const std::string b = GridOf(reversed, rule, Out("backward.nc"), backward);
        // 35 lines of Dundee's are Lannion's too, and 35 of Lannion's Maspalomas's.
        EXPECT_NE(a.find("passes=3\nfootprints="), std::string::npos) << a;
        EXPECT_NE(a.find("duplicate_lines=70\n"), std::string::npos) << a;
        EXPECT_EQ(a.substr(a.find("passes=")), b.substr(b.find("passes=")));
        EXPECT_EQ(QImage(QString::fromStdString(Out("forward.png"))),
                  QImage(QString::fromStdString(Out("backward.png"))))
            << rule;
        for (const char* variable : {"brightness_temperature", "count", "time"})
            EXPECT_TRUE(SameValues(GridVariable(Out("forward.nc"), variable),
                                   GridVariable(Out("backward.nc"), variable)))
                << rule << " " << variable;
        fs::rename(Out("forward.nc"), Out(std::string(rule) + ".nc"));
    }
    // Per cell, nadir's footprint is never further from nadir than latest's, and latest's
    // never earlier than nadir's; both chose among the same footprints.
    const auto latestTime = GridVariable(Out("latest.nc"), "time");
    const auto nadirTime = GridVariable(Out("nadir.nc"), "time");
    const auto latestAngle = GridVariable(Out("latest.nc"), "scan_angle");
    const auto nadirAngle = GridVariable(Out("nadir.nc"), "scan_angle");
    ASSERT_EQ(latestTime.size(), nadirTime.size());
    int differ = 0;
    for (std::size_t c = 0; c < latestTime.size(); ++c) {
        if (std::isnan(latestTime[c]))
            continue;
        EXPECT_GE(latestTime[c], nadirTime[c]);
        EXPECT_LE(nadirAngle[c], latestAngle[c]);
        differ += nadirAngle[c] < latestAngle[c];
    }
    EXPECT_GT(differ, 0);
    // One pass by the latest rule is the pass's own picture, in the palette chosen, also on
    // the whole world, where most footprints share their pixel with the one before (the pen
    // does not move) and strokes overlap most.
    for (const auto& [palette, projection, size] :
         {std::array<const char*, 3>{"thermal", "plate-carree-zoomed", "800x600"},
          std::array<const char*, 3>{"viridis", "plate-carree-zoomed", "800x600"},
          std::array<const char*, 3>{"thermal", "plate-carree", "1440x720"}}) {
        const std::vector<std::string> view = {"--palette", palette, "--projection", projection,
                                               "--size",    size,    "--png"};
        std::vector<std::string> single = view, composite = {"--composite", "latest"};
        single.insert(single.end(), {Out("single.png"), group[0]});
        composite.insert(composite.end(), view.begin(), view.end());
        composite.insert(composite.end(), {Out("composite.png"), group[0]});
        ASSERT_EQ(Render(single).Status, 0);
        ASSERT_EQ(Render(composite).Status, 0);
        EXPECT_EQ(QImage(QString::fromStdString(Out("single.png"))),
                  QImage(QString::fromStdString(Out("composite.png"))))
            << palette << " " << projection;
    }

    // Another sensor: refused, naming the odd file, before anything is written.
    const std::string odd = SampleWith("mhsl1c_");
    const TResult mixed =
        Render({"--composite", "latest", "--png", Out("odd.png"), group[0], odd, group[1]});
    EXPECT_EQ(mixed.Status, 2);
    EXPECT_NE(mixed.Err.find(odd), std::string::npos) << mixed.Err;
    EXPECT_FALSE(fs::exists(Out("odd.png")));
    // An input that cannot be read is named, the others composited and written; the exit
    // status is an unreadable input's.
    const TResult missing = Render({"--composite", "max", "--info", "--png", Out("two.png"),
                                    group[0], Out("missing.l1c"), group[2]});
    EXPECT_EQ(missing.Status, 3);
    EXPECT_TRUE(fs::exists(Out("two.png")));
    EXPECT_NE(missing.Err.find("veltra-render: " + Out("missing.l1c") + ": "), std::string::npos);
    EXPECT_NE(missing.Out.find("passes=2\n"), std::string::npos) << missing.Out;
    // The footprint lists have no composite.
    EXPECT_EQ(Render({"--composite", "mean", "--bt", Out("x.bt"), group[0], group[1]}).Status, 2);
    EXPECT_EQ(
        Render({"--composite", "mean", "--all-channels", "--netcdf", Out("x.nc"), group[0]}).Status,
        2);
    EXPECT_EQ(Render({"--composite", "mean", "--difference", "8,12", "--info", group[0]}).Status,
              2);
    // The time window keeps the lines from --from up to --to, in a single file too.
    const TResult window =
        Render({"--info", "--from", "2008-01-15T08:00", "--to", "2008-01-15T08:05:00Z", group[0]});
    const TResult whole = Render({"--info", group[0]});
    EXPECT_EQ(window.Status, 0);
    EXPECT_LT(std::stoi(window.Out.substr(window.Out.find("samples=") + 8)),
              std::stoi(whole.Out.substr(whole.Out.find("samples=") + 8)));
    EXPECT_EQ(Render({"--info", "--from", "2008-13-01", group[0]}).Status, 2);
    // --mask flagged hides the flagged lines of a composite too; --info counts the lines of
    // every pass and gives the earliest start.
    const auto value = [](const std::string& text, const std::string& key) {
        const std::size_t at = text.find("\n" + key + "=") + key.size() + 2;
        return text.substr(at, text.find('\n', at) - at);
    };
    const std::vector<std::string> all = {"--composite", "latest", "--info",
                                          group[0],      group[1], group[2]};
    std::vector<std::string> hiding = all;
    hiding.insert(hiding.begin(), {"--mask", "flagged"});
    const TResult shown = Render(all), hidden = Render(hiding);
    EXPECT_EQ(value(shown.Out, "start"), value(whole.Out, "start"));
    EXPECT_EQ(value(shown.Out, "hidden_lines"), "0");
    EXPECT_GT(std::stoi(value(shown.Out, "flagged_lines")), 0);
    EXPECT_EQ(value(hidden.Out, "hidden_lines"), value(shown.Out, "flagged_lines"));
    EXPECT_LT(std::stoull(value(hidden.Out, "footprints")),
              std::stoull(value(shown.Out, "footprints")));
}

// By the latest rule a pixel shows the latest footprint whatever order the scan lines come
// in: a pass with its records written last to first, and a pass split into two files of
// alternate lines (whose times interleave), give the pass's own composite.
TEST_F(RenderCommand, CompositeLatestWhateverTheOrderOfLines)
{
    const std::string file = SampleWith("mhsl1c_");
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The scan-line count at byte 72 of the header record, in the file's byte order; the
    // header and every line are records of one size.
    std::uint32_t count = 0;
    std::memcpy(&count, bytes.data() + 72, 4);
    const bool swapped = count > 1000000;
    if (swapped)
        count = __builtin_bswap32(count);
    ASSERT_GT(count, 10u);
    ASSERT_EQ(bytes.size() % (count + 1), 0u);
    const std::size_t size = bytes.size() / (count + 1);
    // The name tells the sensor.
    const auto write = [&](const std::string& name, const std::vector<std::uint32_t>& lines) {
        std::string out = bytes.substr(0, size);
        const auto n = static_cast<std::uint32_t>(lines.size());
        const std::uint32_t stored = swapped ? __builtin_bswap32(n) : n;
        out.replace(72, 4, reinterpret_cast<const char*>(&stored), 4);
        for (const std::uint32_t line : lines)
            out += bytes.substr((line + 1) * size, size);
        std::ofstream(Out(name), std::ios::binary) << out;
        return Out(name);
    };
    std::vector<std::uint32_t> backwards, even, odd;
    for (std::uint32_t line = count; line-- > 0;)
        backwards.push_back(line);
    for (std::uint32_t line = 0; line < count; ++line)
        (line % 2 == 0 ? even : odd).push_back(line);
    const std::vector<std::vector<std::string>> inputs = {
        {file},
        {write("mhsl1c_backwards.l1c", backwards)},
        {write("mhsl1c_even.l1c", even), write("mhsl1c_odd.l1c", odd)}};
    std::vector<QImage> pictures;
    for (const auto& files : inputs) {
        std::vector<std::string> arguments = {
            "--composite",  "latest", "-j",       "2",     "--projection",
            "plate-carree", "--size", "1440x720", "--png", Out("latest.png")};
        arguments.insert(arguments.end(), files.begin(), files.end());
        const TResult r = Render(arguments);
        ASSERT_EQ(r.Status, 0) << r.Err;
        pictures.emplace_back(QString::fromStdString(Out("latest.png")));
    }
    EXPECT_FALSE(pictures[0].isNull());
    EXPECT_EQ(pictures[0], pictures[1]);
    EXPECT_EQ(pictures[0], pictures[2]);
}

// A composite's legend spans its passes (the end's date too when it is another day), and a
// composite has no channel difference.
TEST_F(RenderCommand, CompositeLegendSpansItsPasses)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer build makes no sample day";
#endif
    const std::vector<std::string> day = DayFiles("mhsl1c_");
    ASSERT_EQ(day.size(), 14u);
    const std::string executable = std::string(VELTRA_BINARY_DIR) + "/src/app/veltra-render";
    THeadlessView view(VELTRA_BINARY_DIR "/src/app");
    TFormVeltra form(view, {}, executable);
    TRunRequest request;
    request.Width = 200;
    request.Height = 100;
    request.Composite = "latest";
    request.Files = {day.back(), day.front()}; // 01:34 and 23:29 that day, to 01:10 the next
    ASSERT_EQ(form.RunOnce(request), TRunResult::Shown);
    const std::string title = form.LegendTitle();
    EXPECT_TRUE(title.ends_with("   2008-01-15 01:34-2008-01-16 01:10 UTC")) << title;
    request.Files = {day[1], day[0]};
    ASSERT_EQ(form.RunOnce(request), TRunResult::Shown);
    EXPECT_TRUE(form.LegendTitle().ends_with("   2008-01-15 01:34-04:56 UTC"))
        << form.LegendTitle();
    request.Channel = 18;
    request.Difference = 20;
    EXPECT_EQ(form.RunOnce(request), TRunResult::DifferenceNotOffered);
}

// Passes decoded on several threads give the same picture and grid, byte for byte.
TEST_F(RenderCommand, CompositeIsTheSameForEveryNumberOfThreads)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the day is too long for the sanitizer build";
#endif
    std::vector<std::string> files = DayFiles("mhsl1c_");
    ASSERT_GE(files.size(), 5u);
    files.resize(5);
    for (const char* rule : {"latest", "mean"}) {
        std::vector<std::string> outputs;
        for (const char* jobs : {"1", "2", "5"}) {
            const std::string png = Out(std::string(rule) + jobs + ".png");
            const std::string nc = Out(std::string(rule) + jobs + ".nc");
            GridOf(
                files, rule, nc,
                {"-j", jobs, "--projection", "plate-carree", "--size", "1440x720", "--png", png});
            // The PNG's rows are deflated in stretches by as many threads: one valid stream.
            EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(1440, 720)) << jobs;
            std::ifstream in(png, std::ios::binary);
            outputs.emplace_back(std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>());
            EXPECT_TRUE(SameValues(
                GridVariable(nc, "brightness_temperature"),
                GridVariable(Out(std::string(rule) + "1.nc"), "brightness_temperature")));
        }
        EXPECT_FALSE(outputs[0].empty());
        EXPECT_EQ(outputs[0], outputs[1]) << rule;
        EXPECT_EQ(outputs[0], outputs[2]) << rule;
    }
}

namespace {

// A NetCDF file read back: its dimensions, global texts and whole variables.
class TNetCdfFile {
public:
    explicit TNetCdfFile(const std::string& name) { nc_open(name.c_str(), NC_NOWRITE, &id_); }
    ~TNetCdfFile()
    {
        if (id_ >= 0)
            nc_close(id_);
    }
    TNetCdfFile(const TNetCdfFile&) = delete;
    TNetCdfFile& operator=(const TNetCdfFile&) = delete;

    bool Open() const { return id_ >= 0; }
    std::size_t Dimension(const char* name) const
    {
        int d = -1;
        std::size_t length = 0;
        if (nc_inq_dimid(id_, name, &d) == NC_NOERR)
            nc_inq_dimlen(id_, d, &length);
        return length;
    }
    int IntAttribute(const char* variable, const char* name) const
    {
        int v = -1, value = -1;
        if (nc_inq_varid(id_, variable, &v) == NC_NOERR)
            nc_get_att_int(id_, v, name, &value);
        return value;
    }
    std::string Global(const char* name) const
    {
        std::size_t length = 0;
        if (nc_inq_attlen(id_, NC_GLOBAL, name, &length) != NC_NOERR)
            return "(missing)";
        std::string text(length, '\0');
        nc_get_att_text(id_, NC_GLOBAL, name, text.data());
        return text;
    }
    // The whole variable as T (the library converts); empty when it is absent.
    template <typename T> std::vector<T> Get(const char* variable) const
    {
        int v = -1, dimensions = 0, ids[NC_MAX_VAR_DIMS];
        if (nc_inq_varid(id_, variable, &v) != NC_NOERR)
            return {};
        nc_inq_varndims(id_, v, &dimensions);
        nc_inq_vardimid(id_, v, ids);
        std::size_t count = 1;
        for (int d = 0; d < dimensions; ++d) {
            std::size_t length = 0;
            nc_inq_dimlen(id_, ids[d], &length);
            count *= length;
        }
        std::vector<T> values(count);
        if constexpr (std::is_same_v<T, float>)
            nc_get_var_float(id_, v, values.data());
        else if constexpr (std::is_same_v<T, double>)
            nc_get_var_double(id_, v, values.data());
        else if constexpr (std::is_same_v<T, unsigned>)
            nc_get_var_uint(id_, v, values.data());
        else
            nc_get_var_int(id_, v, values.data());
        return values;
    }

private:
    int id_ = -1;
};

std::int64_t UnixMilliseconds(const samples::TPassInfo& info, double seconds)
{
    using namespace std::chrono;
    const samples::TUtcTime t = samples::UtcOf(info, seconds);
    const sys_days day = sys_days(year{t.Year} / January / 1) + days{t.DayOfYear - 1};
    return duration_cast<milliseconds>(day.time_since_epoch()).count() + t.Milliseconds;
}

std::string IsoText(std::int64_t ms)
{
    using namespace std::chrono;
    const sys_days day{days{ms / 86400000}};
    const year_month_day date{day};
    const std::int64_t of = ms % 86400000;
    return Format("%04d-%02u-%02uT%02lld:%02lld:%02lld.%03lldZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<long long>(of / 3600000), static_cast<long long>(of / 60000 % 60),
                  static_cast<long long>(of / 1000 % 60), static_cast<long long>(of % 1000));
}

std::string InfoValue(const std::string& out, const std::string& key)
{
    const auto at = out.find("\n" + key + "=");
    if (at == std::string::npos)
        return "(missing)";
    const auto from = at + key.size() + 2;
    return out.substr(from, out.find('\n', from) - from);
}

} // namespace

// One pass of each family, as the sample generator wrote it, through veltra-render and the
// NetCDF exports: the whole pass with every channel, whose time, angles and flags must be the
// generator's and whose lines the decoder rejects are absent; and each channel's own export,
// which must hold the swath's values footprint for footprint.
TEST_F(RenderCommand, AllChannelsSwathIsThePassAndAgreesWithEveryChannel)
{
    using namespace samples;
    const TSamplePasses& passes = test::SharedPasses();
    const struct {
        const char* File;
        const char* Sensor;
        const TPassData& Pass;
        const char* Instrument;
        bool Level1b, Level1d;
    } cases[] = {
        {"NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B", "HIRS", passes.HirsEurope, "HIRS", true,
         false},
        {"native/mhsl1c_metopa_20080115_0855_06460_sv.l1c", "AMSU-B", passes.MhsEurope, "MHS",
         false, false},
        {"atovsl1d_noaa15_20080115_0805_50410_gc.l1d", "AMSU-A", passes.HirsEurope, "AMSU-A", false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        const std::string file = std::string(VELTRA_SAMPLES_DIR) + "/" + c.File;
        const TResult all = Render(
            {"--sensor", c.Sensor, "--info", "--all-channels", "--netcdf", Out("all.nc"), file});
        ASSERT_EQ(all.Status, 0) << all.Err;
        const TPassData& pass = c.Pass;
        EXPECT_EQ(InfoValue(all.Out, "start"),
                  IsoText(UnixMilliseconds(pass.Info, pass.Lines.front().Seconds)));
        EXPECT_EQ(InfoValue(all.Out, "end"),
                  IsoText(UnixMilliseconds(pass.Info, pass.Lines.back().Seconds)));
        const TNetCdfFile swath(Out("all.nc"));
        ASSERT_TRUE(swath.Open());
        EXPECT_EQ(swath.Global("instrument"), c.Instrument);
        const std::size_t lines = swath.Dimension("scan_line");
        const std::size_t footprints = swath.Dimension("footprint");
        const std::size_t channels = swath.Dimension("channel");
        ASSERT_EQ(footprints, static_cast<std::size_t>(pass.Footprints()));

        // Rows are the lines the decoder accepts (Level 1b HIRS: Earth views), in order.
        std::vector<int> expectedRecords;
        for (std::size_t l = 0; l < pass.Lines.size(); ++l)
            if (!c.Level1b || pass.Lines[l].Quality == 0)
                expectedRecords.push_back(static_cast<int>(l));
        const std::vector<int> records = swath.Get<int>("record");
        ASSERT_EQ(records, expectedRecords);
        ASSERT_EQ(lines, records.size());
        const auto time = swath.Get<double>("time");
        const auto flags = swath.Get<unsigned>("quality_flags");
        const auto lat = swath.Get<float>("lat"), lon = swath.Get<float>("lon");
        const auto satellite = swath.Get<float>("satellite_zenith_angle");
        const auto solar = swath.Get<float>("solar_zenith_angle");
        ASSERT_EQ(time.size(), lines);
        // Level 1d records hold neither flags nor angles: no variable rather than zeros.
        ASSERT_EQ(flags.size(), c.Level1d ? 0u : lines);
        ASSERT_EQ(satellite.size(), c.Level1d ? 0u : lines * footprints);
        ASSERT_EQ(solar.size(), satellite.size());
        const TScanGeometry geometry =
            ScanGeometry(c.Level1d ? TInstrument::Hirs : pass.Instrument);
        for (std::size_t r = 0; r < lines; ++r) {
            const TScanLineData& line = pass.Lines[static_cast<std::size_t>(records[r])];
            SCOPED_TRACE(Format("record %d", records[r]));
            if (c.Level1d) {
                // The header's start and end only; the lines' times lie evenly between them.
                EXPECT_NEAR(time[r], static_cast<double>(UnixMilliseconds(pass.Info, line.Seconds)),
                            1.0);
            } else {
                EXPECT_EQ(time[r],
                          static_cast<double>(UnixMilliseconds(pass.Info, line.StoredSeconds())));
                EXPECT_EQ(flags[r], line.QualityIndicator);
            }
            for (std::size_t j = 0; j < footprints; ++j) {
                const std::size_t at = r * footprints + j;
                EXPECT_NEAR(lat[at], pass.LatitudeDeg(records[r], static_cast<int>(j)), 5e-5);
                EXPECT_NEAR(lon[at], pass.LongitudeDeg(records[r], static_cast<int>(j)), 5e-5);
                if (c.Level1d)
                    continue;
                const TViewAngles written = ViewAnglesAt(
                    pass.Info, line.Seconds, geometry.ScanAngleDeg(static_cast<int>(j)));
                EXPECT_NEAR(satellite[at], written.SatelliteZenith, 0.0051);
                EXPECT_NEAR(solar[at], written.SolarZenith, 0.0051);
            }
        }

        // Every channel alone: each footprint it exports has the swath's value, bit for bit.
        const auto bt = swath.Get<float>("brightness_temperature");
        const auto albedo = swath.Get<float>("albedo");
        const std::vector<int> numbers = swath.Get<int>("channel");
        ASSERT_EQ(numbers.size(), channels);
        std::vector<int> every = numbers;
        if (!albedo.empty())
            every.push_back(swath.IntAttribute("albedo", "channel")); // the visible HIRS channel
        std::map<int, std::size_t> rowOf;
        for (std::size_t r = 0; r < lines; ++r)
            rowOf[records[r]] = r;
        for (std::size_t k = 0; k < every.size(); ++k) {
            const int channel = every[k];
            SCOPED_TRACE(channel);
            ASSERT_EQ(Render({"--sensor", c.Sensor, "--channel", std::to_string(channel),
                              "--netcdf", Out("one.nc"), file})
                          .Status,
                      0);
            const TNetCdfFile one(Out("one.nc"));
            const bool visible = k == numbers.size();
            const auto values = one.Get<float>(visible ? "albedo" : "brightness_temperature");
            const auto scanLine = one.Get<int>("scan_line");
            const auto footprint = one.Get<int>("footprint");
            const auto oneTime = one.Get<double>("time");
            const auto oneZenith = one.Get<float>("satellite_zenith_angle");
            ASSERT_GT(values.size(), 1000u);
            ASSERT_EQ(oneTime.size(), values.size());
            int differences = 0;
            for (std::size_t i = 0; i < values.size(); ++i) {
                const auto row = rowOf.find(scanLine[i]);
                ASSERT_NE(row, rowOf.end()) << scanLine[i];
                const std::size_t at =
                    row->second * footprints + static_cast<std::size_t>(footprint[i]);
                const float expected = visible ? albedo[at] : bt[at * channels + k];
                differences += std::memcmp(&values[i], &expected, 4) != 0;
                differences += oneTime[i] != time[row->second];
                if (!c.Level1d)
                    differences += std::memcmp(&oneZenith[i], &satellite[at], 4) != 0;
            }
            EXPECT_EQ(differences, 0);
        }
    }
}

namespace {

// The rows of a single-channel CSV export by footprint: scan line, footprint and position (as
// written), the first stream's where a station group repeats one; each row's place and value.
struct TCsvRows {
    std::map<std::string, std::pair<std::size_t, std::string>> ByFootprint;
    std::vector<std::string> Values, Keys;
};

std::vector<std::string> Fields(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(field);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

TCsvRows CsvRows(const std::string& csv)
{
    TCsvRows rows;
    std::stringstream in(csv);
    std::string line;
    std::getline(in, line); // the header
    while (std::getline(in, line)) {
        const std::vector<std::string> f = Fields(line); // lat, lon, value, line, footprint, file
        const std::string key = f.at(3) + "/" + f.at(4) + "/" + f.at(0) + "," + f.at(1);
        rows.ByFootprint.emplace(key, std::make_pair(rows.Values.size(), f.at(2)));
        rows.Values.push_back(f.at(2));
        rows.Keys.push_back(key);
    }
    return rows;
}

float Number(const std::string& text)
{
    return std::strtof(text.c_str(), nullptr);
}

struct TSpectrumCase {
    std::vector<std::string> Options; // sensor, group
    std::string File;
    std::vector<int> Channels; // to compare with their single-channel exports
    std::pair<int, int> Difference;
};

} // namespace

// The spectrum of a footprint holds, for every channel, the very value the channel's own render
// exports for that footprint (the visible channel: the albedo its NetCDF export holds), and a
// difference is the two channels' exports subtracted, footprint for footprint: Level 1b of each
// sensor, Level 1c, Level 1d under each sensor tab and a station group.
TEST_F(RenderCommand, SpectrumAndDifferenceMatchSingleChannelExports)
{
    const std::vector<int> hirs = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                   11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    const std::vector<TSpectrumCase> cases = {
        {{}, SampleWith(".HIRX."), hirs, {8, 12}},
        {{}, SampleWith(".AMAX."), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}, {4, 6}},
        {{}, SampleWith(".MHSX."), {16, 17, 18, 19, 20}, {18, 20}},
        {{}, SampleWith("hirsl1c_noaa15_20080115_0805_50410_gc.l1c"), {1, 12, 20}, {8, 12}},
        {{}, SampleWith("amsual1c_noaa15"), {1, 15}, {4, 6}},
        {{"--sensor", "HIRS"}, SampleWith("atovsl1d_"), {1, 19, 20}, {8, 12}},
        {{"--sensor", "AMSU-A"}, SampleWith("atovsl1d_"), {1, 4, 15}, {4, 6}},
        {{"--sensor", "AMSU-B"}, SampleWith("atovsl1d_"), {16, 20}, {18, 20}},
        {{"--group"}, SampleWith("_0805_50410_lan.l1c"), {8, 20}, {8, 12}},
    };
    for (const TSpectrumCase& c : cases) {
        SCOPED_TRACE(c.File);
        ASSERT_FALSE(c.File.empty());
        const auto render = [&](std::vector<std::string> more) {
            std::vector<std::string> arguments = c.Options;
            arguments.insert(arguments.end(), {"--size", "300x200"});
            arguments.insert(arguments.end(), more.begin(), more.end());
            arguments.push_back(c.File);
            return Render(arguments);
        };
        const TResult shown = render({"--csv", "-"});
        ASSERT_EQ(shown.Status, 0) << shown.Err;
        const TCsvRows rows = CsvRows(shown.Out);
        ASSERT_GT(rows.Keys.size(), 100u);
        // A footprint in the middle of what is drawn, asked for at its very position.
        const std::string key = rows.Keys[rows.Keys.size() / 2];
        const std::string position = key.substr(key.rfind('/') + 1);
        const TResult spectrum = render({"--spectrum", position});
        ASSERT_EQ(spectrum.Status, 0) << spectrum.Err;
        std::stringstream lines(spectrum.Out);
        std::string header, columns;
        std::getline(lines, header);
        std::getline(lines, columns);
        EXPECT_EQ(columns, "channel,central_wavenumber,frequency_ghz,wavelength_um,passband,"
                           "brightness_temperature");
        // "# 2008-01-15T08:01:54.400Z  lat ..  0.0 km away  line 47  footprint 22"
        ASSERT_EQ(header.rfind("# 2008-01-15T", 0), 0u) << header;
        EXPECT_NE(header.find("Z  lat "), std::string::npos) << header;
        EXPECT_NE(header.find("  0.0 km away  line "), std::string::npos) << header;
        int line = 0, footprint = 0;
        ASSERT_EQ(std::sscanf(header.substr(header.find("  line ")).c_str(),
                              "  line %d  footprint %d", &line, &footprint),
                  2)
            << header;
        EXPECT_EQ(key.substr(0, key.find('/', key.find('/') + 1)),
                  std::to_string(line - 1) + "/" + std::to_string(footprint - 1));
        std::map<int, std::vector<std::string>> byChannel;
        for (std::string row; std::getline(lines, row);) {
            const std::vector<std::string> f = Fields(row);
            ASSERT_EQ(f.size(), 6u) << row;
            byChannel[std::stoi(f[0])] = f;
            // The unit column that does not apply is empty.
            EXPECT_TRUE(f[2].empty() != f[3].empty()) << row;
        }
        for (const int channel : c.Channels) {
            SCOPED_TRACE(channel);
            ASSERT_TRUE(byChannel.count(channel));
            const std::string value = byChannel[channel][5];
            const TResult single = render(
                {"--channel", std::to_string(channel), "--csv", "-", "--netcdf", Out("c.nc")});
            ASSERT_EQ(single.Status, 0) << single.Err;
            const TCsvRows singleRows = CsvRows(single.Out);
            const auto at = singleRows.ByFootprint.find(key);
            ASSERT_NE(at, singleRows.ByFootprint.end());
            const std::vector<float> albedo = NetCdfColumn(Out("c.nc"), "albedo");
            if (albedo.empty()) {
                EXPECT_EQ(value, at->second.second);
            } else {
                const float exported = albedo.at(at->second.first), spectral = Number(value);
                EXPECT_EQ(std::memcmp(&exported, &spectral, 4), 0) << value;
            }
        }
        const auto [a, b] = c.Difference;
        const TResult difference = render({"--difference", Format("%d,%d", a, b), "--csv", "-"});
        ASSERT_EQ(difference.Status, 0) << difference.Err;
        EXPECT_EQ(difference.Out.rfind("latitude,longitude,brightness_temperature_difference,", 0),
                  0u);
        const TCsvRows differences = CsvRows(difference.Out);
        const TCsvRows first = CsvRows(render({"--channel", std::to_string(a), "--csv", "-"}).Out);
        const TCsvRows second = CsvRows(render({"--channel", std::to_string(b), "--csv", "-"}).Out);
        ASSERT_EQ(differences.Keys, first.Keys);
        ASSERT_EQ(differences.Keys, second.Keys);
        for (std::size_t i = 0; i < differences.Values.size(); ++i) {
            const float expected = Number(first.Values[i]) - Number(second.Values[i]);
            const float got = Number(differences.Values[i]);
            ASSERT_EQ(std::memcmp(&expected, &got, 4), 0) << differences.Keys[i];
        }
    }
    // Where no footprint is, nothing but the message, and status 5; the rest still printed.
    const std::string file = SampleWith(".AMAX.");
    const TResult off = Render({"--spectrum", "-60,100", "--spectrum", "50,0", file});
    EXPECT_EQ(off.Status, 5);
    EXPECT_NE(off.Err.find("--spectrum -60,100: no footprint there: the nearest is "),
              std::string::npos)
        << off.Err;
    EXPECT_EQ(std::count(off.Out.begin(), off.Out.end(), '#'), 1);
    EXPECT_NE(off.Out.find("\n4,1.761218,52.8,,52.8 GHz,"), std::string::npos) << off.Out;
}
