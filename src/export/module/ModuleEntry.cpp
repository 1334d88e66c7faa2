#include "export/module/Writers.h"

extern "C" __attribute__((visibility("default"))) const veltra::TExportModule* VeltraExportModule()
{
    static const veltra::TExportModule module{veltra::ExportModuleVersion, &veltra::NetCdfBytes,
                                              &veltra::GeoTiffBytes,       &veltra::SwathBytes,
                                              &veltra::GridNetCdfBytes,    &veltra::ReadGridNetCdf};
    return &module;
}
