// The NetCDF, CSV and GeoTIFF exports, read back with the NetCDF C library and GDAL.
#include <gtest/gtest.h>

#include <cpl_error.h>
#include <gdal.h>
#include <netcdf.h>
#include <ogr_srs_api.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "base/Errors.h"
#include "export/CsvExport.h"
#include "export/ExportModule.h"
#include "export/GeoTiffExport.h"
#include "export/NetCdfExport.h"
#include "export/SwathExport.h"
#include "imaging/BrightnessTemperatures.h"
#include "mapping/zorMapping.h"
#include "support/ScratchFolder.h"

using namespace veltra;
namespace fs = std::filesystem;

namespace {

// The NetCDF and GeoTIFF writers come from the programs' folder of this build.
const std::string ModuleFolder = VELTRA_BINARY_DIR "/src/app";

class Export : public TScratchFolderTest {
protected:
    Export() : TScratchFolderTest("veltra-export-") {}
};

// Values whose shortest decimal form is long, tiny or signed: each must come back bit for bit.
TSampleList AwkwardSamples()
{
    TSampleList samples;
    samples.Reset();
    const float values[] = {
        0.1f,        -0.0f,      1e-40f,      300.15f,      std::nextafter(250.0f, 251.0f),
        -179.99998f, 89.999992f, 16777217.0f, 3.4028235e38f};
    std::int32_t i = 0;
    for (const float a : values)
        for (const float b : values)
            samples.AddSample(a, b, values[(i + 3) % 9], {i / 7, i % 56, i % 3}), ++i;
    return samples;
}

std::vector<float> ReadBrightnessTemperatureColumn(const std::string& name, int column)
{
    std::ifstream in(name, std::ios::binary);
    std::vector<float> values;
    unsigned char record[12];
    while (in.read(reinterpret_cast<char*>(record), 12)) {
        std::uint32_t word = 0;
        for (int b = 3; b >= 0; --b)
            word = word << 8 | record[4 * column + b];
        float value;
        std::memcpy(&value, &word, 4);
        values.push_back(value);
    }
    return values;
}

bool SameBits(float a, float b)
{
    return std::memcmp(&a, &b, 4) == 0;
}

std::string TextAttribute(int id, int variable, const char* name)
{
    std::size_t length = 0;
    if (nc_inq_attlen(id, variable, name, &length) != NC_NOERR)
        return "(missing)";
    std::string text(length, '\0');
    nc_get_att_text(id, variable, name, text.data());
    return text;
}

} // namespace

