#include "app/exports/ExportCommands.h"

#include <algorithm>
#include <limits>

#include "app/FootprintFill.h"
#include "app/FootprintReadout.h"
#include "app/VeltraForm.h"
#include "app/exports/AllChannels.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/Executable.h"
#include "base/Format.h"
#include "export/CsvExport.h"
#include "export/ExportModule.h"
#include "export/GeoTiffExport.h"
#include "export/GridExport.h"
#include "export/SwathExport.h"
#include "formats/RecordChannelsReader.h"
#include "mapping/zorMapping.h"

#ifndef VELTRA_VERSION
#define VELTRA_VERSION "1.0.0"
#endif

namespace veltra {

namespace {

constexpr int HirsVisibleChannel = 20;

struct TExportFormat {
    const char* Name;      // as error messages name it
    const char* Filter;    // the save dialog's
    const char* Extension; // without the dot
    const char* Suffix;    // what the proposed name ends in
};

TExportFormat FormatOf(TExportKind kind)
{
    switch (kind) {
    case TExportKind::NetCdf: return {"NetCDF", "NetCDF files (*.nc)|*.nc", "nc", "nc"};
    case TExportKind::Csv: return {"CSV", "CSV files (*.csv)|*.csv", "csv", "csv"};
    case TExportKind::GeoTiffValues:
        return {"GeoTIFF of values", "GeoTIFF files (*.tif)|*.tif", "tif", "values.tif"};
    case TExportKind::NetCdfAllChannels:
        return {"NetCDF", "NetCDF files (*.nc)|*.nc", "nc", "all-channels.nc"};
    case TExportKind::GeoTiff: break;
    }
    return {"GeoTIFF", "GeoTIFF files (*.tif)|*.tif", "tif", "tif"};
}

// The export module is beside the program.
std::string ModuleFolderOf(const TFormVeltra& form)
{
    return ProgramFolder(form.Executable());
}

std::string FamilyOf(const std::string& fileExt)
{
    if (fileExt == ".L1C")
        return "AAPP Level 1c";
    if (fileExt == ".L1D")
        return "AAPP Level 1d";
    return "NOAA Level 1b";
}

// The picture is opaque where a footprint was drawn or anything else than the background.
std::vector<std::uint8_t> OpaquePixels(const TFormVeltra& form)
{
    const std::vector<std::int32_t> footprints = FootprintAtEachPixel(form);
    const TRasterCanvas& map = form.MapBitmap();
    const TColour background = form.StoredChoices().Background;
    std::vector<std::uint8_t> opaque(footprints.size());
    for (std::size_t i = 0; i < opaque.size(); ++i) {
        const int x = static_cast<int>(i % static_cast<std::size_t>(map.Width()));
        const int y = static_cast<int>(i / static_cast<std::size_t>(map.Width()));
        opaque[i] = footprints[i] >= 0 || map.Pixel(x, y) != background ? 255 : 0;
    }
    return opaque;
}

// The values of the footprints drawn at each pixel: their brightness temperatures (the visible
// channel's albedo), NaN where none was drawn.
std::vector<std::uint8_t> ValueBytes(const TFormVeltra& form, const std::string& fileName,
                                     const std::string& program)
{
    const TExportMetadata m = ExportMetadataOf(form, program);
    const std::vector<std::int32_t> footprints = FootprintAtEachPixel(form);
    std::vector<float> values(footprints.size(), std::numeric_limits<float>::quiet_NaN());
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::int32_t f = footprints[i];
        if (f >= 0)
            values[i] =
                m.Albedo ? m.Values[static_cast<std::size_t>(f)] : form.Samples[f].Temperature;
    }
    TValueBand band;
    band.Unit = m.Albedo ? "%" : "K";
    band.Description = m.Albedo                   ? "albedo"
                       : m.DifferenceChannel != 0 ? "brightness temperature difference"
                                                  : "brightness temperature";
    band.Metadata = {{"SATELLITE", m.Platform},
                     {"SENSOR", m.Instrument},
                     {"CHANNEL", std::to_string(m.Channel)},
                     {"CHANNEL_DESCRIPTION", form.ChannelCaption()},
                     {"QUANTITY", band.Description},
                     {"UNITS", band.Unit}};
    if (m.DifferenceChannel != 0)
        band.Metadata.emplace_back("CHANNEL_B", std::to_string(m.DifferenceChannel));
    if (m.CentralFrequency != 0)
        band.Metadata.emplace_back("CENTRAL_FREQUENCY_GHZ", Format("%.4f", m.CentralFrequency));
    else if (m.CentralWavenumber != 0)
        band.Metadata.emplace_back("CENTRAL_WAVENUMBER_PER_CM",
                                   Format("%.4f", m.CentralWavenumber));
    return ValueGeoTiffFileBytes(values, *form.Mapping, band, fileName, ModuleFolderOf(form));
}

} // namespace

