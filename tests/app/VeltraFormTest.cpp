#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

#include "app/FakeView.h"
#include "app/VeltraForm.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

using namespace veltra;
namespace fs = std::filesystem;

namespace {

class VeltraForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ =
            fs::temp_directory_path() /
            ("veltra-form-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "bin");
    }
    void TearDown() override
    {
        form_.reset();
        fs::remove_all(folder_);
    }

    TFormVeltra& Create(std::vector<std::string> arguments = {})
    {
        form_ = std::make_unique<TFormVeltra>(view_, std::move(arguments),
                                              (folder_ / "bin" / "veltra").string());
        form_->RunOnce({});
        return *form_;
    }

    std::string Touch(const std::string& name, const std::string& content = "")
    {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }

    int Renders() const { return form_ ? static_cast<int>(form_->RenderPasses) : 0; }

    fs::path folder_;
    test::TFakeView view_;
    std::unique_ptr<TFormVeltra> form_;
};

} // namespace

TEST_F(VeltraForm, FirstStartUsesTheDefaults)
{
    TFormVeltra& form = Create();
    EXPECT_EQ(form.Mapping->Projection, 7);
    EXPECT_FLOAT_EQ(form.Mapping->CentreLongitude, 10);
    EXPECT_FLOAT_EQ(form.Mapping->CentreLatitude, 55);
    EXPECT_FLOAT_EQ(form.Mapping->LongitudeSpan, 150);
    EXPECT_FLOAT_EQ(form.Mapping->LatitudeSpan, 75);
    EXPECT_TRUE(view_.Checked[TMenuItem::ProjectionOrthographic]);
    EXPECT_TRUE(view_.Checked[TMenuItem::RegionEurope]);
    EXPECT_TRUE(view_.Checked[TMenuItem::BackgroundBlack]);
    EXPECT_DOUBLE_EQ(form.MinTemp, 200.0);
    EXPECT_DOUBLE_EQ(form.MaxTemp, 320.0);
    EXPECT_EQ(view_.ScaleBarHeight, 17);
    EXPECT_TRUE(view_.Visible[TCheckBoxId::OpenGroup]);
    EXPECT_TRUE(view_.DropRegistered);
    EXPECT_EQ(form.MapBitmap().Width(), 800);
    EXPECT_EQ(Renders(), 0); // no render before a file is opened or an option changes

    form.MenuFileOpenClick();
    EXPECT_EQ(view_.LastOpen.InitialFolder, (folder_ / "bin").string() + "/");
    EXPECT_EQ(view_.LastOpen.FilterIndex, 2);
    // The stored filter index counts these three first; two more follow them.
    EXPECT_EQ(view_.LastOpen.Filter, "Compressed files (*.bz2)|*.bz2|Eumetsat files (*.l1c, "
                                     "*.l1d)|*.l1c;*.l1d|SAA files (*.l1b)|*.l1b|"
                                     "All supported files (*.l1b, *.l1c, *.l1d, *.bz2, NSS.*)|"
                                     "*.l1b;*.l1c;*.l1d;*.bz2;NSS.*|All files (*)|*");
}

// Files opened are listed newest first, eight at most, each once; a missing one is listed
// disabled, and choosing an entry opens it.
TEST_F(VeltraForm, RecentFilesNewestFirst)
{
    TFormVeltra& form = Create();
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i)
        names.push_back(Touch("hirsl1c_" + std::to_string(i) + ".l1c"));
    for (const std::string& name : names)
        form.OpenFile(name);
    form.OpenFile(names[4]);
    form.OpenFile((folder_ / "missing.l1c").string()); // not a file: not listed
    fs::remove(names[9]);
    form.MenuFileOpenRecentPopup();
    const std::vector<std::string> expected = {names[4], names[9], names[8], names[7],
                                               names[6], names[5], names[3], names[2]};
    EXPECT_EQ(view_.RecentNames, expected);
    EXPECT_EQ(view_.RecentPresent,
              (std::vector<bool>{true, false, true, true, true, true, true, true}));
    form.MenuFileOpenRecentClick(2);
    EXPECT_EQ(form.FileName, names[8]);
    EXPECT_TRUE(view_.Running[TTimerId::Load]);
    form.MenuFileOpenRecentClick(8); // beyond the list: nothing
    EXPECT_EQ(form.FileName, names[8]);
}

