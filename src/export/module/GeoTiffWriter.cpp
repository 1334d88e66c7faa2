// The GeoTIFF bytes of the map picture or of its values, made with GDAL in its memory file
// system.
#include <cpl_conv.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <limits>
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

// Writes the raster's bands: red, green, blue and alpha, or the one band of values.
bool WriteBands(GDALDatasetH data, const TGeoTiffRaster& raster)
{
    const int w = raster.Width, h = raster.Height;
    if (raster.Values != nullptr) {
        GDALRasterBandH band = GDALGetRasterBand(data, 1);
        GDALSetRasterNoDataValue(band, std::numeric_limits<double>::quiet_NaN());
        GDALSetRasterUnitType(band, raster.Unit.c_str());
        GDALSetDescription(band, raster.Description.c_str());
        return GDALRasterIO(band, GF_Write, 0, 0, w, h, const_cast<float*>(raster.Values), w, h,
                            GDT_Float32, 0, 0) == CE_None;
    }
    int bands[] = {1, 2, 3};
    GDALSetRasterColorInterpretation(GDALGetRasterBand(data, 4), GCI_AlphaBand);
    return GDALDatasetRasterIO(data, GF_Write, 0, 0, w, h, const_cast<std::uint8_t*>(raster.Rgb), w,
                               h, GDT_Byte, 3, bands, 3, raster.RgbBytesPerLine, 1) == CE_None &&
           GDALRasterIO(GDALGetRasterBand(data, 4), GF_Write, 0, 0, w, h,
                        const_cast<std::uint8_t*>(raster.Alpha), w, h, GDT_Byte, 0, 0) == CE_None;
}

std::vector<std::uint8_t> GeoTiffFile(const TGeoTiffRaster& raster, const TGeoReference& reference,
                                      const std::string& fileName)
{
    static int serial = 0;
    const std::string memoryName = "/vsimem/veltra-export-" + std::to_string(++serial) + ".tif";
    GDALAllRegister();
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr)
        throw EWriteError("Cannot write \"" + fileName + "\": GDAL has no GeoTIFF driver");
    const bool values = raster.Values != nullptr;
    const char* pictureOptions[] = {"COMPRESS=DEFLATE", "PHOTOMETRIC=RGB", "ALPHA=YES", nullptr};
    const char* valueOptions[] = {"COMPRESS=DEFLATE", nullptr};
    GDALDatasetH data = GDALCreate(driver, memoryName.c_str(), raster.Width, raster.Height,
                                   values ? 1 : 4, values ? GDT_Float32 : GDT_Byte,
                                   const_cast<char**>(values ? valueOptions : pictureOptions));
    if (data == nullptr)
        throw EWriteError("Cannot write \"" + fileName + "\": " + CPLGetLastErrorMsg());
    auto transform = reference.Transform;
    bool ok = GDALSetGeoTransform(data, transform.data()) == CE_None &&
              GDALSetProjection(data, WellKnownText(reference.Proj).c_str()) == CE_None;
    for (const auto& [name, value] : raster.Metadata)
        ok = ok && GDALSetMetadataItem(data, name.c_str(), value.c_str(), nullptr) == CE_None;
    ok = ok && WriteBands(data, raster);
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

bool GeoTiffBytes(const TGeoTiffRaster& raster, const TGeoReference& reference,
                  const std::string& fileName, std::vector<std::uint8_t>& bytes, std::string& error)
{
    try {
        const std::lock_guard<std::mutex> lock(gdalMutex);
        bytes = GeoTiffFile(raster, reference, fileName);
        return true;
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
}

} // namespace veltra
