// A run from start to the first picture, in one call: what the batch renderer, the tests and
// the fuzz targets do instead of driving the window's events one by one.
#include <algorithm>
#include <system_error>
#include <thread>

#include "app/MapNavigation.h"
#include "app/VeltraForm.h"
#include "mapping/zorCartography.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

namespace veltra {

namespace {

int IndexOf(const std::vector<std::string>& list, const std::string& item)
{
    const auto it = std::find(list.begin(), list.end(), item);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

} // namespace

TRunResult TFormVeltra::RunOnce(const TRunRequest& request)
{
    outlinesBeside_ = request.OutlinesBeside;
    FormCreate();
    if (request.Countries) {
        outlinesPending_ = false;
        Cartog->Clear();
        Cartog->LoadFromFile(*request.Countries);
        if (!Cartog->LoadProblem.empty()) {
            Notices.push_back(Cartog->LoadProblem);
            return TRunResult::OutlinesNotLoaded;
        }
    }
    // The outline file is read beside the opening of the file, too; what cannot be read ahead
    // is read when the outlines are drawn, and told then.
    if (outlinesPending_) {
        try {
            outlineReader_ =
                std::jthread([file = Cartog->CountriesFile, text = Cartog->AcceptText] {
                    try {
                        TCartogList::ReadAhead(file, text);
                    } catch (...) {
                    }
                });
        } catch (const std::system_error&) {
        }
    }
    // What the settings would have held, then the window's own start-up.
    if (request.Background) {
        BackgroundColour->Value = static_cast<std::int32_t>(*request.Background);
        mapBitmap_.SetFillColour(*request.Background);
    }
    if (request.Projection)
        MapProjection->Value = *request.Projection;
    if (request.Region)
        MapRegion->Value = *request.Region;
    if (request.FillFootprints)
        FillFootprints->Value = *request.FillFootprints;
    if (request.HirsCountOffset)
        HirsCountOffset->Value = *request.HirsCountOffset;
    if (request.Palette)
        PaletteChoice->Value = static_cast<std::int32_t>(*request.Palette);
    if (request.Legend)
        LegendInPictures->Value = *request.Legend;
    requestedRange_ = request.Range;
    if (request.HideFlaggedLines)
        HideFlaggedLines->Value = *request.HideFlaggedLines;
    const std::pair<TCheckBoxId, const std::optional<bool>*> boxes[] = {
        {TCheckBoxId::Gridlines, &request.Gridlines},
        {TCheckBoxId::FixMaxTemp, &request.FixMaxTemp},
        {TCheckBoxId::TempsInC, &request.TempsInC},
        {TCheckBoxId::OpenGroup, &request.OpenGroup}};
    for (const auto& [box, checked] : boxes)
        if (*checked)
            view_.SetChecked(box, **checked);
    if (request.RenderOnce)
        PlainFilesHeldLimit = 0; // its records are read once anyway
    SamplesUnread = request.SamplesUnread;
    // The window shows its empty map at start and again when the projection or region is set;
    // a run that goes on to open a file or composite paints over those drawings unseen, so it
    // skips them (the outlines would be read, projected and drawn for nothing).
    drawDeferred_ = request.DrawOnce && (request.Composite || !request.File.empty());
    FormShow();
    if (request.Width > 0 && request.Height > 0)
        ResizeMap(request.Width, request.Height);
    else
        TimerResizeTimer();
    if (!std::isnan(request.CentreLatitude) || !std::isnan(request.LongitudeSpan)) {
        const float latitudeSpan =
            std::isnan(request.LatitudeSpan) && !std::isnan(request.LongitudeSpan)
                ? request.LongitudeSpan * static_cast<float>(mapBitmap_.Height()) /
                      static_cast<float>(mapBitmap_.Width())
                : request.LatitudeSpan;
        Navigation->SetView(request.CentreLatitude, request.CentreLongitude, request.LongitudeSpan,
                            std::min(latitudeSpan, 180.0f));
    }
    drawDeferred_ = false;
    WindowFrom = request.From;
    WindowTo = request.To;
    if (request.Composite)
        return RunComposite(request);
    if (request.File.empty())
        return TRunResult::Shown;
    // Open, then what the load timer does.
    OpenFile(request.File);
    // The picture name is set by the first stream that could be opened.
    if (PictureFileName.empty())
        return TRunResult::NotOpened;
    // The load timer draws the file's first channel, then the sensor and channel asked for are
    // drawn. Unless the diagnostics lines (which keep every drawing's header lines) are read,
    // that first drawing would be painted over unseen: the pass is decoded once.
    drawDeferred_ = request.DrawOnce;
    TabControlSensorChange();
    const TRunResult result = SelectSensorAndChannel(request);
    if (!drawDeferred_)
        return result;
    drawDeferred_ = false;
    if (result == TRunResult::Shown)
        DrawChannel();
    return result;
}

TRunResult TFormVeltra::RunComposite(const TRunRequest& request)
{
    CompositeRuleChosen = CompositeRuleNamed(*request.Composite).value_or(TCompositeRule::Latest);
    CompositeJobs = request.Jobs;
    CompositeGridStep = request.GridStep;
    if (request.Files.empty())
        return TRunResult::Shown;
    OpenFiles(request.Files);
    if (PictureFileName.empty())
        return TRunResult::NotOpened;
    // A composite is drawn once, for the sensor and channel finally selected.
    drawDeferred_ = true;
    TabControlSensorChange();
    const TRunResult result = SelectSensorAndChannel(request);
    drawDeferred_ = false;
    if (result == TRunResult::Shown && CompositeOddFile().empty())
        DrawChannel();
    return result;
}

TRunResult TFormVeltra::SelectSensorAndChannel(const TRunRequest& request)
{
    if (request.Sensor) {
        const int index = IndexOf(SensorTabs, *request.Sensor);
        if (index < 0)
            return TRunResult::SensorNotOffered;
        if (index != SensorTabIndex) {
            SelectSensorTab(index);
            TabControlSensorChange();
        }
    }
    if (request.Channel) {
        const int low = SensorName_ == "AMSU-B" ? 16 : 1;
        const int high = SensorName_ == "AMSU-A" ? 15 : 20;
        const int index = IndexOf(ChannelTabs, std::to_string(*request.Channel));
        if (SensorName_.empty() || *request.Channel < low || *request.Channel > high || index < 0)
            return TRunResult::ChannelNotOffered;
        SelectChannelTab(index);
        requestedDifference_ = request.Difference;
        if (request.Difference && DifferenceChannel() == 0) {
            requestedDifference_.reset();
            return TRunResult::DifferenceNotOffered;
        }
        TabControlChannelChange();
    }
    return TRunResult::Shown;
}

bool TFormVeltra::ResizeMap(int width, int height)
{
    if (mapBitmap_.Width() == width && mapBitmap_.Height() == height)
        return false;
    mapBitmap_.SetSize(width, height);
    Mapping->SetWidth(mapBitmap_.Width());
    Mapping->SetHeight(mapBitmap_.Height());
    return true;
}

TFormVeltra::TStoredChoices TFormVeltra::StoredChoices() const
{
    return {static_cast<TColour>(BackgroundColour->Value),
            MapProjection->Value,
            MapRegion->Value,
            FillFootprints->Value,
            HirsCountOffset->Value,
            LegendInPictures->Value,
            Palette(),
            HideFlaggedLines->Value};
}

} // namespace veltra