TEST_F(VeltraForm, ScaleBarHeightFollowsTheFont)
{
    view_.TextPixels = 16;
    Create();
    EXPECT_EQ(view_.ScaleBarHeight, 20);
}

TEST_F(VeltraForm, BackgroundChoiceRendersOnlyOnChange)
{
    TFormVeltra& form = Create();
    form.MenuOptionsBackgroundClick(TMenuItem::BackgroundWhite);
    EXPECT_EQ(Renders(), 1);
    EXPECT_EQ(form.StoredChoices().Background, 0xFFFFFFu);
    EXPECT_EQ(form.MapBitmap().Pixel(5, 5), 0xFFFFFFu);
    form.MenuOptionsBackgroundClick(TMenuItem::BackgroundWhite);
    EXPECT_EQ(Renders(), 1);
    form.MenuOptionsBackgroundClick(TMenuItem::BackgroundBlack);
    EXPECT_EQ(Renders(), 2);
    EXPECT_TRUE(view_.Checked[TMenuItem::BackgroundBlack]);
}

// Off by default; each click flips the setting and its check mark and renders again.
TEST_F(VeltraForm, HirsCountOffsetIsACheckMark)
{
    TFormVeltra& form = Create();
    EXPECT_FALSE(view_.Checked.at(TMenuItem::OptionsHirsCountOffset));
    EXPECT_FALSE(form.UseHirsCountOffset());
    for (const bool on : {true, false}) {
        form.MenuOptionsHirsCountOffsetClick();
        EXPECT_EQ(view_.Checked.at(TMenuItem::OptionsHirsCountOffset), on);
        EXPECT_EQ(form.StoredChoices().HirsCountOffset, on);
        EXPECT_EQ(form.UseHirsCountOffset(), on);
    }
    EXPECT_EQ(Renders(), 2);
}

TEST_F(VeltraForm, ProjectionKeepsTheNewKindsDefaultsUntilAnotherRegion)
{
    TFormVeltra& form = Create();
    form.MenuOptionsMapProjectionClick(TMenuItem::ProjectionMercator);
    EXPECT_EQ(form.Mapping->Projection, 5);
    EXPECT_FLOAT_EQ(form.Mapping->CentreLongitude, 0);
    form.MenuOptionsMapProjectionClick(TMenuItem::ProjectionOrthographic);
    EXPECT_EQ(form.Mapping->Projection, 7);
    EXPECT_FLOAT_EQ(form.Mapping->CentreLongitude, 0);
    const int renders = Renders();
    form.MenuOptionsRegionClick(TMenuItem::RegionEurope); // already the stored region
    EXPECT_EQ(Renders(), renders);
    EXPECT_FLOAT_EQ(form.Mapping->CentreLongitude, 0);
    form.MenuOptionsRegionClick(TMenuItem::RegionAtlantic);
    EXPECT_FLOAT_EQ(form.Mapping->CentreLongitude, -10);
    EXPECT_FLOAT_EQ(form.Mapping->LatitudeSpan, 45);
    EXPECT_EQ(Renders(), renders + 1);
    EXPECT_TRUE(view_.Checked[TMenuItem::RegionAtlantic]);
}

TEST_F(VeltraForm, ResizeBurstRendersOnceAndOnlyAfterAPicture)
{
    TFormVeltra& form = Create();
    view_.ImageWidth = 640;
    form.TabControlChannelResize();
    form.TabControlChannelResize();
    EXPECT_EQ(view_.Starts[TTimerId::Resize], 2);
    form.TimerResizeTimer();
    EXPECT_EQ(form.MapBitmap().Width(), 640);
    EXPECT_EQ(form.Mapping->GetWidth(), 640);
    EXPECT_EQ(Renders(), 0);
    form.MenuOptionsBackgroundClick(TMenuItem::BackgroundWhite);
    view_.ImageWidth = 700;
    for (int i = 0; i < 5; ++i)
        form.TabControlChannelResize();
    form.TimerResizeTimer();
    EXPECT_EQ(Renders(), 2);
    form.TimerResizeTimer(); // same size: nothing
    EXPECT_EQ(Renders(), 2);
}

