// The menu handlers of the main window: the choices of the Options menu, which the settings
// keep, and the View menu.
#include <filesystem>

#include "app/MapNavigation.h"
#include "app/RecentFiles.h"
#include "app/VeltraForm.h"
#include "mapping/zorMapping.h"
#include "settings/RegistryVariables.h"

namespace veltra {

namespace {

struct TMenuValue {
    TMenuItem Item;
    std::int32_t Value;
};

constexpr TMenuValue BackgroundItems[] = {{TMenuItem::BackgroundBlack, 0},
                                          {TMenuItem::BackgroundWhite, 0xFFFFFF}};
constexpr const auto& ProjectionItems = ProjectionMenuItems;

std::int32_t ValueOf(const TMenuValue& entry)
{
    return entry.Value;
}
std::int32_t ValueOf(const TProjectionMenuItem& entry)
{
    return entry.Kind;
}
constexpr TMenuValue RegionItems[] = {
    {TMenuItem::RegionEurope, 0},       {TMenuItem::RegionIndianOcean, 1},
    {TMenuItem::RegionNorthAmerica, 2}, {TMenuItem::RegionAtlantic, 3},
    {TMenuItem::RegionSouthAmerica, 4}, {TMenuItem::RegionNorthPole, 5}};

template <typename TTable>
bool ValueOfItem(const TTable& table, TMenuItem item, std::int32_t& value)
{
    for (const auto& entry : table)
        if (entry.Item == item) {
            value = ValueOf(entry);
            return true;
        }
    return false;
}

template <typename TTable>
bool ItemOfValue(const TTable& table, std::int32_t value, TMenuItem& item)
{
    for (const auto& entry : table)
        if (ValueOf(entry) == value) {
            item = entry.Item;
            return true;
        }
    return false;
}

} // namespace

void TFormVeltra::MenuFileExitClick()
{
    view_.Close();
}

void TFormVeltra::MenuViewDiagnosticsClick()
{
    view_.ShowDiagnostics();
}

void TFormVeltra::MenuViewZoomInClick()
{
    if (Navigation->ZoomCentre(ZoomStep))
        RequestRender();
}

void TFormVeltra::MenuViewZoomOutClick()
{
    if (Navigation->ZoomCentre(1 / ZoomStep))
        RequestRender();
}

void TFormVeltra::MenuViewFitToPassClick()
{
    if (Navigation->Fit(Samples))
        RequestRender();
}

void TFormVeltra::MenuViewResetViewClick()
{
    if (Navigation->Reset())
        RequestRender();
}

// A choice the settings keep, turned by a check item: the picture follows at once.
void TFormVeltra::ToggleChoice(TRegistryBoolean& choice, TMenuItem item)
{
    choice.Value = !choice.Value;
    view_.SetMenuChecked(item, choice.Value);
    DrawChannel();
}

void TFormVeltra::CreateMenuSettings()
{
    FillFootprints = std::make_unique<TRegistryBoolean>("FillFootprints", false);
    FootprintPanel = std::make_unique<TRegistryBoolean>("FootprintSpectrum", false);
    HirsCountOffset = std::make_unique<TRegistryBoolean>("HirsCountOffset", false);
    HideFlaggedLines = std::make_unique<TRegistryBoolean>("HideFlaggedLines", false);
}

void TFormVeltra::ShowMenuChoices()
{
    view_.SetMenuChecked(TMenuItem::ViewFillFootprints, FillFootprints->Value);
    view_.SetMenuChecked(TMenuItem::ViewFootprintSpectrum, FootprintPanel->Value);
    view_.SetMenuChecked(TMenuItem::OptionsHirsCountOffset, HirsCountOffset->Value);
    view_.SetMenuChecked(TMenuItem::ViewHideFlaggedLines, HideFlaggedLines->Value);
    if (FootprintPanel->Value)
        view_.ShowFootprintPanel(true);
}

void TFormVeltra::DestroyMenuSettings()
{
    FillFootprints.reset();
    FootprintPanel.reset();
    HirsCountOffset.reset();
    HideFlaggedLines.reset();
}

void TFormVeltra::MenuViewFillFootprintsClick()
{
    ToggleChoice(*FillFootprints, TMenuItem::ViewFillFootprints);
}

void TFormVeltra::MenuOptionsHirsCountOffsetClick()
{
    ToggleChoice(*HirsCountOffset, TMenuItem::OptionsHirsCountOffset);
}

bool TFormVeltra::UseHirsCountOffset() const
{
    return HirsCountOffset && HirsCountOffset->Value;
}

void TFormVeltra::NoteRecentFile(const std::string& name)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(name, error);
    TRecentFiles recent(RecentFiles->Value);
    recent.Add(error ? name : path.lexically_normal().string());
    RecentFiles->Value = recent.Stored();
}