std::vector<std::int32_t> FootprintAtEachPixel(const TFormVeltra& form)
{
    const TRasterCanvas& map = form.MapBitmap();
    // The footprints painted in colours that number them, 0 for none.
    TRasterCanvas numbers(nullptr, map.Width(), map.Height(), 0);
    constexpr std::int32_t MostNumbered = 0xFFFFFE;
    const std::int32_t count =
        std::min({form.Samples.SampleCount(), form.Drawn.Count(), MostNumbered});
    std::vector<TColour> colours;
    for (std::int32_t i = 0; i < count; ++i)
        colours.push_back(static_cast<TColour>(i + 1));
    PaintFilledFootprints(numbers, *form.Mapping, form.Samples, colours);
    for (std::int32_t i = 0; i < count; ++i) {
        const TDrawnFootprint& at = form.Drawn[i];
        numbers.FillRect(at.X, at.Y, at.X + 1, at.Y + 1, colours[static_cast<std::size_t>(i)]);
    }
    std::vector<std::int32_t> owners;
    owners.reserve(static_cast<std::size_t>(map.Width()) * static_cast<std::size_t>(map.Height()));
    for (int y = 0; y < map.Height(); ++y)
        for (int x = 0; x < map.Width(); ++x)
            owners.push_back(static_cast<std::int32_t>(numbers.Pixel(x, y)) - 1);
    return owners;
}

TExportMetadata ExportMetadataOf(const TFormVeltra& form, const std::string& program)
{
    return ExportMetadataOf(form, program, LineInstrumentOf(form.Samples));
}

TExportMetadata ExportMetadataOf(const TFormVeltra& form, const std::string& program,
                                 TLineInstrument lines)
{
    TExportMetadata m;
    std::string channel;
    if (form.SelectedChannelCaption(channel))
        m.Channel = std::atoi(channel.c_str());
    m.Platform = form.SatelliteName();
    // AMSU-B and MHS share the sensor tab; the lines say which instrument scanned them.
    m.Instrument = lines == TLineInstrument::Mhs ? "MHS" : form.SensorName();
    m.Albedo = m.Instrument == "HIRS" && m.Channel == HirsVisibleChannel;
    m.Title = m.Platform + " " + m.Instrument + " channel " + std::to_string(m.Channel) +
              (m.Albedo ? " albedo" : " brightness temperatures");
    m.DifferenceChannel = form.DifferenceChannel();
    if (m.DifferenceChannel != 0)
        m.Title = m.Platform + " " + m.Instrument + " " + form.ChannelCaption() +
                  " brightness temperature differences";
    const TArchiveSummary& archive = form.ArchiveSummary();
    m.Institution = archive.ProcessingCentre;
    m.Source = m.Instrument + " " + FamilyOf(form.FileExt()) + " data";
    if (!archive.Station.empty())
        m.Source += ", acquired at " + archive.Station;
    if (m.Albedo) {
        // The value drawn for each footprint, as an albedo (VisibleAlbedo).
        const bool level1b = form.FileExt().rfind(".L1B", 0) == 0;
        const std::int32_t count = std::min(form.Samples.SampleCount(), form.Drawn.Count());
        for (std::int32_t i = 0; i < count; ++i)
            m.Values.push_back(VisibleAlbedo(form.Drawn[i].Value, level1b));
    }
    m.History = "Written by " + program + " " + VELTRA_VERSION;
    m.CentralWavenumber = form.ChannelWavenumber();
    // The program's own rule: 30 GHz per wavenumber, as the channel captions give it.
    if (form.SensorName().rfind("AMSU", 0) == 0)
        m.CentralFrequency = 30.0 * form.ChannelWavenumber();
    // The samples' stream index counts the streams of the pass, openable or not. The names go
    // without the user's folders, and one a line with nothing in a name taken for a line break.
    for (int i = 0; i < form.Streams.Count(); ++i) {
        const std::string& name = form.Streams.FileName(i);
        m.InputFiles.push_back(EscapeControls(name.substr(name.find_last_of('/') + 1)));
    }
    return m;
}