TEST_F(VeltraForm, SensorDetectionFromLevel1bNames)
{
    TFormVeltra& form = Create();
    form.OpenFile(Touch("NSS.HIRX.NK.D10196.S1234.E1345.B1234567.GC.L1B"));
    form.TimerLoadTimer();
    EXPECT_EQ(view_.SensorTabs, std::vector<std::string>{"HIRS"});
    EXPECT_EQ(view_.ChannelTabs.size(), 20u);
    EXPECT_EQ(view_.ChannelTabIndex, 7);
    EXPECT_EQ(form.SensorName(), "HIRS");
    EXPECT_DOUBLE_EQ(form.MaxTemp, 330.0);

    form.OpenFile(Touch("NSS.AMAX.HIRX.NK.L1B"));
    form.TimerLoadTimer();
    EXPECT_EQ(view_.SensorTabs, std::vector<std::string>{"HIRS"});

    form.OpenFile(Touch("x.L1B"));
    form.TimerLoadTimer();
    EXPECT_EQ(view_.SensorTabs, std::vector<std::string>{"Unsupported L1B variant"});
    EXPECT_EQ(form.SampleCount(), 0);

    // MHS gives AMSU-B unless another marker says otherwise. A name without a marker leaves
    // it to the data set name stored in the archive header (byte 30) or, when that has none,
    // in the data-set header (byte 512 + 22).
    const std::string blanks(600, ' ');
    const auto stored = [&](std::size_t at, const std::string& name) {
        return blanks.substr(0, at) + name + blanks.substr(at + name.size());
    };
    const struct {
        const char* Name;
        std::string Content;
        const char* Tab;
    } cases[] = {
        {"NSS.MHSX.NN.D08015.S0847.E0902.B1234567.GC.L1B", "", "AMSU-B"},
        {"NSS.MHSX.AMAX.L1B", "", "AMSU-A"},
        {"NSS.HIRX.NK.L1B", stored(30, "NSS.AMAX.NK"), "HIRS"},
        {"renamed.l1b", stored(30, "NSS.AMAX.NK.D08015"), "AMSU-A"},
        {"renamed.l1b", stored(534, "NSS.MHSX.M2.D08015"), "AMSU-B"},
        {"renamed.l1b", stored(30, "NSS.XXXX").substr(0, 100), "Unsupported L1B variant"},
    };
    for (const auto& c : cases) {
        form.OpenFile(Touch(c.Name, c.Content));
        form.TimerLoadTimer();
        EXPECT_EQ(view_.SensorTabs, std::vector<std::string>{c.Tab}) << c.Name;
    }
}

TEST_F(VeltraForm, SensorDetectionFromLevel1cAndLevel1d)
{
    TFormVeltra& form = Create();
    form.OpenFile(Touch("MHSL1C_x.l1c"));
    form.TimerLoadTimer();
    EXPECT_EQ(view_.SensorTabs, std::vector<std::string>{"AMSU-B"});
    EXPECT_EQ(view_.ChannelTabs, (std::vector<std::string>{"16", "17", "18", "19", "20"}));
    // AMSU-B starts at its last tab; from then on the remembered position is valid.
    EXPECT_EQ(view_.ChannelTabIndex, 4);
    EXPECT_EQ(form.AmsuBChannel, 5);

    form.OpenFile(Touch("hirsl1c_x.l1c"));
    form.TimerLoadTimer();
    EXPECT_EQ(view_.SensorTabs, std::vector<std::string>{"HIRS"});

    form.OpenFile(Touch("pass.l1d"));
    form.TimerLoadTimer();
    EXPECT_EQ(view_.SensorTabs, (std::vector<std::string>{"HIRS", "AMSU-A", "AMSU-B"}));
    form.SelectSensorTab(1);
    form.TabControlSensorChange();
    EXPECT_EQ(view_.SensorTabIndex, 1);
    EXPECT_EQ(form.SensorName(), "AMSU-A");
    EXPECT_EQ(view_.ChannelTabs.size(), 15u);
    EXPECT_EQ(view_.ChannelTabIndex, 14);
}

