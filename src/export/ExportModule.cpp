#include "export/ExportModule.h"

#include "base/Module.h"

namespace veltra {

const TExportModule& ExportModuleIn(const std::string& folder)
{
    std::string error;
    const TExportModule* module = ModuleIn<TExportModule>(
        folder, ExportModuleFileName, ExportModuleEntry, ExportModuleVersion, error);
    if (module == nullptr)
        throw ENoExportModule("Cannot load the NetCDF and GeoTIFF exports: " + error);
    return *module;
}

} // namespace veltra