TEST_F(Export, NetCdfAndCsvHoldTheBrightnessTemperatureFilesValuesBitForBit)
{
    const TSampleList samples = AwkwardSamples();
    TExportMetadata metadata;
    metadata.Title = "NOAA-15 HIRS channel 8";
    metadata.Platform = "NOAA-15";
    metadata.Instrument = "HIRS";
    metadata.Channel = 8;
    metadata.CentralWavenumber = 898.5;
    metadata.InputFiles = {"a.l1b", "b.l1b", "c.l1b"};
    SaveBrightnessTemperatures(samples, Out("bt.bin"));
    SaveNetCdf(samples, metadata, Out("pass.nc"), ModuleFolder);
    SaveCsv(samples, Out("pass.csv"));

    int id = -1;
    ASSERT_EQ(nc_open(Out("pass.nc").c_str(), NC_NOWRITE, &id), NC_NOERR);
    int format = 0;
    nc_inq_format(id, &format);
    EXPECT_EQ(format, NC_FORMAT_NETCDF4);
    EXPECT_EQ(TextAttribute(id, NC_GLOBAL, "Conventions"), "CF-1.8");
    EXPECT_EQ(TextAttribute(id, NC_GLOBAL, "platform"), "NOAA-15");
    EXPECT_EQ(TextAttribute(id, NC_GLOBAL, "input_files"), "a.l1b\nb.l1b\nc.l1b");
    double wavenumber = 0;
    EXPECT_EQ(nc_get_att_double(id, NC_GLOBAL, "channel_central_wavenumber", &wavenumber),
              NC_NOERR);
    EXPECT_EQ(wavenumber, 898.5);
    std::size_t count = 0;
    int dimension = -1;
    ASSERT_EQ(nc_inq_dimid(id, "sample", &dimension), NC_NOERR);
    nc_inq_dimlen(id, dimension, &count);
    ASSERT_EQ(count, static_cast<std::size_t>(samples.SampleCount()));

    const char* names[] = {"lat", "lon", "brightness_temperature"};
    const char* standardNames[] = {"latitude", "longitude", "toa_brightness_temperature"};
    const char* units[] = {"degrees_north", "degrees_east", "K"};
    for (int column = 0; column < 3; ++column) {
        const std::vector<float> expected = ReadBrightnessTemperatureColumn(Out("bt.bin"), column);
        ASSERT_EQ(expected.size(), count);
        int variable = -1;
        ASSERT_EQ(nc_inq_varid(id, names[column], &variable), NC_NOERR);
        EXPECT_EQ(TextAttribute(id, variable, "standard_name"), standardNames[column]);
        EXPECT_EQ(TextAttribute(id, variable, "units"), units[column]);
        std::vector<float> values(count);
        ASSERT_EQ(nc_get_var_float(id, variable, values.data()), NC_NOERR);
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_TRUE(SameBits(values[i], expected[i])) << names[column] << " " << i;
    }
    int variable = -1;
    nc_inq_varid(id, "brightness_temperature", &variable);
    EXPECT_EQ(TextAttribute(id, variable, "coordinates"), "lat lon");
    const char* originNames[] = {"scan_line", "footprint", "file"};
    for (int o = 0; o < 3; ++o) {
        ASSERT_EQ(nc_inq_varid(id, originNames[o], &variable), NC_NOERR);
        std::vector<int> values(count);
        nc_get_var_int(id, variable, values.data());
        for (std::int32_t i = 0; i < samples.SampleCount(); ++i) {
            const TSampleOrigin& origin = samples.Origin(i);
            const int expected = o == 0   ? origin.ScanLine
                                 : o == 1 ? origin.Footprint
                                          : origin.Stream;
            EXPECT_EQ(values[static_cast<std::size_t>(i)], expected) << originNames[o];
        }
    }
    nc_close(id);

    std::ifstream csv(Out("pass.csv"));
    std::string line;
    std::getline(csv, line);
    EXPECT_EQ(line, "latitude,longitude,brightness_temperature,scan_line,footprint,file");
    std::int32_t row = 0;
    while (std::getline(csv, line)) {
        ASSERT_LT(row, samples.SampleCount());
        std::istringstream fields(line);
        std::string field[6];
        for (auto& f : field)
            std::getline(fields, f, ',');
        const TSample& s = samples[row];
        EXPECT_TRUE(SameBits(std::strtof(field[0].c_str(), nullptr), s.Latitude)) << line;
        EXPECT_TRUE(SameBits(std::strtof(field[1].c_str(), nullptr), s.Longitude)) << line;
        EXPECT_TRUE(SameBits(std::strtof(field[2].c_str(), nullptr), s.Temperature)) << line;
        EXPECT_EQ(std::stoi(field[4]), samples.Origin(row).Footprint);
        EXPECT_EQ(std::stoi(field[5]), samples.Origin(row).Stream);
        ++row;
    }
    EXPECT_EQ(row, samples.SampleCount());
}

TEST_F(Export, VisibleChannelIsAnAlbedoAndAnEmptyPassIsAValidFile)
{
    TSampleList samples;
    samples.Reset();
    TExportMetadata metadata;
    metadata.Albedo = true;
    SaveNetCdf(samples, metadata, Out("empty.nc"), ModuleFolder);
    int id = -1, variable = -1;
    ASSERT_EQ(nc_open(Out("empty.nc").c_str(), NC_NOWRITE, &id), NC_NOERR);
    EXPECT_NE(nc_inq_varid(id, "brightness_temperature", &variable), NC_NOERR);
    ASSERT_EQ(nc_inq_varid(id, "albedo", &variable), NC_NOERR);
    EXPECT_EQ(TextAttribute(id, variable, "units"), "percent");
    nc_close(id);
    SaveCsv(samples, Out("empty.csv"));
    EXPECT_EQ(fs::file_size(Out("empty.csv")), std::strlen(CsvHeader) + 1);
}