TEST_F(VeltraForm, RangesPerSensorAndChannel)
{
    TFormVeltra& form = Create();
    form.OpenFile(Touch("NSS.HIRX.NK.D10196.S1234.E1345.B1234567.GC.L1B"));
    form.TimerLoadTimer();
    const struct {
        int Index;
        double Max;
    } hirs[] = {{7, 330}, {16, 350}, {19, 320}, {0, 280}, {2, 240}};
    for (const auto& c : hirs) {
        form.SelectChannelTab(c.Index);
        form.TabControlChannelChange();
        EXPECT_DOUBLE_EQ(form.MinTemp, 150.0);
        EXPECT_DOUBLE_EQ(form.MaxTemp, c.Max) << c.Index;
    }
    view_.Boxes[TCheckBoxId::FixMaxTemp] = true;
    form.TabControlChannelChange();
    EXPECT_DOUBLE_EQ(form.MaxTemp, 350.0);
    view_.Boxes[TCheckBoxId::FixMaxTemp] = false;

    // A range of the user's is the selected channel's alone, also against "Fixed"; anything
    // but two numbers with the minimum below the maximum is refused with a message; the
    // dialog's Default gives the channel's limits back. Auto range is a check mark per channel.
    auto select = [&](int index) {
        form.SelectChannelTab(index);
        form.TabControlChannelChange();
    };
    auto expectRange = [&](double min, double max) {
        EXPECT_DOUBLE_EQ(form.MinTemp, min);
        EXPECT_DOUBLE_EQ(form.MaxTemp, max);
    };
    select(7);
    view_.RangeAnswer = TColourRangeRequest{"", " 200", "300.5 ", false};
    form.MenuOptionsColourRangeClick();
    EXPECT_EQ(view_.LastRange.Channel, "HIRS channel 8");
    EXPECT_EQ(view_.LastRange.Minimum + " " + view_.LastRange.Maximum, "150 330");
    expectRange(200, 300.5);
    select(2);
    expectRange(150, 240);
    view_.Boxes[TCheckBoxId::FixMaxTemp] = true;
    select(7);
    expectRange(200, 300.5);
    view_.Boxes[TCheckBoxId::FixMaxTemp] = false;
    for (const auto& [min, max] : std::vector<std::pair<std::string, std::string>>{{"300", "200"},
                                                                                   {"250", "250"},
                                                                                   {"a", "300"},
                                                                                   {"", ""},
                                                                                   {"200,1", "300"},
                                                                                   {"nan", "1"}}) {
        const std::size_t errors = view_.Errors.size();
        view_.RangeAnswer = TColourRangeRequest{"", min, max, false};
        form.MenuOptionsColourRangeClick();
        ASSERT_EQ(view_.Errors.size(), errors + 1) << min << " " << max;
        EXPECT_NE(view_.Errors.back().find("minimum below the maximum"), std::string::npos);
        expectRange(200, 300.5);
    }
    view_.RangeAnswer = TColourRangeRequest{"", "", "", true};
    form.MenuOptionsColourRangeClick();
    expectRange(150, 330);
    form.MenuOptionsAutoRangeClick();
    EXPECT_TRUE(view_.Checked.at(TMenuItem::OptionsAutoRange));
    EXPECT_EQ(form.ChannelRange().Choice, TColourRange::TChoice::Auto);
    select(2);
    EXPECT_FALSE(view_.Checked.at(TMenuItem::OptionsAutoRange));
    select(7);
    EXPECT_TRUE(view_.Checked.at(TMenuItem::OptionsAutoRange));
    form.MenuOptionsAutoRangeClick();
    EXPECT_FALSE(view_.Checked.at(TMenuItem::OptionsAutoRange));

    form.OpenFile(Touch("NSS.AMAX.NK.D10196.S1234.E1345.B1234567.GC.L1B"));
    form.TimerLoadTimer();
    form.SelectChannelTab(2);
    form.TabControlChannelChange();
    EXPECT_DOUBLE_EQ(form.MaxTemp, 320.0);
    EXPECT_EQ(form.AmsuAChannel, 3);
}