TGridReader GridReaderFor(const TFormVeltra& form)
{
    const std::string folder = ModuleFolderOf(form);
    return [&form, folder](TStream& stream, TGridComposite& grid, std::string& reason) {
        TGridProduct product;
        if (!ReadGridFile(stream, product, reason, folder))
            return false;
        std::string channel;
        form.SelectedChannelCaption(channel);
        if (product.Metadata.Instrument != form.SensorName() ||
            std::to_string(product.Metadata.Channel) != channel) {
            reason = "a grid of " + product.Metadata.Instrument + " channel " +
                     std::to_string(product.Metadata.Channel) + ", not of " + form.SensorName() +
                     " channel " + channel;
            return false;
        }
        return AddGridProduct(grid, product, reason);
    };
}

bool ExportAvailable(const TFormVeltra& form, TExportKind kind)
{
    if (kind == TExportKind::GeoTiff)
        return form.SaveAsEnabled;
    if (kind == TExportKind::GeoTiffValues)
        return form.SaveAsEnabled && form.SaveRawEnabled;
    if (kind == TExportKind::NetCdfAllChannels)
        return form.SaveAsEnabled && form.Streams.Count() > 0 &&
               !SensorChannels(form.SensorName()).empty();
    return form.SaveRawEnabled;
}

std::vector<std::uint8_t> ExportBytes(TFormVeltra& form, TExportKind kind,
                                      const std::string& fileName, const std::string& program)
{
    switch (kind) {
    case TExportKind::NetCdf:
        if (form.CompositeOpen && form.Composite.Grid) {
            TExportMetadata metadata = ExportMetadataOf(form, program);
            metadata.Title = metadata.Platform + " " + metadata.Instrument + " channel " +
                             std::to_string(metadata.Channel) + " " +
                             CompositeRuleName(form.Composite.Grid->Rule()) + " composite";
            metadata.Values.clear();
            return GridNetCdfFileBytes(*form.Composite.Grid, metadata, fileName,
                                       ModuleFolderOf(form));
        }
        return NetCdfFileBytes(form.Samples, ExportMetadataOf(form, program), fileName,
                               ModuleFolderOf(form));
    case TExportKind::Csv: {
        const std::string text = CsvText(form.Samples, form.DifferenceChannel() != 0);
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }
    case TExportKind::GeoTiffValues: return ValueBytes(form, fileName, program);
    case TExportKind::NetCdfAllChannels:
        return SwathFileBytes(SwathOf(form, program), fileName, ModuleFolderOf(form));
    case TExportKind::GeoTiff: break;
    }
    return GeoTiffFileBytes(form.MapBitmap().Rgb(), OpaquePixels(form), *form.Mapping, fileName,
                            ModuleFolderOf(form));
}

TOutputNeeds ExportNeeds(TExportKind kind)
{
    return kind == TExportKind::Csv ? TOutputNeeds::Stream : TOutputNeeds::RegularFile;
}

void SaveExport(TFormVeltra& form, TExportKind kind, const std::string& fileName,
                const std::string& program)
{
    WriteOutput(fileName, ExportBytes(form, kind, fileName, program), ExportNeeds(kind));
}

void MenuFileExportClick(TFormVeltra& form, TVeltraView& view, TExportKind kind)
{
    if (!ExportAvailable(form, kind) || form.PictureFileName.empty())
        return;
    const TExportFormat format = FormatOf(kind);
    TSaveDialogRequest request;
    request.Filter = format.Filter;
    request.DefaultExtension = format.Extension;
    // Beside the picture: "x.l1b.jpg" gives "x.l1b.nc".
    const std::string& picture = form.PictureFileName;
    request.FileName = picture.substr(0, picture.rfind('.') + 1) + format.Suffix;
    if (!view.ExecuteSaveDialog(request))
        return;
    try {
        SaveExport(form, kind, request.FileName, TFormVeltra::ProductName);
    } catch (const ENoGeoReference& e) {
        view.ShowError(e.what());
    } catch (const ENoExportModule& e) {
        view.ShowError(e.what());
    } catch (const EWriteError& e) {
        view.ShowError(std::string("Error writing ") + format.Name + " to " + request.FileName +
                       (e.Reason().empty() ? "" : ": " + e.Reason()));
    }
}

} // namespace veltra
