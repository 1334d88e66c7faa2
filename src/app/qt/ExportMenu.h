#pragma once
// File > Export: "NetCDF...", "CSV...", "GeoTIFF...", each enabled when there is something to
// export, each asking for a file name and writing it (app/exports/ExportCommands).
#include <memory>

class QMenu;

namespace veltra {

class TFormVeltra;
class TVeltraView;

// The window's controller may be made after its menus: it is looked up at each use.
void AddExportMenu(QMenu* file, const std::unique_ptr<TFormVeltra>& form, TVeltraView& view);

} // namespace veltra