// What the scan lines tell of each footprint is written where some line holds it, not a number
// (the fill value) for a footprint whose line does not, and left out where none does; the
// quality indicator's flags are described for the lines' instrument, bit 31 the most
// significant.
TEST_F(Export, ScanLineColumnsAreWrittenWhereKnownAndLeftOutWhereNot)
{
    TSampleList samples;
    samples.Reset();
    TScanLineInfo flagged;
    flagged.Instrument = TLineInstrument::AmsuB;
    flagged.Time = 1200383820000; // 2008-01-15 07:57:00 UTC
    flagged.QualityIndicator = QualityDoNotUse | QualityCalibration;
    TScanLineInfo untimed = flagged;
    untimed.Time.reset();
    untimed.QualityIndicator = 0;
    const std::int32_t lines[] = {samples.AddScanLine(flagged), samples.AddScanLine(untimed)};
    const float nan = std::numeric_limits<float>::quiet_NaN();
    samples.AddSample(50, 5, 250, {0, 3, 0, lines[0], 12.5f, nan, 1.0f});
    samples.AddSample(51, 6, 251, {1, 4, 0, lines[1], nan, nan, 2.0f});
    SaveNetCdf(samples, {}, Out("lines.nc"), ModuleFolder);

    int id = -1, variable = -1;
    ASSERT_EQ(nc_open(Out("lines.nc").c_str(), NC_NOWRITE, &id), NC_NOERR);
    long long time[2] = {}, fill = 0;
    ASSERT_EQ(nc_inq_varid(id, "time", &variable), NC_NOERR);
    EXPECT_EQ(TextAttribute(id, variable, "units"), "milliseconds since 1970-01-01 00:00:00");
    nc_get_var_longlong(id, variable, time);
    EXPECT_EQ(time[0], 1200383820000);
    ASSERT_EQ(nc_get_att_longlong(id, variable, "_FillValue", &fill), NC_NOERR);
    EXPECT_EQ(time[1], fill);
    float zenith[2] = {};
    ASSERT_EQ(nc_inq_varid(id, "satellite_zenith_angle", &variable), NC_NOERR);
    nc_get_var_float(id, variable, zenith);
    EXPECT_EQ(zenith[0], 12.5f);
    EXPECT_TRUE(std::isnan(zenith[1]));
    EXPECT_NE(nc_inq_varid(id, "solar_zenith_angle", &variable), NC_NOERR);
    unsigned flags[2] = {};
    ASSERT_EQ(nc_inq_varid(id, "quality_flags", &variable), NC_NOERR);
    nc_get_var_uint(id, variable, flags);
    EXPECT_EQ(flags[0], 0x90000000u);
    EXPECT_EQ(flags[1], 0u);
    std::size_t masks = 0;
    nc_inq_attlen(id, variable, "flag_masks", &masks);
    std::vector<unsigned> mask(masks);
    nc_get_att_uint(id, variable, "flag_masks", mask.data());
    const std::string meanings = TextAttribute(id, variable, "flag_meanings");
    // AMSU-B has all seven bits of every instrument and seven of its own.
    ASSERT_EQ(mask.size(), 14u);
    EXPECT_EQ(mask.front(), 0x80000000u);
    EXPECT_EQ(meanings.substr(0, meanings.find(' ')), "do_not_use");
    EXPECT_EQ(mask[3], 0x10000000u);
    EXPECT_NE(meanings.find(" new_bias_on "), std::string::npos) << meanings;
    EXPECT_EQ(static_cast<std::size_t>(std::count(meanings.begin(), meanings.end(), ' ')) + 1,
              mask.size());
    nc_close(id);

    // A line without a quality indicator (Level 1d) leaves the flags out for all.
    untimed.QualityIndicator.reset();
    samples.Reset();
    untimed.Time = flagged.Time;
    samples.AddScanLine(flagged);
    samples.AddScanLine(untimed);
    samples.AddSample(50, 5, 250, {0, 3, 0, 0});
    samples.AddSample(51, 6, 251, {1, 4, 0, 1});
    SaveNetCdf(samples, {}, Out("lines.nc"), ModuleFolder);
    ASSERT_EQ(nc_open(Out("lines.nc").c_str(), NC_NOWRITE, &id), NC_NOERR);
    EXPECT_NE(nc_inq_varid(id, "quality_flags", &variable), NC_NOERR);
    EXPECT_NE(nc_inq_varid(id, "satellite_zenith_angle", &variable), NC_NOERR);
    // Every time known: no fill value, so readers keep the integers exact.
    ASSERT_EQ(nc_inq_varid(id, "time", &variable), NC_NOERR);
    EXPECT_NE(nc_inq_att(id, variable, "_FillValue", nullptr, nullptr), NC_NOERR);
    nc_close(id);
}

