#include "export/SwathExport.h"

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "export/ExportModule.h"

namespace veltra {

std::vector<std::uint8_t> SwathFileBytes(const TSwath& swath, const std::string& fileName,
                                         const std::string& moduleFolder)
{
    const TExportModule& module = ExportModuleIn(moduleFolder);
    std::vector<std::uint8_t> bytes;
    std::string error;
    if (!module.SwathBytes(swath, fileName, bytes, error))
        throw EWriteError(error);
    return bytes;
}

void SaveSwathNetCdf(const TSwath& swath, const std::string& fileName,
                     const std::string& moduleFolder)
{
    WriteOutput(fileName, SwathFileBytes(swath, fileName, moduleFolder), TOutputNeeds::RegularFile);
}

} // namespace veltra
