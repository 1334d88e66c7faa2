// The GeoTIFF bytes of the map picture, made with GDAL in its memory file system.
#include <cpl_conv.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <mutex>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "export/GeoTiffExport.h"
#include "export/module/Writers.h"

namespace veltra {

namespace {

// GDAL's drivers are safe on separate data sets, but its configuration and PROJ's database
// are shared: one export at a time keeps that question closed.
std::mutex gdalMutex;

std::string WellKnownText(const std::string& proj)
{
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    char* wkt = nullptr;
    const bool ok = OSRImportFromProj4(srs, proj.c_str()) == OGRERR_NONE &&
                    OSRExportToWkt(srs, &wkt) == OGRERR_NONE;
    std::string text = ok && wkt ? wkt : "";
    CPLFree(wkt);
    OSRDestroySpatialReference(srs);
    if (text.empty())
        throw EWriteError("No coordinate reference system for " + proj);
    return text;
}

std::vector<std::uint8_t> GeoTiffFile(const TRgbImage& image, const TGeoReference& reference,
                                      const std::string& fileName)
{
    static int serial = 0;
    const std::string memoryName = "/vsimem/veltra-export-" + std::to_string(++serial) + ".tif";
    GDALAllRegister();
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr)
        throw EWriteError("Cannot write \"" + fileName + "\": GDAL has no GeoTIFF driver");
    const char* options[] = {"COMPRESS=DEFLATE", "PHOTOMETRIC=RGB", nullptr};
    GDALDatasetH data = GDALCreate(driver, memoryName.c_str(), image.Width, image.Height, 3,
                                   GDT_Byte, const_cast<char**>(options));
    if (data == nullptr)
        throw EWriteError("Cannot write \"" + fileName + "\": " + CPLGetLastErrorMsg());
    auto transform = reference.Transform;
    bool ok = GDALSetGeoTransform(data, transform.data()) == CE_None &&
              GDALSetProjection(data, WellKnownText(reference.Proj).c_str()) == CE_None;
    int bands[] = {1, 2, 3};
    ok = ok && GDALDatasetRasterIO(data, GF_Write, 0, 0, image.Width, image.Height,
                                   const_cast<std::uint8_t*>(image.Bits), image.Width, image.Height,
                                   GDT_Byte, 3, bands, 3, image.BytesPerLine, 1) == CE_None;
    GDALClose(data);
    vsi_l_offset length = 0;
    GByte* bytes = VSIGetMemFileBuffer(memoryName.c_str(), &length, TRUE);
    std::vector<std::uint8_t> out;
    if (ok && bytes != nullptr)
        out.assign(bytes, bytes + length);
    CPLFree(bytes);
    if (out.empty())
        throw EWriteError("Cannot write \"" + fileName + "\": " + CPLGetLastErrorMsg());
    return out;
}

} // namespace

bool GeoTiffBytes(const TRgbImage& image, const TGeoReference& reference,
                  const std::string& fileName, std::vector<std::uint8_t>& bytes, std::string& error)
{
    try {
        const std::lock_guard<std::mutex> lock(gdalMutex);
        bytes = GeoTiffFile(image, reference, fileName);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

} // namespace veltra