// The swath's arrays must fit its dimensions: the library would read past a short one.
TEST_F(Export, SwathWhoseArraysDoNotFitItsDimensionsIsRefused)
{
    TSwath swath;
    swath.Lines = 2;
    swath.Footprints = 3;
    swath.Channels = {{16, 2.968, 89.04, 0}};
    swath.BrightnessTemperature.assign(6, 250.0f);
    swath.Latitude.assign(6, 50.0f);
    swath.Longitude.assign(6, 5.0f);
    swath.Record = {0, 1};
    swath.File = {0, 0};
    SaveSwathNetCdf(swath, Out("swath.nc"), ModuleFolder);
    int id = -1, variable = -1;
    ASSERT_EQ(nc_open(Out("swath.nc").c_str(), NC_NOWRITE, &id), NC_NOERR);
    EXPECT_EQ(nc_inq_varid(id, "central_frequency", &variable), NC_NOERR);
    for (const char* absent : {"time", "quality_flags", "solar_zenith_angle", "albedo"})
        EXPECT_NE(nc_inq_varid(id, absent, &variable), NC_NOERR) << absent;
    nc_close(id);
    for (std::vector<float>* array : {&swath.BrightnessTemperature, &swath.SolarZenith}) {
        array->assign(5, 1.0f);
        EXPECT_THROW(SaveSwathNetCdf(swath, Out("short.nc"), ModuleFolder), EWriteError);
        array->assign(array == &swath.SolarZenith ? 0 : 6, 1.0f);
    }
    EXPECT_FALSE(fs::exists(Out("short.nc")));
}