TEST_F(VeltraForm, CompressedNamesAndPictureNames)
{
    TFormVeltra& form = Create();
    form.OpenFile(Touch("a.L1C"));
    EXPECT_EQ(form.PictureFileName, (folder_ / "a.L1C.jpg").string());
    EXPECT_EQ(form.FileExt(), ".L1C");
    // Not bzip2 data: nothing is decompressed, yet the names follow the inner extension.
    form.OpenFile(Touch("x.L1B.BZ2", "not bzip2"));
    EXPECT_EQ(form.FileExt(), ".L1B");
    EXPECT_EQ(form.PictureFileName, (folder_ / "x.L1B.jpg").string());
    EXPECT_EQ(form.Streams.Count(), 1);
    form.OpenFile((folder_ / "missing.L1B").string());
    EXPECT_EQ(form.Streams.Count(), 0);
    EXPECT_EQ(form.PictureFileName, "");
    form.MenuFileSaveAsClick();
    EXPECT_EQ(view_.SaveDialogs, 0);
}

TEST_F(VeltraForm, StationGroups)
{
    TFormVeltra& form = Create();
    view_.Boxes[TCheckBoxId::OpenGroup] = true;
    std::vector<std::string> lines;
    form.SetDiagnosticLines(&lines);
    const std::string first = Touch("a_b_c_d_e_f.l1c");
    Touch("a_x_y_d_e_g.l1c");
    Touch("a_b_c_d_z_f.l1c");
    form.OpenFile(first);
    EXPECT_EQ(form.StationGroupPattern(), (folder_ / "a_*_d_e_*.L1C").string());
    EXPECT_EQ(form.Streams.Count(), 2);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Files:");

    const std::string lone = Touch("few_fields.l1c");
    form.OpenFile(lone);
    EXPECT_EQ(form.Streams.Count(), 1);
    EXPECT_EQ(lines, (std::vector<std::string>{"Files:", lone}));

    // A compressed group: the pattern carries the inner extension as written, then ".BZ2".
    const std::string compressed = Touch("a_b_c_d_e_f.l1c.bz2", "x");
    Touch("a_q_r_d_e_s.L1C.BZ2", "x");
    Touch("a_q_r_d_e_s.l1b.bz2", "x");
    form.OpenFile(compressed);
    EXPECT_EQ(form.Streams.Count(), 2);
    EXPECT_EQ(form.FileExt(), ".L1C");
}

// A named pipe is a name that exists but holds no data set; opening it for reading would wait
// for a writer. If the open does block, the test plays the writer so that it ends.
TEST_F(VeltraForm, NamedPipeIsSkippedWithoutWaiting)
{
    TFormVeltra& form = Create();
    const fs::path pipe = folder_ / "a_p_q_d_e_f.l1c";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    auto opening = std::async(std::launch::async, [&] { form.OpenFile(pipe.string()); });
    const bool returned = opening.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    if (!returned) {
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        opening.wait();
        if (writer >= 0)
            ::close(writer);
    }
    EXPECT_TRUE(returned);
    ASSERT_EQ(form.Streams.Count(), 1); // listed, not opened
    EXPECT_EQ(form.Streams.Items(0), nullptr);
    EXPECT_EQ(form.PictureFileName, "");

    // In a station group the pipe is listed with the others but not opened.
    view_.Boxes[TCheckBoxId::OpenGroup] = true;
    std::vector<std::string> lines;
    form.SetDiagnosticLines(&lines);
    const std::string first = Touch("a_b_c_d_e_f.l1c");
    form.OpenFile(first);
    EXPECT_EQ(lines.size(), 3u);
    ASSERT_EQ(form.Streams.Count(), 2);
    const int piped = form.Streams.FileName(0) == pipe.string() ? 0 : 1;
    EXPECT_EQ(form.Streams.Items(piped), nullptr);
    EXPECT_EQ(form.Streams.Note(piped), "cannot be opened: not a regular file");
    EXPECT_NE(form.Streams.Items(1 - piped), nullptr);
    EXPECT_EQ(form.PictureFileName, first + ".jpg");
}

