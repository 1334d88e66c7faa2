// The menus of the main window: every action with its shortcut, built in one place.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

#include "app/qt/ExportMenu.h"
#include "app/qt/MainWindow.h"

namespace veltra {
namespace {

QKeySequence StandardShortcut(QKeySequence::StandardKey key, const char* fallback)
{
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(key);
    return bindings.isEmpty() ? QKeySequence(fallback) : bindings.first();
}

const char* MenuText(TProjectionKind kind)
{
    return ProjectionKindOf(kind).MenuText;
}

struct TMenuEntry {
    TMenuItem Item;
    const char* Name;
    const char* Caption;
};

} // namespace

void TMainWindow::CreateMenus()
{
    auto add = [this](QMenu* menu, const TMenuEntry& entry) {
        QAction* action = menu->addAction(entry.Caption);
        action->setObjectName(entry.Name);
        actions_[static_cast<std::size_t>(entry.Item)] = action;
        return action;
    };
    auto plain = [this, add](QMenu* menu, const TMenuEntry& entry, void (TFormVeltra::*handler)()) {
        connect(add(menu, entry), &QAction::triggered, this,
                [this, handler] { Guarded([&] { (form_.get()->*handler)(); }); });
    };
    auto radio = [this, add](QMenu* menu, std::initializer_list<TMenuEntry> entries,
                             void (TFormVeltra::*handler)(TMenuItem)) {
        auto* group = new QActionGroup(menu);
        for (const TMenuEntry& entry : entries) {
            QAction* action = add(menu, entry);
            action->setCheckable(true);
            group->addAction(action);
            const TMenuItem item = entry.Item;
            connect(action, &QAction::triggered, this,
                    [this, handler, item] { Guarded([&] { (form_.get()->*handler)(item); }); });
        }
    };

    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("MenuFile");
    plain(file, {TMenuItem::FileOpen, "MenuFileOpen", "&Open..."}, &TFormVeltra::MenuFileOpenClick);
    recentMenu_ = file->addMenu("Open &recent");
    recentMenu_->setObjectName("MenuFileOpenRecent");
    connect(recentMenu_, &QMenu::aboutToShow, this,
            [this] { Guarded([&] { form_->MenuFileOpenRecentPopup(); }); });
    plain(file, {TMenuItem::FileSaveAs, "MenuFileSaveAs", "Save &As..."},
          &TFormVeltra::MenuFileSaveAsClick);
    plain(file, {TMenuItem::FileSaveRaw, "MenuFileSaveRaw", "Save &brightness temperatures"},
          &TFormVeltra::MenuFileSaveRawClick);
    AddExportMenu(file, form_, *this, [this](const std::function<void()>& work) { Guarded(work); });
    file->addSeparator();
    plain(file, {TMenuItem::FileExit, "MenuFileExit", "E&xit"}, &TFormVeltra::MenuFileExitClick);
    Action(TMenuItem::FileOpen)->setShortcut(StandardShortcut(QKeySequence::Open, "Ctrl+O"));
    // Ctrl+S as in most programs, which save nothing but through Save As here.
    Action(TMenuItem::FileSaveAs)
        ->setShortcuts(
            {QKeySequence("Ctrl+S"), StandardShortcut(QKeySequence::SaveAs, "Ctrl+Shift+S")});
    Action(TMenuItem::FileExit)->setShortcut(StandardShortcut(QKeySequence::Quit, "Ctrl+Q"));
    Action(TMenuItem::FileSaveAs)->setEnabled(false);
    Action(TMenuItem::FileSaveRaw)->setEnabled(false);

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("MenuView");
    plain(view, {TMenuItem::ViewDiagnostics, "MenuViewDiagnostics", "&Diagnostics..."},
          &TFormVeltra::MenuViewDiagnosticsClick);
    view->addSeparator();
    plain(view, {TMenuItem::ViewZoomIn, "MenuViewZoomIn", "Zoom &in"},
          &TFormVeltra::MenuViewZoomInClick);
    plain(view, {TMenuItem::ViewZoomOut, "MenuViewZoomOut", "Zoom &out"},
          &TFormVeltra::MenuViewZoomOutClick);
    plain(view, {TMenuItem::ViewFitToPass, "MenuViewFitToPass", "&Fit to pass"},
          &TFormVeltra::MenuViewFitToPassClick);
    plain(view, {TMenuItem::ViewResetView, "MenuViewResetView", "&Reset view"},
          &TFormVeltra::MenuViewResetViewClick);
    view->addSeparator();
    plain(view, {TMenuItem::ViewFillFootprints, "MenuViewFillFootprints", "Fill &footprints"},
          &TFormVeltra::MenuViewFillFootprintsClick);
    Action(TMenuItem::ViewFillFootprints)->setCheckable(true);
    plain(view,
          {TMenuItem::ViewHideFlaggedLines, "MenuViewHideFlaggedLines", "&Hide flagged scan lines"},
          &TFormVeltra::MenuViewHideFlaggedLinesClick);
    Action(TMenuItem::ViewHideFlaggedLines)->setCheckable(true);
    plain(view,
          {TMenuItem::ViewFootprintSpectrum, "MenuViewFootprintSpectrum", "Footprint &spectrum"},
          &TFormVeltra::MenuViewFootprintSpectrumClick);
    Action(TMenuItem::ViewFootprintSpectrum)->setCheckable(true);
    plain(view, {TMenuItem::ViewDifference, "MenuViewDifference", "Difference &with channel..."},
          &TFormVeltra::MenuViewDifferenceClick);
    Action(TMenuItem::ViewDifference)->setCheckable(true);
    QMenu* palette = view->addMenu("&Palette");
    palette->setObjectName("MenuViewPalette");
    const auto& kinds = PaletteKinds();
    radio(palette,
          {{TMenuItem::ViewPaletteThermal, "MenuViewPaletteThermal", kinds[0].MenuText},
           {TMenuItem::ViewPaletteViridis, "MenuViewPaletteViridis", kinds[1].MenuText},
           {TMenuItem::ViewPaletteCividis, "MenuViewPaletteCividis", kinds[2].MenuText},
           {TMenuItem::ViewPaletteGrey, "MenuViewPaletteGrey", kinds[3].MenuText},
           {TMenuItem::ViewPaletteDifference, "MenuViewPaletteDifference", kinds[4].MenuText}},
          &TFormVeltra::MenuViewPaletteClick);
    Action(TMenuItem::ViewPaletteThermal)->setChecked(true);
    QMenu* composite = view->addMenu("&Composite");
    composite->setObjectName("MenuViewComposite");
    radio(composite,
          {{TMenuItem::ViewCompositeLatest, "MenuViewCompositeLatest", "&Latest on top"},
           {TMenuItem::ViewCompositeNadir, "MenuViewCompositeNadir", "&Nearest nadir"},
           {TMenuItem::ViewCompositeMin, "MenuViewCompositeMin", "M&inimum"},
           {TMenuItem::ViewCompositeMax, "MenuViewCompositeMax", "M&aximum"},
           {TMenuItem::ViewCompositeMean, "MenuViewCompositeMean", "M&ean"}},
          &TFormVeltra::MenuViewCompositeClick);
    // The bare keys work without a modifier, as in map viewers; the platform's own zoom keys
    // as well.
    Action(TMenuItem::ViewZoomIn)
        ->setShortcuts({QKeySequence("+"), QKeySequence("="), QKeySequence::ZoomIn});
    Action(TMenuItem::ViewZoomOut)->setShortcuts({QKeySequence("-"), QKeySequence::ZoomOut});
    Action(TMenuItem::ViewResetView)->setShortcut(QKeySequence("0"));

    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("MenuOptions");
    QMenu* background = options->addMenu("&Background");
    background->setObjectName("MenuOptionsBackground");
    radio(background,
          {{TMenuItem::BackgroundBlack, "MenuOptionsBackgroundBlack", "&Black"},
           {TMenuItem::BackgroundWhite, "MenuOptionsBackgroundWhite", "&White"}},
          &TFormVeltra::MenuOptionsBackgroundClick);
    Action(TMenuItem::BackgroundBlack)->setChecked(true);
    QMenu* projection = options->addMenu("Map &projection");
    projection->setObjectName("MenuOptionsMapProjection");
    radio(projection,
          {{TMenuItem::ProjectionMercator, "MenuOptionsMercator", MenuText(pkMercator)},
           {TMenuItem::ProjectionMercatorZoomed, "MenuOptionsMercatorZoomed",
            MenuText(pkMercatorZoomed)},
           {TMenuItem::ProjectionOrthographic, "MenuOptionsOrthographic", MenuText(pkOrthographic)},
           {TMenuItem::ProjectionPlateCarree, "MenuOptionsPlateCaree", MenuText(pkPlateCarree)},
           {TMenuItem::ProjectionPlateCarreeZoomed, "MenuOptionsPlateCareeZoomed",
            MenuText(pkPlateCarreeZoomed)},
           {TMenuItem::ProjectionPolarStereographic, "MenuOptionsPolarStereographic",
            MenuText(pkPolarStereographic)}},
          &TFormVeltra::MenuOptionsMapProjectionClick);
    QMenu* region = options->addMenu("Map &region");
    region->setObjectName("MenuOptionsRegion");
    radio(region,
          {{TMenuItem::RegionAtlantic, "MenuOptionsRegionAtlantic", "&Atlantic"},
           {TMenuItem::RegionEurope, "MenuOptionsRegionEurope", "&Europe"},
           {TMenuItem::RegionIndianOcean, "MenuOptionsRegionIndianOcean", "&Indian Ocean"},
           {TMenuItem::RegionNorthAmerica, "MenuOptionsRegionNorthAmerica", "&North America"},
           {TMenuItem::RegionNorthPole, "MenuOptionsRegionNorthPole", "North &pole"},
           {TMenuItem::RegionSouthAmerica, "MenuOptionsRegionSouthAmerica", "&South America"}},
          &TFormVeltra::MenuOptionsRegionClick);
    options->addSeparator();
    plain(options,
          {TMenuItem::OptionsHirsCountOffset, "MenuOptionsHirsCountOffset",
           "HIRS counts with NOAA &offset"},
          &TFormVeltra::MenuOptionsHirsCountOffsetClick);
    Action(TMenuItem::OptionsHirsCountOffset)->setCheckable(true);
    options->addSeparator();
    plain(options, {TMenuItem::OptionsColourRange, "MenuOptionsColourRange", "&Colour range..."},
          &TFormVeltra::MenuOptionsColourRangeClick);
    plain(options, {TMenuItem::OptionsAutoRange, "MenuOptionsAutoRange", "A&uto range"},
          &TFormVeltra::MenuOptionsAutoRangeClick);
    plain(options, {TMenuItem::OptionsLegend, "MenuOptionsLegend", "&Legend in saved pictures"},
          &TFormVeltra::MenuOptionsLegendClick);
    Action(TMenuItem::OptionsAutoRange)->setCheckable(true);
    Action(TMenuItem::OptionsLegend)->setCheckable(true);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("MenuHelp");
    plain(help, {TMenuItem::HelpContents, "MenuHelpContents", "Veltra &help"},
          &TFormVeltra::MenuHelpContentsClick);
    Action(TMenuItem::HelpContents)
        ->setShortcut(StandardShortcut(QKeySequence::HelpContents, "F1"));
    plain(help, {TMenuItem::HelpAbout, "MenuHelpAbout", "&About..."},
          &TFormVeltra::MenuHelpAboutClick);
}

} // namespace veltra
