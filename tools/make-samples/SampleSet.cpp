#include "make-samples/SampleSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <thread>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/Format.h"
#include "make-samples/Compression.h"
#include "make-samples/Names.h"

namespace veltra::samples {

namespace {

// NOAA-15 crosses 50 N, 10 E going south at 08:05 UTC: a morning pass over central Europe
// with the day/night edge of a January morning inside the swath.
constexpr double Noaa15PassSeconds = 8 * 3600 + 5 * 60;
constexpr int Noaa15Revolution = 50410;
// Metop-A crosses 50 N, 5 E going south at 08:55 UTC.
constexpr double MetopPassSeconds = 8 * 3600 + 55 * 60;
constexpr int MetopRevolution = 6460;

// Lines whose HIRS quality word is set (a reader skips them).
constexpr int EuropeRejectedLines[] = {17, 61, 62, 118};
constexpr int OrbitRejectedLines[] = {100, 350, 351, 700};

// The parts of the group pass each station received: first line and line count.
struct TStationPart {
    const char* Station;
    const char* Name;
    int First, Count;
};
constexpr TStationPart GroupParts[] = {
    {"dun", "Dundee", 0, 90},
    {"lan", "Lannion", 55, 95},
    {"mas", "Maspalomas", 115, 84},
};

TPassInfo PassInfo(const TSatellite& satellite, double latitude, double longitude,
                   double passSeconds, int revolution)
{
    TPassInfo info;
    info.Satellite = satellite;
    info.Orbit = TOrbit::Through(satellite, latitude, longitude, true, passSeconds);
    info.Year = SampleYear;
    info.DayOfYear = SampleDayOfYear;
    info.Revolution = revolution;
    info.PassSeconds = passSeconds;
    return info;
}

// A pass of the instrument from `before` seconds ahead of the pass time, lasting `duration`.
TPassData PassAround(const TSceneModel& scene, const TPassInfo& info, TInstrument instrument,
                     double before, double duration)
{
    return MakePass(scene, info, instrument, info.PassSeconds - before,
                    LinesFor(instrument, duration));
}

void Reject(TPassData& pass, std::span<const int> lines)
{
    for (int line : lines)
        if (line < static_cast<int>(pass.Lines.size()))
            pass.Lines[static_cast<std::size_t>(line)].Quality = 1;
}

// The first Earth-view line from about a share of the pass on.
TScanLineData& LineAt(TPassData& pass, double share)
{
    auto line = static_cast<std::size_t>(share * static_cast<double>(pass.Lines.size()));
    while (line + 1 < pass.Lines.size() && pass.Lines[line].Quality != 0)
        ++line;
    return pass.Lines[line];
}

// The flags the ground processing sets, once each in a pass: a line not to be used, a line
// that could not be calibrated (on HIRS the Moon in the space view; on AMSU one channel whose
// space views were all bad), and a line whose time jumped back a minute.
void FlagLines(TPassData& pass)
{
    constexpr std::uint32_t Bit31 = 1u << 31, Bit30 = 1u << 30, Bit28 = 1u << 28;
    constexpr std::uint32_t SomeChannelsUncalibrated = 1u << 11, MoonInSpaceView = 1u << 9;
    constexpr std::uint32_t TimeNotConsistent = 1u << 21;
    constexpr std::uint16_t AllSpaceViewsBad = 1u << 4;
    if (pass.Lines.size() < 4)
        return;
    LineAt(pass, 0.25).QualityIndicator |= Bit31;
    TScanLineData& calibration = LineAt(pass, 0.5);
    calibration.QualityIndicator |= Bit28;
    calibration.ScanLineQuality |= SomeChannelsUncalibrated;
    if (pass.Instrument == TInstrument::Hirs)
        calibration.ScanLineQuality |= MoonInSpaceView;
    else
        calibration.ChannelQuality[pass.Instrument == TInstrument::AmsuA ? 2 : 16] |=
            AllSpaceViewsBad; // channel 3 or 17
    TScanLineData& time = LineAt(pass, 0.75);
    time.QualityIndicator |= Bit30;
    if (pass.Instrument == TInstrument::Hirs)
        time.ScanLineQuality |= TimeNotConsistent;
    time.TimeErrorS = -60;
}

std::string TimeSpan(const TPassData& pass)
{
    const TUtcTime start = UtcOf(pass.Info, pass.Lines.front().Seconds);
    const TUtcTime end = UtcOf(pass.Info, pass.Lines.back().Seconds);
    return Format("%02d:%02d-%02d:%02d UTC", start.Hour(), start.Minute(), end.Hour(),
                  end.Minute());
}

std::string RejectedNote(const TPassData& pass)
{
    std::string lines;
    for (std::size_t l = 0; l < pass.Lines.size(); ++l)
        if (pass.Lines[l].Quality != 0)
            lines += (lines.empty() ? "" : ", ") + std::to_string(l + 1);
    return lines.empty() ? "" : "; quality word set on lines " + lines;
}

// The lines (counted from 1) whose quality indicator has a bit set, by meaning.
std::string FlaggedNote(const TPassData& pass)
{
    std::string note;
    const auto add = [&](std::uint32_t bit, const char* meaning) {
        for (std::size_t l = 0; l < pass.Lines.size(); ++l)
            if ((pass.Lines[l].QualityIndicator & bit) != 0)
                note += Format("%s%s line %zu", note.empty() ? "" : ", ", meaning, l + 1);
    };
    add(1u << 31, "do-not-use");
    add(1u << 28, "calibration");
    add(1u << 30, "time-error");
    return note.empty() ? "" : "; flagged: " + note;
}

TSampleFile Entry(std::string path, std::string family, const TPassData& pass, std::string note,
                  TFileBytes bytes)
{
    TSampleFile file;
    file.Path = std::move(path);
    file.Family = std::move(family);
    file.Sensor = InstrumentName(pass.Instrument);
    file.Satellite = pass.Info.Satellite.Name;
    file.Lines = static_cast<int>(pass.Lines.size());
    file.Footprints = pass.Footprints();
    file.Note = std::move(note) + (file.Family == "Level 1d" ? "" : FlaggedNote(pass));
    file.Bytes = std::move(bytes);
    return file;
}

TSampleFile Compressed(const TSampleFile& plain)
{
    TSampleFile file = plain;
    file.Path += ".bz2";
    file.Note = "bzip2 copy of " + plain.Path;
    file.Bytes = Bzip2Compress(plain.Bytes);
    return file;
}

} // namespace

TSamplePasses MakeSamplePasses()
{
    const TSceneModel scene(SampleDayOfYear);
    const TPassInfo noaa15 = PassInfo(Noaa15(), 50.0, 10.0, Noaa15PassSeconds, Noaa15Revolution);
    const TPassInfo metop = PassInfo(MetopA(), 50.0, 5.0, MetopPassSeconds, MetopRevolution);

    TSamplePasses p;
    // Europe: from about 76 N to 26 N, eight minutes before to seven after the pass time.
    p.HirsEurope = PassAround(scene, noaa15, TInstrument::Hirs, 480, 900);
    Reject(p.HirsEurope, EuropeRejectedLines);
    FlagLines(p.HirsEurope);
    p.AmsuAEurope = PassAround(scene, noaa15, TInstrument::AmsuA, 480, 900);
    FlagLines(p.AmsuAEurope);
    p.AmsuBEurope = PassAround(scene, noaa15, TInstrument::AmsuB, 480, 900);
    FlagLines(p.AmsuBEurope);
    p.AmsuAOnHirs = ResamplePass(scene, p.HirsEurope, TInstrument::AmsuA);
    p.AmsuBOnHirs = ResamplePass(scene, p.HirsEurope, TInstrument::AmsuB);
    p.MhsEurope = PassAround(scene, metop, TInstrument::Mhs, 480, 900);
    FlagLines(p.MhsEurope);

    // From near the northernmost point of the orbit down to about 10 N.
    p.HirsGroupPass = PassAround(scene, noaa15, TInstrument::Hirs, 580, 1270);
    FlagLines(p.HirsGroupPass);
    TPassInfo next = noaa15;
    next.PassSeconds += noaa15.Orbit.PeriodS();
    p.HirsNextPass = PassAround(scene, next, TInstrument::Hirs, 300, 700);
    FlagLines(p.HirsNextPass);

    const double node = noaa15.Orbit.NodeTime();
    const double period = noaa15.Orbit.PeriodS();
    p.HirsOrbit =
        MakePass(scene, noaa15, TInstrument::Hirs, node, LinesFor(TInstrument::Hirs, period));
    Reject(p.HirsOrbit, OrbitRejectedLines);
    FlagLines(p.HirsOrbit);
    p.AmsuBOrbit =
        MakePass(scene, noaa15, TInstrument::AmsuB, node, LinesFor(TInstrument::AmsuB, period));
    FlagLines(p.AmsuBOrbit);
    return p;
}

std::vector<TSampleFile> BuildSampleSet(const TSamplePasses& p)
{
    const std::string station = "GC";
    const std::string aappStation = "gc";
    std::vector<TSampleFile> files;
    const std::string europe = "Europe pass, descending, ";

    for (const TPassData* pass : {&p.HirsEurope, &p.AmsuAEurope, &p.AmsuBEurope})
        files.push_back(Entry(Level1bFileName(*pass, station), "Level 1b", *pass,
                              europe + TimeSpan(*pass) + RejectedNote(*pass),
                              Level1b(*pass, station)));
    for (const TPassData* pass : {&p.HirsEurope, &p.AmsuAEurope, &p.AmsuBEurope})
        files.push_back(
            Entry(AappFileName(AappProduct(pass->Instrument), *pass, aappStation, ".l1c"),
                  "Level 1c", *pass, europe + TimeSpan(*pass), Level1c(*pass)));
    files.push_back(Entry(AappFileName(AappProduct(TInstrument::Mhs), p.MhsEurope, "sv", ".l1c"),
                          "Level 1c", p.MhsEurope,
                          "western Europe pass, descending, " + TimeSpan(p.MhsEurope),
                          Level1c(p.MhsEurope)));
    TSampleFile level1d = Entry(
        AappFileName(Level1dProduct, p.HirsEurope, aappStation, ".l1d"), "Level 1d", p.HirsEurope,
        europe + TimeSpan(p.HirsEurope) + "; AMSU-A and AMSU-B on the HIRS footprints",
        Level1d(p.HirsEurope, p.AmsuAOnHirs, p.AmsuBOnHirs));
    level1d.Sensor = "HIRS+AMSU";
    files.push_back(std::move(level1d));

    for (const TStationPart& part : GroupParts) {
        const TPassData slice = SlicePass(p.HirsGroupPass, part.First, part.Count);
        files.push_back(Entry(
            "group/" + AappFileName(AappProduct(TInstrument::Hirs), slice, part.Station, ".l1c"),
            "Level 1c", slice,
            Format("station group: lines %d-%d of the pass as received at %s, ", part.First + 1,
                   part.First + part.Count, part.Name) +
                TimeSpan(slice),
            Level1c(slice)));
    }
    files.push_back(Entry(
        "group/" + AappFileName(AappProduct(TInstrument::Hirs), p.HirsNextPass, "lan", ".l1c"),
        "Level 1c", p.HirsNextPass,
        "the next revolution's pass, not part of the station group, " + TimeSpan(p.HirsNextPass),
        Level1c(p.HirsNextPass)));

    for (const TPassData* pass : {&p.AmsuBOrbit, &p.HirsOrbit})
        files.push_back(Entry(Level1bFileName(*pass, station), "Level 1b", *pass,
                              "one whole revolution from the ascending node, " + TimeSpan(*pass) +
                                  RejectedNote(*pass),
                              Level1b(*pass, station)));

    // Files as real stations write them: AAPP Level 1c as AAPP itself writes it on a
    // little-endian computer, an MHS Level 1b data set of the NOAA archive, and a Level 1b file
    // renamed so that only the data set name stored inside it tells its sensor.
    const std::string native = "AAPP native layout, little-endian; ";
    files.push_back(
        Entry("native/" + AappFileName(AappProduct(TInstrument::Mhs), p.MhsEurope, "sv", ".l1c"),
              "Level 1c", p.MhsEurope, native + "western Europe pass, " + TimeSpan(p.MhsEurope),
              Level1c(p.MhsEurope, true)));
    files.push_back(Entry("native/" + AappFileName(AappProduct(TInstrument::AmsuA), p.AmsuAEurope,
                                                   aappStation, ".l1c"),
                          "Level 1c", p.AmsuAEurope, native + europe + TimeSpan(p.AmsuAEurope),
                          Level1c(p.AmsuAEurope, true)));
    files.push_back(Entry(Level1bFileName(p.MhsEurope, station), "Level 1b", p.MhsEurope,
                          "MHS Level 1b, western Europe pass, descending, " + TimeSpan(p.MhsEurope),
                          Level1b(p.MhsEurope, station)));
    files.push_back(Entry("renamed/noaa15_hirs_next_pass.l1b", "Level 1b", p.HirsNextPass,
                          "renamed " + Level1bFileName(p.HirsNextPass, station) +
                              ": the sensor comes from the stored data set name, " +
                              TimeSpan(p.HirsNextPass),
                          Level1b(p.HirsNextPass, station)));

    // Compressed copies of one file of each family: Level 1b HIRS, Level 1c AMSU-A, Level 1d.
    const std::size_t compressed[] = {0, 4, 7};
    for (std::size_t index : compressed)
        files.push_back(Compressed(files[index]));

    // The MHS Level 1b file as the NOAA archive delivers it: the receiving station is the last
    // part of the name, with no ".L1B" after it; plain and compressed.
    const std::string mhs = Level1bFileName(p.MhsEurope, station);
    for (const TSampleFile& f : std::vector<TSampleFile>(files))
        if (f.Path == mhs) {
            TSampleFile archive = f;
            archive.Path = "archive/" + mhs.substr(0, mhs.rfind('.'));
            archive.Note = "as the NOAA archive names it, the station last: copy of " + mhs;
            files.push_back(archive);
            files.push_back(Compressed(archive));
        }
    return files;
}

namespace {

// The table of a manifest: one line per file, under a header line.
std::string ManifestTable(const std::vector<TSampleFile>& files)
{
    std::string text = Format("%-50s  %-8s  %-9s  %-9s  %5s  %10s  %s\n", "file", "family",
                              "sensor", "satellite", "lines", "footprints", "notes");
    for (const TSampleFile& f : files)
        text +=
            Format("%-50s  %-8s  %-9s  %-9s  %5d  %10d  %s\n", f.Path.c_str(), f.Family.c_str(),
                   f.Sensor.c_str(), f.Satellite.c_str(), f.Lines, f.Footprints, f.Note.c_str());
    return text;
}

} // namespace

std::string ManifestText(const std::vector<TSampleFile>& files)
{
    std::string text =
        "Veltra sample passes\n"
        "\n"
        "Synthetic data made by tools/make-samples, not observations: an analytic scene of\n"
        "15 January 2008 (warm tropics, cold poles, a wave train with a polar-front cloud band,\n"
        "crude continents, morning sunlight) seen by NOAA-15 and Metop-A along computed orbits.\n"
        "Level 1b counts are the exact inverse of the calibration the viewer applies.\n"
        "\n"
        "Every scan line holds its UTC time (Level 1d: the header's start and end only). Level 1b\n"
        "lines hold each footprint's solar zenith, satellite zenith and relative azimuth; AAPP\n"
        "Level 1c HIRS lines and the native files satellite and solar zenith and azimuth. In each\n"
        "Level 1b and 1c pass one line is flagged do not use (quality indicator bit 31), one\n"
        "calibration (bit 28: HIRS the Moon in the space view, AMSU-A channel 3 or AMSU-B/MHS\n"
        "channel 17 with all space views bad) and one time sequence error (bit 30, its stored\n"
        "time a minute early); MHS lines say scan mode 3.\n"
        "\n"
        "AAPP names: product_satellite_date_passtime_revolution_station; the files in group/\n"
        "are one pass received by three stations (fields 1, 4 and 5 agree) and one file of the\n"
        "next revolution that the group leaves out.\n"
        "\n"
        "NOAA archive names: NSS.type.satellite.Dyyddd.Shhmm.Ehhmm.Borbit.station; the files in\n"
        "archive/ end in the station, as the archive delivers them, with no .L1B.\n"
        "\n"
        "A day of 14 Metop-A revolutions (MHS Level 1c and HIRS Level 1b, about 210 MB) is a set\n"
        "of its own in day/, with its own MANIFEST.txt: make-samples --day FOLDER, or the build's\n"
        "samples-day target.\n"
        "\n";
    return text + ManifestTable(files);
}

std::vector<std::string> WriteSampleSet(const std::string& folder)
{
    const std::vector<TSampleFile> files = BuildSampleSet(MakeSamplePasses());
    std::vector<std::string> written;
    for (const TSampleFile& file : files) {
        const std::filesystem::path path = std::filesystem::path(folder) / file.Path;
        std::filesystem::create_directories(path.parent_path());
        WriteFileAtomically(path.string(), file.Bytes);
        written.push_back(file.Path);
    }
    const std::string manifest = ManifestText(files);
    WriteFileAtomically(
        (std::filesystem::path(folder) / "MANIFEST.txt").string(),
        std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
    written.push_back("MANIFEST.txt");
    return written;
}

namespace {

// The day's revolutions begin at Metop-A's first ascending node after 00:00 UTC.
TPassInfo DayPassInfo(int orbit)
{
    TPassInfo info = PassInfo(MetopA(), 50.0, 5.0, MetopPassSeconds, MetopRevolution);
    const double period = info.Orbit.PeriodS();
    const double firstNode =
        info.Orbit.NodeTime() - std::floor(info.Orbit.NodeTime() / period) * period;
    // Named a minute after its node, safely inside its own revolution.
    info.PassSeconds = firstNode + orbit * period + 60.0;
    return info;
}

std::string DayManifest(const std::vector<TSampleFile>& files)
{
    std::string text =
        "Veltra sample day\n"
        "\n"
        "Synthetic data made by tools/make-samples --day, not observations: the scene of the\n"
        "sample set seen by Metop-A over 14 consecutive whole revolutions of 15 January 2008,\n"
        "each from its ascending node to the next. Every revolution is an AAPP Level 1c MHS file\n"
        "in AAPP's native little-endian layout and a Level 1b HIRS file. Each pass has one line\n"
        "flagged do not use, one calibration and one time sequence error, as in the sample set.\n"
        "\n";
    return text + ManifestTable(files);
}

} // namespace

TPassData DayPass(int orbit, TInstrument instrument)
{
    static const TSceneModel scene(SampleDayOfYear);
    const TPassInfo info = DayPassInfo(orbit);
    const double period = info.Orbit.PeriodS();
    TPassData pass =
        MakePass(scene, info, instrument, info.PassSeconds - 60.0, LinesFor(instrument, period));
    FlagLines(pass);
    return pass;
}

std::vector<TSampleFile> DayFiles(int orbit)
{
    const std::string note = Format("revolution %d of the day, ", orbit + 1);
    const TPassData mhs = DayPass(orbit, TInstrument::Mhs);
    const TPassData hirs = DayPass(orbit, TInstrument::Hirs);
    std::vector<TSampleFile> files;
    files.push_back(Entry(AappFileName(AappProduct(TInstrument::Mhs), mhs, "sv", ".l1c"),
                          "Level 1c", mhs, note + "AAPP native layout, " + TimeSpan(mhs),
                          Level1c(mhs, true)));
    files.push_back(Entry(Level1bFileName(hirs, "SV"), "Level 1b", hirs, note + TimeSpan(hirs),
                          Level1b(hirs, "SV")));
    return files;
}

std::vector<std::string> WriteDaySet(const std::string& folder, int threads)
{
    std::filesystem::create_directories(folder);
    std::vector<std::vector<TSampleFile>> orbits(DayOrbits);
    std::vector<std::string> failures(DayOrbits);
    // Each revolution is made and written on its own, its bytes then let go: only the
    // manifest's lines are kept.
    auto work = [&](int first) {
        for (int orbit = first; orbit < DayOrbits; orbit += threads) {
            try {
                std::vector<TSampleFile> files = DayFiles(orbit);
                for (TSampleFile& file : files) {
                    WriteFileAtomically((std::filesystem::path(folder) / file.Path).string(),
                                        file.Bytes);
                    file.Bytes = {};
                }
                orbits[static_cast<std::size_t>(orbit)] = std::move(files);
            } catch (const std::exception& e) {
                failures[static_cast<std::size_t>(orbit)] = e.what();
            }
        }
    };
    threads = std::clamp(threads, 1, DayOrbits);
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t)
        pool.emplace_back(work, t);
    work(0);
    for (std::thread& thread : pool)
        thread.join();
    for (const std::string& failure : failures)
        if (!failure.empty())
            throw EVeltraError(failure);
    std::vector<TSampleFile> files;
    std::vector<std::string> written;
    for (auto& orbit : orbits)
        for (TSampleFile& file : orbit) {
            written.push_back(file.Path);
            files.push_back(std::move(file));
        }
    const std::string manifest = DayManifest(files);
    WriteFileAtomically(
        (std::filesystem::path(folder) / "MANIFEST.txt").string(),
        std::span(reinterpret_cast<const std::uint8_t*>(manifest.data()), manifest.size()));
    written.push_back("MANIFEST.txt");
    return written;
}

} // namespace veltra::samples