// The files of a compressed station group share one limit on what they decompress into
// memory, so a folder full of decompression bombs cannot exhaust it.
TEST_F(VeltraForm, CompressedGroupSharesOneDecompressionLimit)
{
    TFormVeltra& form = Create();
    const std::string sample =
        std::string(VELTRA_SAMPLES_DIR) + "/amsual1c_noaa15_20080115_0805_50410_gc.l1c.bz2";
    const fs::path first = folder_ / "amsual1c_noaa15_20080115_0805_50410_gc.l1c.bz2";
    fs::copy_file(sample, first);
    form.OpenFile(first.string());
    ASSERT_EQ(form.Streams.Count(), 1);
    auto size = [&](int i) { return form.Streams.Items(i)->Seek(0, TSeekOrigin::End); };
    const std::int64_t whole = size(0);
    ASSERT_GT(whole, 2000);

    fs::copy_file(sample, folder_ / "amsual1c_noaa15_20080115_0805_50410_lan.l1c.bz2");
    view_.Boxes[TCheckBoxId::OpenGroup] = true;
    form.DecompressedLimit = whole + 1000;
    form.OpenFile(first.string());
    ASSERT_EQ(form.Streams.Count(), 2);
    const std::int64_t a = size(0), b = size(1);
    EXPECT_EQ(a + b, whole + 1000);
    EXPECT_EQ(std::max(a, b), whole);
    // The user is told which file was cut.
    const int cut = a < b ? 0 : 1;
    EXPECT_EQ(form.Streams.Note(cut), "decompressed data cut at the memory limit after 1000 bytes");
    EXPECT_EQ(form.Streams.Note(1 - cut), "");
}

// A drop of several files opens them as one composite, each file a stream of its own, with no
// channel difference; one file opens as ever.
TEST_F(VeltraForm, DropOfSeveralFilesOpensAComposite)
{
    TFormVeltra& form = Create();
    const std::string a = Touch("a.l1c"), b = Touch("b.l1c");
    form.DropFileTargetDrop({});
    EXPECT_EQ(view_.Starts[TTimerId::Load], 0);
    form.DropFileTargetDrop({a, b});
    EXPECT_EQ(form.FileName, a);
    EXPECT_TRUE(form.CompositeOpen);
    ASSERT_EQ(form.Streams.Count(), 2);
    EXPECT_EQ(form.Streams.FileName(1), b);
    EXPECT_EQ(view_.Starts[TTimerId::Load], 1);
    // A composite shows one channel: a difference is refused, as on the command line.
    form.MenuViewDifferenceClick();
    ASSERT_FALSE(view_.Errors.empty());
    EXPECT_EQ(view_.Errors.back(),
              "A composite of several files shows one channel, not a difference");
    EXPECT_EQ(form.DifferenceChannel(), 0);
    form.DropFileTargetDrop({a});
    EXPECT_EQ(form.FileName, a);
    EXPECT_FALSE(form.CompositeOpen);
    EXPECT_EQ(form.Streams.Count(), 1);
    EXPECT_EQ(view_.Starts[TTimerId::Load], 2);
}

