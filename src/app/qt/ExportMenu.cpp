#include "app/qt/ExportMenu.h"

#include <QAction>
#include <QMenu>

#include "app/VeltraView.h"
#include "app/exports/ExportCommands.h"

namespace veltra {

void AddExportMenu(QMenu* file, const std::unique_ptr<TFormVeltra>& form, TVeltraView& view,
                   TGuard guard)
{
    QMenu* menu = file->addMenu("&Export");
    menu->setObjectName("MenuFileExport");
    const struct {
        TExportKind Kind;
        const char* Name;
        const char* Caption;
    } entries[] = {
        {TExportKind::NetCdf, "MenuFileExportNetCdf", "NetCDF..."},
        {TExportKind::Csv, "MenuFileExportCsv", "CSV..."},
        {TExportKind::GeoTiff, "MenuFileExportGeoTiff", "GeoTIFF..."},
        {TExportKind::GeoTiffValues, "MenuFileExportGeoTiffValues", "GeoTIFF of values..."},
        {TExportKind::NetCdfAllChannels, "MenuFileExportNetCdfAllChannels",
         "NetCDF, all channels..."}};
    for (const auto& entry : entries) {
        QAction* action = menu->addAction(entry.Caption);
        action->setObjectName(entry.Name);
        action->setEnabled(false);
        const TExportKind kind = entry.Kind;
        QObject::connect(action, &QAction::triggered, menu, [&form, &view, kind, guard] {
            guard([&] { MenuFileExportClick(*form, view, kind); });
        });
        QObject::connect(menu, &QMenu::aboutToShow, action, [&form, action, kind, guard] {
            guard([&] { action->setEnabled(ExportAvailable(*form, kind)); });
        });
    }
}

} // namespace veltra
