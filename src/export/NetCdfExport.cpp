#include "export/NetCdfExport.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "export/ExportModule.h"

namespace veltra {

void SaveNetCdf(const TSampleList& samples, const TExportMetadata& metadata,
                const std::string& fileName, const std::string& moduleFolder)
{
    const TExportModule& module = ExportModuleIn(moduleFolder);
    // Built in memory and written in one step, so a failure never leaves half a file.
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!module.NetCdfBytes(samples, metadata, fileName, bytes, error))
        throw EWriteError(error);
    WriteFileAtomically(fileName, bytes.data(), bytes.size());
}

} // namespace veltra
