#pragma once
// File > Export: "NetCDF...", "CSV...", "GeoTIFF...", "GeoTIFF of values...", "NetCDF, all
// channels...", each enabled when there is something to export, each asking for a file name and
// writing it
// (app/exports/ExportCommands).
#include <functional>
#include <memory>

class QMenu;

namespace veltra {

class TFormVeltra;
class TVeltraView;

// Runs a handler's work inside the window's guard, which tells a failure and keeps it from
// leaving the Qt handler.
using TGuard = std::function<void(const std::function<void()>&)>;

// The window's controller may be made after its menus: it is looked up at each use. Both the
// items and the opening of the menu run inside `guard`.
void AddExportMenu(QMenu* file, const std::unique_ptr<TFormVeltra>& form, TVeltraView& view,
                   TGuard guard);

} // namespace veltra
