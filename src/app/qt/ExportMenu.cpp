#include "app/qt/ExportMenu.h"

#include <QAction>
#include <QMenu>

#include <exception>

#include "app/VeltraView.h"
#include "app/exports/ExportCommands.h"

namespace veltra {

void AddExportMenu(QMenu* file, const std::unique_ptr<TFormVeltra>& form, TVeltraView& view)
{
    QMenu* menu = file->addMenu("&Export");
    menu->setObjectName("MenuFileExport");
    const struct {
        TExportKind Kind;
        const char* Name;
        const char* Caption;
    } entries[] = {{TExportKind::NetCdf, "MenuFileExportNetCdf", "NetCDF..."},
                   {TExportKind::Csv, "MenuFileExportCsv", "CSV..."},
                   {TExportKind::GeoTiff, "MenuFileExportGeoTiff", "GeoTIFF..."}};
    for (const auto& entry : entries) {
        QAction* action = menu->addAction(entry.Caption);
        action->setObjectName(entry.Name);
        action->setEnabled(false);
        const TExportKind kind = entry.Kind;
        QObject::connect(action, &QAction::triggered, menu, [&form, &view, kind] {
            // An exception must never leave a Qt handler.
            try {
                MenuFileExportClick(*form, view, kind);
            } catch (const std::exception& e) {
                view.ShowError(e.what());
            }
        });
        QObject::connect(menu, &QMenu::aboutToShow, action, [&form, action, kind] {
            action->setEnabled(ExportAvailable(*form, kind));
        });
    }
}

} // namespace veltra
