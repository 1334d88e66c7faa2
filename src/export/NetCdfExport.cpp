#include "export/NetCdfExport.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "export/ExportModule.h"

namespace veltra {

std::vector<std::uint8_t> NetCdfFileBytes(const TSampleList& samples,
                                          const TExportMetadata& metadata,
                                          const std::string& fileName,
                                          const std::string& moduleFolder)
{
    const TExportModule& module = ExportModuleIn(moduleFolder);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!module.NetCdfBytes(samples, metadata, fileName, bytes, error))
        throw EWriteError(error);
    return bytes;
}

void SaveNetCdf(const TSampleList& samples, const TExportMetadata& metadata,
                const std::string& fileName, const std::string& moduleFolder)
{
    WriteOutput(fileName, NetCdfFileBytes(samples, metadata, fileName, moduleFolder),
                TOutputNeeds::RegularFile);
}

} // namespace veltra