TEST_F(VeltraForm, ReadOutPositionsAndUnits)
{
    TFormVeltra& form = Create();
    form.MenuOptionsBackgroundClick(TMenuItem::BackgroundWhite); // a picture exists
    form.MinTemp = 150;
    form.MaxTemp = 320;
    form.MapCanvas().FillRect(0, 300, 1, 301, 0x0000FF); // pure red reads as MaxTemp
    form.ImageDisplayMouseMove(0, 300);
    const std::string text = view_.Labels[TLabelId::CursorLocation];
    EXPECT_EQ(text.substr(0, 5), "Lat: ");
    EXPECT_NE(text.find("\xC2\xB0  Lon: "), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 4), "320K");
    view_.Labels[TLabelId::CursorLocation] = "stale";
    form.DrawChannel(); // x = 0 counts as no position: not read out again
    EXPECT_EQ(view_.Labels[TLabelId::CursorLocation], "stale");

    form.ImageDisplayMouseMove(400, 300);
    EXPECT_EQ(form.LastMouseX, 400);
    form.ImageDisplayMouseLeave();
    EXPECT_EQ(view_.Labels[TLabelId::CursorLocation], "");
    form.DrawChannel();
    EXPECT_EQ(view_.Labels[TLabelId::CursorLocation], "");
    EXPECT_EQ(form.LastMouseX, 0);
}

TEST_F(VeltraForm, UnattendedModeEndsWithAStatus)
{
    Create({(folder_ / "missing.L1B").string(), "save"});
    form_->TimerLoadTimer();
    EXPECT_TRUE(view_.Closed);
    EXPECT_EQ(view_.ExitCode, 3);
    EXPECT_EQ(view_.Errors.size(), 1u);
}

