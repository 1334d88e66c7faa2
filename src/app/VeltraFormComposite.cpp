// Several files on one map: opening them, the composite's render pass and its rule, and the
// time window of scan lines that single files and composites share.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

#include "app/SensorDetection.h"
#include "app/VeltraForm.h"
#include "base/Executable.h"
#include "base/Format.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

namespace veltra {

namespace {

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The upper-case extension of a name, the inner one for a bzip2 file.
std::string InnerExtension(const std::string& name)
{
    auto extension = [](const std::string& n) {
        const std::string part = NameOf(n);
        const auto dot = part.find_last_of('.');
        return dot == std::string::npos ? std::string() : UpperCase(part.substr(dot));
    };
    std::string ext = extension(name);
    if (ext == ".BZ2")
        ext = extension(name.substr(0, name.size() - 4));
    return ext;
}

// The sensor tabs a file's name (or a Level 1b file's stored data set name) offers; empty when
// it tells none.
std::vector<std::string> OfferedSensors(const std::string& name, TStream* stream)
{
    const std::string upper = UpperCase(NameOf(name));
    const std::string ext = InnerExtension(name);
    if (StartsWith(ext, ".L1D"))
        return {"HIRS", "AMSU-A", "AMSU-B"};
    if (StartsWith(ext, ".L1C")) {
        if (StartsWith(upper, "MHS") || StartsWith(upper, "AMSUB"))
            return {"AMSU-B"};
        if (StartsWith(upper, "AMSUA"))
            return {"AMSU-A"};
        if (StartsWith(upper, "HIRS"))
            return {"HIRS"};
        return {};
    }
    return {Level1bSensorTab(upper, stream)};
}

} // namespace

TCompositeRule TFormVeltra::CompositeRuleInForce() const
{
    if (CompositeRuleChosen)
        return *CompositeRuleChosen;
    return CompositeRule ? CompositeRuleNamed(CompositeRule->Value).value_or(TCompositeRule::Latest)
                         : TCompositeRule::Latest;
}

void TFormVeltra::OpenFiles(const std::vector<std::string>& names)
{
    if (names.size() == 1 && !CompositeRuleChosen) {
        OpenFile(names.front());
        return;
    }
    OpenFile(names.front());
    // Every file on its own, whatever "Open group" says: a composite is of the files chosen.
    Streams.Clear();
    DiagnosticLines().clear();
    DiagnosticLines().push_back("Files:");
    for (const std::string& name : names)
        DiagnosticLines().push_back(name);
    std::int64_t held = PlainFilesHeldLimit, decompressed = DecompressedLimit;
    for (const std::string& name : names) {
        if (UpperCase(NameOf(name)).ends_with(".BZ2")) {
            const std::int64_t kept = Streams.AddCompressedFile(name, decompressed);
            decompressed =
                std::max<std::int64_t>(decompressed - std::max<std::int64_t>(kept, 0), 0);
        } else {
            held -= std::max<std::int64_t>(Streams.AddPlainFile(name, held), 0);
        }
    }
    FileExt_ = InnerExtension(names.front());
    CompositeOpen = true;
    PictureFileName = FileName + ".jpg";
}

std::string TFormVeltra::CompositeOddFile() const
{
    if (!CompositeOpen)
        return {};
    for (int i = 0; i < Streams.Count(); ++i) {
        TStream* stream = Streams.Items(i);
        if (stream == nullptr || LooksLikeGrid(*stream))
            continue;
        const std::vector<std::string> offered = OfferedSensors(Streams.FileName(i), stream);
        if (std::find(offered.begin(), offered.end(), SensorName_) == offered.end())
            return Streams.FileName(i);
    }
    return {};
}

bool TFormVeltra::KeepLine(const TScanLineInfo& line)
{
    if (!WindowFrom && !WindowTo)
        return true;
    return line.Time && (!WindowFrom || *line.Time >= *WindowFrom) &&
           (!WindowTo || *line.Time < *WindowTo);
}

int TFormVeltra::CompositeThreads() const
{
    return CompositeJobs > 0 ? CompositeJobs
                             : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

void TFormVeltra::DrawComposite()
{
    TCompositeSettings settings;
    settings.Rule = CompositeRuleInForce();
    settings.From = WindowFrom;
    settings.To = WindowTo;
    settings.Jobs = CompositeThreads();
    settings.GridStep = CompositeGridStep;
    settings.SensorName = SensorName_;
    SelectedChannelCaption(settings.ChannelCaption);
    settings.BaseCaption = BaseCaption_;
    settings.HirsCountOffset = HirsCountOffset->Value;
    settings.MaskFlaggedLines = MaskFlaggedLines();
    settings.Palette = Palette();
    settings.MinTemp = MinTemp;
    settings.MaxTemp = MaxTemp;
    settings.Projection = Mapping.get();
    settings.Width = mapBitmap_.Width();
    settings.Height = mapBitmap_.Height();
    settings.ReadGrid = GridReader;
    // A file of another sensor is left out (veltra-render refuses it before drawing).
    std::vector<TCompositeInput> inputs;
    std::vector<bool> odd;
    for (int i = 0; i < Streams.Count(); ++i) {
        TStream* stream = Streams.Items(i);
        const std::vector<std::string> offered = OfferedSensors(Streams.FileName(i), stream);
        odd.push_back(stream != nullptr && !LooksLikeGrid(*stream) &&
                      std::find(offered.begin(), offered.end(), SensorName_) == offered.end());
        inputs.push_back({Streams.FileName(i), InnerExtension(Streams.FileName(i)),
                          odd.back() ? nullptr : stream});
    }
    Composite = {};
    if (settings.ChannelCaption.empty())
        return;
    Composite = RenderComposite(inputs, settings);
    for (std::size_t i = 0; i < odd.size(); ++i)
        if (odd[i])
            Composite.Inputs[i].Outcome = {TStreamEnd::NotDecoded, 0, 0,
                                           "not a " + SensorName_ + " pass like the others"};

    // What the passes told, in time order: the last one's names and captions stand, as after
    // a render pass over several streams.
    bool archive = false;
    for (const std::size_t i : Composite.TimeOrder) {
        const TCompositePass& pass = Composite.Inputs[i];
        Streams.SetOutcome(static_cast<int>(i), pass.Outcome);
        for (const std::string& line : pass.DiagnosticLines)
            DiagnosticLines().push_back(line);
        if (pass.IsGrid || pass.Satellite.empty())
            continue;
        SatelliteName_ = pass.Satellite;
        if (!pass.ChannelCaption.empty())
            ChannelCaption_ = pass.ChannelCaption;
        if (pass.ChannelWavenumber != 0)
            channelWavenumber_ = pass.ChannelWavenumber;
        if (pass.HasArchive && !archive) {
            archiveSummary_ = pass.Archive;
            archive = true;
        }
    }
    SetSatelliteLabel(SatelliteName_ + " - " + ChannelCaption_);
    SetWindowCaption(
        BaseCaption_ + " - " +
        Format("%s composite of %d files", CompositeRuleName(settings.Rule), Streams.Count()));

    const bool visible = SensorName_ == "HIRS" && settings.ChannelCaption == "20";
    const auto colourOf = [&](float value) {
        return visible ? GreyColour(static_cast<int>(std::lrint(value)))
                       : ColourForTemperature(value);
    };
    // Row by row: each read from the map, the reached pixels painted in, and put back.
    const TPixelComposite& pixels = *Composite.Pixels;
    const int width = std::min(pixels.Width(), mapBitmap_.Width());
    std::vector<std::uint8_t> row(3 * static_cast<std::size_t>(std::max(pixels.Width(), 0)));
    for (int y = 0; y < std::min(pixels.Height(), mapBitmap_.Height()); ++y) {
        const TRgbImage map = mapBitmap_.Rgb();
        std::memcpy(row.data(), map.Bits + y * map.BytesPerLine,
                    3 * static_cast<std::size_t>(width));
        pixels.PaintRow(y, colourOf, row.data());
        mapBitmap_.CopyImage(0, y, {width, 1, 3 * std::ptrdiff_t{width}, row.data()});
    }
}

void TFormVeltra::ShowCompositeChoices()
{
    const TCompositeRule inForce = CompositeRuleInForce();
    for (const TCompositeRule rule : CompositeRules)
        view_.SetMenuChecked(
            static_cast<TMenuItem>(static_cast<int>(TMenuItem::ViewCompositeLatest) +
                                   static_cast<int>(rule)),
            rule == inForce);
}

void TFormVeltra::MenuViewCompositeClick(TMenuItem item)
{
    const int index = static_cast<int>(item) - static_cast<int>(TMenuItem::ViewCompositeLatest);
    if (index < 0 || index >= static_cast<int>(std::size(CompositeRules)))
        return;
    const std::string name = CompositeRuleName(CompositeRules[index]);
    const bool changed = CompositeRule->Value != name;
    CompositeRule->Value = name;
    CompositeRuleChosen.reset();
    ShowCompositeChoices();
    if (changed && CompositeOpen && SaveAsEnabled)
        DrawChannel();
}

} // namespace veltra