TEST_F(Export, FailedWritesRaiseAndLeaveAnExistingFileAsItWas)
{
    TSampleList samples = AwkwardSamples();
    TMapping mapping;
    mapping.SetProjection(pkPlateCarree);
    mapping.SetWidth(4);
    mapping.SetHeight(2);
    const std::uint8_t pixels[24] = {};
    const TRgbImage image{4, 2, 12, pixels};
    const std::string missing = Out("no-such-folder/out");
    EXPECT_THROW(SaveCsv(samples, missing), EWriteError);
    EXPECT_THROW(SaveNetCdf(samples, {}, missing, ModuleFolder), EWriteError);
    EXPECT_THROW(SaveGeoTiff(image, {}, mapping, missing, ModuleFolder), EWriteError);
    EXPECT_FALSE(fs::exists(Out("no-such-folder")));
    // No module, or a file of that name that is no module: a write error that names it, and
    // nothing written; the right folder still works afterwards.
    std::ofstream(Out("pass.nc")) << "old";
    fs::create_directories(Out("not-a-module"));
    std::ofstream(Out("not-a-module/veltra-exports.so")) << "not a shared object";
    for (const char* folder : {"no-such-folder", "not-a-module"}) {
        try {
            SaveNetCdf(samples, {}, Out("pass.nc"), Out(folder));
            ADD_FAILURE() << folder;
        } catch (const ENoExportModule& e) {
            EXPECT_NE(std::string(e.what()).find("Cannot load the NetCDF and GeoTIFF exports: " +
                                                 Out(folder) + "/veltra-exports.so"),
                      std::string::npos)
                << e.what();
        }
    }
    EXPECT_EQ(fs::file_size(Out("pass.nc")), 3u);
    SaveNetCdf(samples, {}, Out("pass.nc"), ModuleFolder);
    EXPECT_GT(fs::file_size(Out("pass.nc")), 3u);
    fs::remove(Out("pass.nc"));
    fs::remove_all(Out("not-a-module"));
    // A kind without a coordinate reference system writes nothing, not even over an old file;
    // it says so before the module is looked for.
    std::ofstream(Out("old.tif")) << "old";
    for (const std::uint8_t kind :
         {pkCassini, pkLambertConformal, pkVanDerGrinten, pkAzimuthalWorld, pkNone}) {
        mapping.SetProjection(kind);
        EXPECT_THROW(SaveGeoTiff(image, {}, mapping, Out("old.tif"), Out("none")), ENoGeoReference)
            << int(kind);
    }
    EXPECT_EQ(fs::file_size(Out("old.tif")), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

namespace {

struct TView {
    const char* Name;
    std::uint8_t Kind;
    int Region; // a preset, or -1 for the zoomed view below
    int Width, Height;
};

TMapping MappingOf(const TView& view)
{
    TMapping m;
    m.SetProjection(view.Kind);
    m.SetWidth(view.Width);
    m.SetHeight(view.Height);
    if (view.Region >= 0) {
        ApplyRegionPreset(m, view.Region);
    } else {
        // Zoomed in and panned off the presets, as the navigation leaves it.
        m.SetLongitudeSpan(23.5f);
        m.SetLatitudeSpan(11.25f);
        m.SetCentreLongitude(-37.2f);
        m.SetCentreLatitude(view.Kind == pkPolarStereographic ? -71.5f : 47.3f);
    }
    return m;
}

} // namespace

// Every footprint position of a GeoTIFF, taken through its own CRS and geotransform, lands on
// the pixel the map draws it on; its corners lie within the projection's domain (GDAL can
// place them on the earth), and it leaves out no more of the map than that needs.
TEST_F(Export, GeoTiffPutsEveryPointOnThePixelTheMapDrawsItOn)
{
    const TView views[] = {
        {"plate carree", pkPlateCarree, 0, 800, 600},
        {"plate carree zoomed", pkPlateCarreeZoomed, 0, 800, 600},
        {"plate carree zoomed, Indian Ocean", pkPlateCarreeZoomed, 1, 640, 480},
        {"mercator", pkMercator, 0, 800, 600},
        {"mercator zoomed", pkMercatorZoomed, 0, 800, 600},
        {"mercator zoomed, South America", pkMercatorZoomed, 4, 333, 517},
        {"orthographic", pkOrthographic, 0, 800, 600},
        {"orthographic, North America", pkOrthographic, 2, 801, 599},
        {"polar stereographic", pkPolarStereographic, 0, 800, 600},
        {"polar stereographic, North pole", pkPolarStereographic, 5, 700, 700},
        {"azimuthal", pkAzimuthal, 3, 800, 600},
        {"azimuthal fixed", pkAzimuthalFixed, 0, 800, 600},
        {"gnomonic", pkGnomonic, 1, 800, 600},
        {"plate carree north", pkPlateCarreeNorth, 2, 800, 600},
        {"plate carree zoomed in", pkPlateCarreeZoomed, -1, 900, 500},
        {"mercator zoomed in", pkMercatorZoomed, -1, 900, 500},
        {"orthographic zoomed in", pkOrthographic, -1, 900, 500},
        {"south polar zoomed in", pkPolarStereographic, -1, 900, 500},
    };
    GDALAllRegister();
    CPLPushErrorHandler(CPLQuietErrorHandler); // the corners probed off the earth
    for (const TView& view : views) {
        SCOPED_TRACE(view.Name);
        const TMapping mapping = MappingOf(view);
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(view.Width * view.Height * 3));
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<std::uint8_t>(i * 7 % 251);
        const TRgbImage image{view.Width, view.Height, view.Width * 3, pixels.data()};
        std::vector<std::uint8_t> opaque(pixels.size() / 3);
        for (std::size_t i = 0; i < opaque.size(); ++i)
            opaque[i] = i % 5 == 0 ? 255 : 0;
        const std::string name = Out("map.tif");
        SaveGeoTiff(image, opaque, mapping, name, ModuleFolder);
        const TGeoReference part = GeoReferenceOf(mapping);

        GDALDatasetH data = GDALOpen(name.c_str(), GA_ReadOnly);
        ASSERT_NE(data, nullptr);
        ASSERT_EQ(GDALGetRasterCount(data), 4);
        EXPECT_EQ(GDALGetRasterColorInterpretation(GDALGetRasterBand(data, 4)), GCI_AlphaBand);
        EXPECT_EQ(GDALGetRasterXSize(data), part.Width);
        EXPECT_EQ(GDALGetRasterYSize(data), part.Height);
        double t[6];
        ASSERT_EQ(GDALGetGeoTransform(data, t), CE_None);
        OGRSpatialReferenceH crs = OSRNewSpatialReference(GDALGetProjectionRef(data));
        OGRSpatialReferenceH geographic = OSRCloneGeogCS(crs);
        EXPECT_NEAR(OSRGetSemiMajor(crs, nullptr), 6378135.0, 1e-3);
        EXPECT_NEAR(OSRGetInvFlattening(crs, nullptr), 0.0, 1e-9); // a sphere
        OSRSetAxisMappingStrategy(geographic, OAMS_TRADITIONAL_GIS_ORDER);
        OSRSetAxisMappingStrategy(crs, OAMS_TRADITIONAL_GIS_ORDER);
        OGRCoordinateTransformationH toMap = OCTNewCoordinateTransformation(geographic, crs);
        ASSERT_NE(toMap, nullptr);
        OGRCoordinateTransformationH toEarth = OCTNewCoordinateTransformation(crs, geographic);
        int leftOut = 0;
        for (const int column : {0, part.Width})
            for (const int row : {0, part.Height}) {
                double e = t[0] + column * t[1], n = t[3] + row * t[5];
                EXPECT_TRUE(OCTTransform(toEarth, 1, &e, &n, nullptr)) << column << " " << row;
                EXPECT_LE(std::fabs(n), 90.0);
                // One pixel further out, the corner would not be on the earth (or the map).
                double oe = t[0] + (column == 0 ? -1 : column + 1) * t[1];
                double on = t[3] + (row == 0 ? -1 : row + 1) * t[5];
                const bool edge =
                    (column == 0 ? part.Left == 0 : part.Left + part.Width == view.Width) &&
                    (row == 0 ? part.Top == 0 : part.Top + part.Height == view.Height);
                leftOut +=
                    !edge && OCTTransform(toEarth, 1, &oe, &on, nullptr) && std::fabs(on) <= 90.0;
            }
        EXPECT_EQ(leftOut, 0) << "no more left out than the domain needs";
        int checked = 0;
        for (float lat = -88.5f; lat < 90; lat += 1.37f) {
            for (float lon = -179.5f; lon < 180; lon += 1.91f) {
                std::int32_t x = 0, y = 0;
                if (!mapping.LatLonToXY(lat, lon, x, y) || x < part.Left || y < part.Top ||
                    x >= part.Left + part.Width || y >= part.Top + part.Height)
                    continue;
                double e = lon, n = lat;
                ASSERT_TRUE(OCTTransform(toMap, 1, &e, &n, nullptr)) << lat << " " << lon;
                const double column = (e - t[0]) / t[1], row = (n - t[3]) / t[5];
                ASSERT_NEAR(column, x - part.Left + 0.5, 1.0) << lat << " " << lon;
                ASSERT_NEAR(row, y - part.Top + 0.5, 1.0) << lat << " " << lon;
                ++checked;
            }
        }
        EXPECT_GT(checked, 20);
        // The pixels are the picture's, band by band, and the alpha band the opaque ones.
        for (const int px : {view.Width / 3, view.Width / 3 + 1}) {
            std::uint8_t read[4];
            const int py = view.Height / 2;
            for (int band = 1; band <= 4; ++band)
                ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(data, band), GF_Read, px - part.Left,
                                       py - part.Top, 1, 1, &read[band - 1], 1, 1, GDT_Byte, 0, 0),
                          CE_None);
            const auto at = static_cast<std::size_t>(py * view.Width + px);
            for (int c = 0; c < 3; ++c)
                EXPECT_EQ(read[c], pixels[at * 3 + static_cast<std::size_t>(c)]);
            EXPECT_EQ(read[3], opaque[at]);
        }
        OCTDestroyCoordinateTransformation(toEarth);
        OCTDestroyCoordinateTransformation(toMap);
        OSRDestroySpatialReference(geographic);
        OSRDestroySpatialReference(crs);
        GDALClose(data);
    }
    CPLPopErrorHandler();
}