// Unattended runs end with the statuses of veltra-render and tell every stream not decoded
// completely as an error line; the picture is saved whenever it can be.
TEST_F(VeltraForm, UnattendedStatusesAndProblems)
{
    const std::string sample =
        std::string(VELTRA_SAMPLES_DIR) + "/NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B";
    const std::string file = (folder_ / fs::path(sample).filename()).string();
    const auto size = fs::file_size(sample);
    const struct {
        std::uintmax_t Kept;
        bool FailJpeg;
        int Status;
        std::vector<std::string> Errors;
    } cases[] = {
        {size, false, 0, {}},
        {size - 4608 * 3 - 100, false, 0, {file + ": truncated: 137 of 141 scan lines"}},
        {0, false, 5, {file + ": not a Level 1b HIRS file: header too short"}},
        {size, true, 4, {"Error writing JPEG to file"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Kept);
        fs::copy_file(sample, file, fs::copy_options::overwrite_existing);
        fs::resize_file(file, c.Kept);
        view_ = test::TFakeView{};
        view_.FailJpeg = c.FailJpeg;
        Create({file, "save"});
        form_->TimerLoadTimer();
        EXPECT_TRUE(view_.Closed);
        EXPECT_EQ(view_.ExitCode, c.Status);
        EXPECT_EQ(view_.Errors, c.Errors);
        EXPECT_EQ(view_.SavedJpegs.size(), c.FailJpeg ? 0u : 1u);
    }
}

// The status line under the map names each stream not decoded completely, and the
// diagnostics end with the same lines; the next render pass replaces them.
TEST_F(VeltraForm, StatusLineAndDiagnosticsNameBrokenStreams)
{
    TFormVeltra& form = Create();
    std::vector<std::string> lines;
    form.SetDiagnosticLines(&lines);
    const std::string broken = Touch("NSS.HIRX.NK.D10196.S1234.E1345.B1234567.GC.L1B");
    form.OpenFile(broken);
    form.TimerLoadTimer();
    const std::vector<std::string> expected = {
        "NSS.HIRX.NK.D10196.S1234.E1345.B1234567.GC.L1B: not a Level 1b HIRS file: header "
        "too short"};
    EXPECT_EQ(view_.Problems, expected);
    EXPECT_EQ(lines.back(), expected.back());
    EXPECT_TRUE(view_.Errors.empty()); // never a box
    form.OpenFile(std::string(VELTRA_SAMPLES_DIR) +
                  "/NSS.HIRX.NK.D08015.S0757.E0811.B5041010.GC.L1B");
    form.TimerLoadTimer();
    EXPECT_TRUE(view_.Problems.empty());
}

TEST_F(VeltraForm, UnattendedRunEndsEvenWhenTheRenderPassFails)
{
    const std::string file = Touch("NSS.HIRX.NK.D10196.S1234.E1345.B1234567.GC.L1B");
    Create({file, "save"});
    view_.FailRender = true;
    form_->TimerLoadTimer();
    EXPECT_TRUE(view_.SavedJpegs.empty());
    EXPECT_EQ(view_.Errors, std::vector<std::string>{"Render failed"});
    EXPECT_NE(view_.ExitCode, 0);
    EXPECT_TRUE(view_.Closed);

    // With the window in the user's hands the failure goes to the caller, which shows it.
    TFormVeltra attended(view_, {}, (folder_ / "bin" / "veltra").string());
    attended.FormCreate();
    attended.OpenFile(file);
    EXPECT_THROW(attended.TimerLoadTimer(), EVeltraError);
}

TEST_F(VeltraForm, BrightnessTemperatureFileNames)
{
    TFormVeltra& form = Create();
    form.OpenFile(Touch("a.l1b.bz2", "x"));
    form.TimerLoadTimer(); // unsupported variant: no sensor
    form.MenuFileSaveRawClick();
    EXPECT_TRUE(view_.Messages.empty());

    form.OpenFile(Touch("NSS.HIRX.NK.D1.S1.E1.B1.GC.l1b"));
    form.TimerLoadTimer();
    EXPECT_EQ(form.RawFileName(), (folder_ / "NSS.HIRX.NK.D1.S1.E1.B1.GC.hirs.c8.bt").string());
    form.MenuFileSaveRawClick();
    ASSERT_EQ(view_.Messages.size(), 1u);
    EXPECT_EQ(view_.Messages[0], "Raw data saved to: " + form.RawFileName());
    EXPECT_EQ(fs::file_size(form.RawFileName()), 0u); // no footprint: an empty file

    // A write that fails is reported, not passed over in silence, and not confirmed.
    fs::remove(form.RawFileName());
    fs::create_directories(fs::path(form.RawFileName()) / "occupied");
    form.MenuFileSaveRawClick();
    EXPECT_EQ(view_.Messages.size(), 1u);
    EXPECT_EQ(view_.Errors, std::vector<std::string>{"Error writing brightness temperatures to " +
                                                     form.RawFileName() + ": Is a directory"});

    form.OpenFile(Touch("NSS.AMBX.NK.D1.S1.E1.B1.GC.l1b.bz2", "x"));
    form.TimerLoadTimer();
    EXPECT_EQ(form.RawFileName(),
              (folder_ / "NSS.AMBX.NK.D1.S1.E1.B1.GC.l1b.amsu-b.c5.bt").string());
}

// How far from a footprint a point still counts as at it: the spacing of the scan lines along
// the track, or of the footprints along the scan where that is wider, as the scan leans away
// from nadir; distances on a sphere of 6371 km.
TEST(FootprintSpectrum, FootprintSizeFollowsTheScanGeometry)
{
    EXPECT_NEAR(GreatCircleKm(0, 0, 0, 1), 111.19, 0.01);
    EXPECT_NEAR(GreatCircleKm(89, 0, 89, 180), 222.39, 0.01);            // over the pole
    EXPECT_NEAR(FootprintSizeKm(TLineInstrument::Hirs, 27), 42.0, 0.1);  // 6.4 s between lines
    EXPECT_NEAR(FootprintSizeKm(TLineInstrument::AmsuA, 14), 52.5, 0.1); // 8 s
    EXPECT_NEAR(FootprintSizeKm(TLineInstrument::Mhs, 45), 17.5, 0.1);   // 8/3 s
    // At the edge of the swath the footprints along the scan lie over three times as far apart
    // as at nadir (16.5 km), on either side alike.
    EXPECT_NEAR(FootprintSizeKm(TLineInstrument::Mhs, 0), 55.8, 0.5);
    EXPECT_DOUBLE_EQ(FootprintSizeKm(TLineInstrument::Mhs, 0),
                     FootprintSizeKm(TLineInstrument::Mhs, 89));
}