void TFormVeltra::MenuFileOpenRecentPopup()
{
    const TRecentFiles recent(RecentFiles->Value);
    std::vector<bool> present;
    for (const std::string& name : recent.Names()) {
        std::error_code error;
        present.push_back(std::filesystem::is_regular_file(name, error));
    }
    view_.SetRecentFiles(recent.Names(), present);
}

void TFormVeltra::MenuFileOpenRecentClick(int index)
{
    const TRecentFiles recent(RecentFiles->Value);
    if (index < 0 || static_cast<std::size_t>(index) >= recent.Names().size())
        return;
    OpenFile(recent.Names()[static_cast<std::size_t>(index)]);
    view_.StartTimer(TTimerId::Load, LoadInterval);
}

void TFormVeltra::MenuHelpContentsClick()
{
    view_.ShowHelp();
}

void TFormVeltra::MenuHelpAboutClick()
{
    view_.ShowAbout();
}

void TFormVeltra::MenuOptionsBackgroundClick(TMenuItem item)
{
    const std::int32_t old = BackgroundColour->Value;
    ValueOfItem(BackgroundItems, item, BackgroundColour->Value);
    ShowBackgroundChoice();
    if (BackgroundColour->Value != old)
        DrawChannel();
}

void TFormVeltra::ShowBackgroundChoice()
{
    TMenuItem item;
    if (ItemOfValue(BackgroundItems, BackgroundColour->Value, item))
        view_.SetMenuChecked(item, true);
}

void TFormVeltra::MenuOptionsMapProjectionClick(TMenuItem item)
{
    std::int32_t value = MapProjection->Value;
    ValueOfItem(ProjectionItems, item, value);
    ApplyChoice(MapProjection->Value, value, &TFormVeltra::ApplyProjection);
}

// A projection or region chosen, even the one shown, brings back the preset view.
void TFormVeltra::ApplyChoice(std::int32_t& setting, std::int32_t value,
                              void (TFormVeltra::*apply)())
{
    const bool reset = Navigation->Reset();
    const std::uint64_t passes = RenderPasses;
    if (value != setting) {
        setting = value;
        (this->*apply)();
    }
    if (reset && RenderPasses == passes)
        DrawChannel();
}

void TFormVeltra::ApplyProjection()
{
    TMenuItem item;
    if (ItemOfValue(ProjectionItems, MapProjection->Value, item))
        view_.SetMenuChecked(item, true);
    const auto kind = static_cast<std::uint8_t>(MapProjection->Value);
    if (kind != Mapping->Projection) {
        Mapping->SetProjection(kind);
        DrawChannel();
    }
}

void TFormVeltra::MenuOptionsRegionClick(TMenuItem item)
{
    std::int32_t value = MapRegion->Value;
    ValueOfItem(RegionItems, item, value);
    ApplyChoice(MapRegion->Value, value, &TFormVeltra::ApplyRegion);
}

void TFormVeltra::ApplyRegion()
{
    const float longitude = Mapping->CentreLongitude;
    const float latitude = Mapping->CentreLatitude;
    SetRegionPreset();
    if (Mapping->CentreLongitude != longitude || Mapping->CentreLatitude != latitude)
        DrawChannel();
}

void TFormVeltra::SetRegionPreset()
{
    if (ApplyRegionPreset(*Mapping, MapRegion->Value)) {
        TMenuItem item;
        if (ItemOfValue(RegionItems, MapRegion->Value, item))
            view_.SetMenuChecked(item, true);
    }
}

} // namespace veltra
