// Colour that carries meaning: the palette the footprints are painted in, the range it spans
// for each channel (the channel's default limits, a range the user gives, or one stretched over
// the footprints a render pass decoded), the scale bar and the read-out's temperature, and the
// legend a saved picture can carry.
#include <array>

#include "app/VeltraForm.h"
#include "base/DateTime.h"
#include "base/Format.h"
#include "formats/DecodeStream.h"
#include "formats/ScanLine.h"
#include "imaging/Legend.h"
#include "settings/RegistryVariables.h"

namespace veltra {

namespace {

// Upper limit of the range for HIRS channels 1-19.
constexpr std::array<double, 19> HirsMaxTemps = {280, 265, 240, 250, 265, 280, 290, 330, 270, 310,
                                                 275, 260, 300, 290, 280, 260, 350, 340, 340};

constexpr double CelsiusOffset = 273.16;
// The range a difference is first painted in, kelvin either side of 0, until the footprints
// give theirs.
constexpr double DifferenceSpan = 10.0;

struct TPaletteItem {
    TMenuItem Item;
    TPaletteKind Kind;
};
constexpr TPaletteItem PaletteItems[] = {
    {TMenuItem::ViewPaletteThermal, TPaletteKind::Thermal},
    {TMenuItem::ViewPaletteViridis, TPaletteKind::Viridis},
    {TMenuItem::ViewPaletteCividis, TPaletteKind::Cividis},
    {TMenuItem::ViewPaletteGrey, TPaletteKind::Grey},
    {TMenuItem::ViewPaletteDifference, TPaletteKind::Difference}};

// The sensor as a setting's name part.
std::string SensorKeyPart(const std::string& sensor)
{
    if (sensor == "HIRS")
        return "Hirs";
    if (sensor == "AMSU-A")
        return "AmsuA";
    if (sensor == "AMSU-B")
        return "AmsuB";
    return "";
}

} // namespace

double HirsMaxTemp(int position)
{
    if (position < 1 || position > 19)
        return 320.0;
    return HirsMaxTemps[static_cast<std::size_t>(position - 1)];
}

void TFormVeltra::CreateColourSettings()
{
    PaletteChoice = std::make_unique<TRegistryInteger>("Palette", 0);
    LegendInPictures = std::make_unique<TRegistryBoolean>("LegendInPictures", false);
}

void TFormVeltra::ShowColourChoices()
{
    for (const TPaletteItem& entry : PaletteItems)
        if (entry.Kind == Palette())
            view_.SetMenuChecked(entry.Item, true);
    view_.SetMenuChecked(TMenuItem::OptionsLegend, LegendInPictures->Value);
}

TPaletteKind TFormVeltra::Palette() const
{
    const TPaletteInfo* info = PaletteOfCode(PaletteChoice->Value);
    return info != nullptr ? info->Kind : TPaletteKind::Thermal;
}

TPaletteKind TFormVeltra::DrawnPalette() const
{
    return DifferenceChannel() != 0 ? TPaletteKind::Difference : Palette();
}

std::string TFormVeltra::RangeKeyChannel() const
{
    std::string channel;
    if (!SelectedChannelCaption(channel))
        return "";
    const std::int32_t subtracted = DifferenceChannel();
    return subtracted != 0 ? channel + "-" + std::to_string(subtracted) : channel;
}

void TFormVeltra::MenuViewPaletteClick(TMenuItem item)
{
    const TPaletteKind old = Palette();
    for (const TPaletteItem& entry : PaletteItems)
        if (entry.Item == item)
            PaletteChoice->Value = static_cast<std::int32_t>(entry.Kind);
    ShowColourChoices();
    if (Palette() != old)
        DrawChannel();
}

void TFormVeltra::MenuOptionsLegendClick()
{
    LegendInPictures->Value = !LegendInPictures->Value;
    view_.SetMenuChecked(TMenuItem::OptionsLegend, LegendInPictures->Value);
}

TColourRange TFormVeltra::ChannelRange()
{
    if (requestedRange_)
        return *requestedRange_;
    const std::string channel = RangeKeyChannel();
    const std::string sensor = SensorKeyPart(SensorName_);
    if (sensor.empty() || channel.empty())
        return {};
    auto& setting = ColourRanges["ColourRange" + sensor + channel];
    if (!setting)
        setting = std::make_unique<TRegistryString>("ColourRange" + sensor + channel, "");
    TColourRange range;
    return ParseColourRange(setting->Value, range) ? range : TColourRange{};
}

// Stores the range for the selected channel and draws it.
void TFormVeltra::SetChannelRange(const TColourRange& range)
{
    requestedRange_.reset();
    ChannelRange(); // the channel's setting exists from here on
    if (const std::string channel = RangeKeyChannel(); !channel.empty()) {
        auto& setting = ColourRanges["ColourRange" + SensorKeyPart(SensorName_) + channel];
        if (setting)
            setting->Value = ColourRangeText(range);
    }
    TabControlChannelChange();
}

void TFormVeltra::MenuOptionsColourRangeClick()
{
    const std::string channel = RangeKeyChannel();
    if (SensorKeyPart(SensorName_).empty() || channel.empty())
        return;
    TColourRangeRequest request;
    request.Channel = SensorName_ + " channel " + channel;
    if (const std::int32_t subtracted = DifferenceChannel(); subtracted != 0)
        request.Channel = SensorName_ + " " + DifferenceCaption(ShownChannel(), subtracted);
    request.Minimum = Format("%g", MinTemp);
    request.Maximum = Format("%g", MaxTemp);
    if (!view_.ExecuteColourRangeDialog(request))
        return;
    TColourRange range;
    if (!request.Default && (!ParseColourRange(request.Minimum + "," + request.Maximum, range) ||
                             range.Choice != TColourRange::TChoice::Given)) {
        view_.ShowError("The colour range needs two numbers in kelvin, the minimum below the "
                        "maximum: \"" +
                        request.Minimum + "\" to \"" + request.Maximum + "\" is none");
        return;
    }
    SetChannelRange(request.Default ? TColourRange{} : range);
}

void TFormVeltra::MenuOptionsAutoRangeClick()
{
    if (SensorKeyPart(SensorName_).empty()) {
        view_.SetMenuChecked(TMenuItem::OptionsAutoRange, false);
        return;
    }
    const bool automatic = ChannelRange().Choice == TColourRange::TChoice::Auto;
    SetChannelRange(automatic ? TColourRange{} : TColourRange{TColourRange::TChoice::Auto});
}

// The channel's default limits: 150 K up to 320 K, or the HIRS channel's own upper limit, or
// 350 K with "Fixed"; then a range the user gave replaces them. A difference is shown about 0,
// over what the footprints give (DecodeStreams) unless a range is given.
void TFormVeltra::SetColourRange()
{
    MinTemp = 150.0;
    MaxTemp = 320.0;
    const int position = ChannelTabIndex + 1;
    if (SensorName_ == "HIRS" && position >= 1 && position <= 19)
        MaxTemp = HirsMaxTemp(position);
    if (Checked(TCheckBoxId::FixMaxTemp))
        MaxTemp = 350.0;
    ShowDifferenceChoice();
    if (DifferenceChannel() != 0) {
        MinTemp = -DifferenceSpan;
        MaxTemp = DifferenceSpan;
    }
    const TColourRange range = ChannelRange();
    if (range.Choice == TColourRange::TChoice::Given) {
        MinTemp = range.Min;
        MaxTemp = range.Max;
    }
    view_.SetMenuChecked(TMenuItem::OptionsAutoRange, range.Choice == TColourRange::TChoice::Auto);
}

void TFormVeltra::DecodeEveryStream()
{
    mapBitmap_.FillRect(0, 0, mapBitmap_.Width(), mapBitmap_.Height(),
                        static_cast<TColour>(BackgroundColour->Value));
    Samples.Reset(); // once: the list holds the footprints of every stream
    samplesUnkept_ = 0;
    keepSamples_ = !SamplesUnread || FillFootprints->Value || RangeFromFootprints();
    channelsReaders_.Clear(Streams.Generation());
    passPalette_ = DrawnPalette();
    archiveSummary_ = {};
    Drawn.Clear();
    if (CompositeOpen) {
        DrawComposite();
        return;
    }
    for (decodingStream_ = 0; decodingStream_ < Streams.Count(); ++decodingStream_)
        Streams.SetOutcome(decodingStream_, DecodeStream(*this, Streams.Items(decodingStream_)));
}

// A range stretched over the footprints needs their temperatures before their colours: when
// the footprints give another range than the one they were painted with, everything is decoded
// and painted again with it, so the picture is exactly that of one pass with the new range. A
// difference is stretched about 0 unless a range is given or asked to be stretched.
void TFormVeltra::DecodeStreams()
{
    const std::size_t lines = DiagnosticLines().size();
    DecodeEveryStream();
    const TColourRange::TChoice choice = ChannelRange().Choice;
    const bool symmetric = DifferenceChannel() != 0 && choice == TColourRange::TChoice::Default;
    if (!RangeFromFootprints() || VisibleChannel())
        return;
    std::vector<float> temperatures;
    for (std::int32_t i = 0; i < Samples.SampleCount(); ++i)
        temperatures.push_back(Samples[i].Temperature);
    double min = 0, max = 0;
    const bool stretched = symmetric ? SymmetricRange(std::move(temperatures), min, max)
                                     : PercentileRange(std::move(temperatures), min, max);
    if (!stretched || (min == MinTemp && max == MaxTemp))
        return;
    MinTemp = min;
    MaxTemp = max;
    view_.InvalidateScale();
    DiagnosticLines().resize(lines); // the headers' lines once
    DecodeEveryStream();
}

bool TFormVeltra::RangeFromFootprints()
{
    const TColourRange::TChoice choice = ChannelRange().Choice;
    return choice == TColourRange::TChoice::Auto ||
           (DifferenceChannel() != 0 && choice == TColourRange::TChoice::Default);
}

TColour TFormVeltra::ColourForTemperature(float temperature)
{
    colourScale_.SetPalette(passPalette_);
    colourScale_.SetRange(MinTemp, MaxTemp);
    return colourScale_.Colour(temperature);
}

// With the thermal palette the temperature is read back from the pixel's colour; the other
// palettes are not inverted: the temperature is the footprint's under the cursor. A difference
// is named so, and is the same in kelvin and Celsius.
std::string TFormVeltra::ReadOutTemperature(int x, int y)
{
    float temperature = 0;
    if (DrawnPalette() == TPaletteKind::Thermal) {
        const TColour colour = mapBitmap_.Pixel(x, y);
        if (!ColourToTemperature(RedOf(colour), GreenOf(colour), BlueOf(colour), temperature,
                                 static_cast<float>(MinTemp), static_cast<float>(MaxTemp)))
            return "";
    } else {
        const std::int32_t i =
            Drawn.Nearest(x, y, FootprintReach, mapBitmap_.Width(), mapBitmap_.Height());
        if (i < 0 || VisibleChannel())
            return "";
        temperature = Drawn[i].Value;
    }
    if (DifferenceChannel() != 0)
        return Format("difference %.0fK", static_cast<double>(temperature));
    if (Checked(TCheckBoxId::TempsInC))
        return Format("%.0fC", temperature - CelsiusOffset);
    return Format("%.0fK", static_cast<double>(temperature));
}

// Temperatures in Celsius; a difference is the same in both units and shown in kelvin.
bool TFormVeltra::CelsiusShown() const
{
    return Checked(TCheckBoxId::TempsInC) && DifferenceChannel() == 0;
}

void TFormVeltra::CheckBoxTempsInCClick()
{
    view_.InvalidateScale();
}

// The visible channel's bar shows its albedo in grey from 0 to 100 percent.
void TFormVeltra::PaintBoxScalePaint(TCanvas& bar)
{
    TColourScale scale(DrawnPalette(), MinTemp, MaxTemp);
    const bool visible = VisibleChannel();
    PaintScaleBar(bar, visible ? nullptr : &scale);
    const auto labels =
        visible ? TScaleLabels{"0%", "100%"} : ScaleLabelTexts(MinTemp, MaxTemp, CelsiusShown());
    MinTempLabel = labels.MinTemp;
    MaxTempLabel = labels.MaxTemp;
    view_.SetLabelCaption(TLabelId::MinTemp, MinTempLabel);
    view_.SetLabelCaption(TLabelId::MaxTemp, MaxTempLabel);
}

TPassTimes TFormVeltra::ShownPassTimes() const
{
    TPassTimes span;
    const auto widen = [&span](const TPassTimes& times) {
        if (times.Start && (!span.Start || *times.Start < *span.Start))
            span.Start = times.Start;
        if (times.End && (!span.End || *times.End > *span.End))
            span.End = times.End;
    };
    if (CompositeOpen) {
        // A composite keeps no samples: its passes kept their times.
        for (const TCompositePass& pass : Composite.Inputs)
            widen(pass.Times);
    } else {
        for (std::int32_t stream = 0; stream < Streams.Count(); ++stream)
            widen(Samples.PassTimes(stream));
    }
    return span;
}

std::string TFormVeltra::LegendTitle() const
{
    std::string title;
    auto add = [&title](const std::string& part) {
        if (!part.empty())
            title += (title.empty() ? "" : "   ") + part;
    };
    add(SatelliteName_);
    add(SensorName_);
    add(ChannelCaption_);
    const TPassTimes span = ShownPassTimes();
    if (span.Start && span.End) {
        const TDateTime start = DateTimeFromUtc(*span.Start), end = DateTimeFromUtc(*span.End);
        // The end's date too when it falls on another day (a day's composite, a pass over
        // midnight), so the span reads one way only.
        const bool sameDay =
            FormatDateTime("yyyy-mm-dd", start) == FormatDateTime("yyyy-mm-dd", end);
        add(FormatDateTime("yyyy-mm-dd hh:nn", start) + "-" +
            FormatDateTime(sameDay ? "hh:nn" : "yyyy-mm-dd hh:nn", end) + " UTC");
    }
    return title;
}

const TRasterCanvas& TFormVeltra::SavedPicture()
{
    if (!LegendInPictures->Value)
        return mapBitmap_;
    if (!picture_)
        picture_ = std::make_unique<TRasterCanvas>(&view_.Painter());
    const int height = mapBitmap_.Height();
    picture_->SetSize(mapBitmap_.Width(), height + LegendHeight(*picture_));
    picture_->CopyImage(0, 0, mapBitmap_.Rgb());
    TColourScale scale(DrawnPalette(), MinTemp, MaxTemp);
    TLegend legend{LegendTitle(), VisibleChannel() ? nullptr : &scale, CelsiusShown(),
                   static_cast<TColour>(BackgroundColour->Value)};
    PaintLegend(*picture_, height, legend);
    return *picture_;
}

} // namespace veltra
