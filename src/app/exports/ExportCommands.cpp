#include "app/exports/ExportCommands.h"

#include <algorithm>

#include "app/VeltraForm.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/Executable.h"
#include "base/Format.h"
#include "export/CsvExport.h"
#include "export/ExportModule.h"
#include "export/GeoTiffExport.h"
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
};

TExportFormat FormatOf(TExportKind kind)
{
    switch (kind) {
    case TExportKind::NetCdf: return {"NetCDF", "NetCDF files (*.nc)|*.nc", "nc"};
    case TExportKind::Csv: return {"CSV", "CSV files (*.csv)|*.csv", "csv"};
    case TExportKind::GeoTiff: break;
    }
    return {"GeoTIFF", "GeoTIFF files (*.tif)|*.tif", "tif"};
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

} // namespace

TExportMetadata ExportMetadataOf(const TFormVeltra& form, const std::string& program)
{
    TExportMetadata m;
    std::string channel;
    if (form.SelectedChannelCaption(channel))
        m.Channel = std::atoi(channel.c_str());
    m.Platform = form.SatelliteName();
    m.Instrument = form.SensorName();
    m.Albedo = m.Instrument == "HIRS" && m.Channel == HirsVisibleChannel;
    m.Title = m.Platform + " " + m.Instrument + " channel " + std::to_string(m.Channel) +
              (m.Albedo ? " albedo" : " brightness temperatures");
    const TArchiveSummary& archive = form.ArchiveSummary();
    m.Institution = archive.ProcessingCentre;
    m.Source = m.Instrument + " " + FamilyOf(form.FileExt()) + " data";
    if (!archive.Station.empty())
        m.Source += ", acquired at " + archive.Station;
    if (m.Albedo) {
        // The value drawn for each footprint: the albedo in percent of a Level 1b file; an
        // AAPP file stores the visible channel as 20 times its grey level, that is 51 times
        // the albedo in percent (grey = albedo x 2.55 in both families).
        const bool level1b = form.FileExt().rfind(".L1B", 0) == 0;
        const std::int32_t count = std::min(form.Samples.SampleCount(), form.Drawn.Count());
        for (std::int32_t i = 0; i < count; ++i)
            m.Values.push_back(level1b ? form.Drawn[i].Value : form.Drawn[i].Value / 51.0f);
    }
    m.History = "Written by " + program + " " + VELTRA_VERSION;
    m.CentralWavenumber = form.ChannelWavenumber();
    // The program's own rule: 30 GHz per wavenumber, as the channel captions give it.
    if (m.Instrument.rfind("AMSU", 0) == 0)
        m.CentralFrequency = 30.0 * form.ChannelWavenumber();
    // The samples' stream index counts the streams of the pass, openable or not. The names go
    // without the user's folders, and one a line with nothing in a name taken for a line break.
    for (int i = 0; i < form.Streams.Count(); ++i) {
        const std::string& name = form.Streams.FileName(i);
        m.InputFiles.push_back(EscapeControls(name.substr(name.find_last_of('/') + 1)));
    }
    return m;
}

bool ExportAvailable(const TFormVeltra& form, TExportKind kind)
{
    if (kind == TExportKind::GeoTiff)
        return form.SaveAsEnabled;
    return form.SaveRawEnabled;
}

std::vector<std::uint8_t> ExportBytes(TFormVeltra& form, TExportKind kind,
                                      const std::string& fileName, const std::string& program)
{
    switch (kind) {
    case TExportKind::NetCdf:
        return NetCdfFileBytes(form.Samples, ExportMetadataOf(form, program), fileName,
                               ModuleFolderOf(form));
    case TExportKind::Csv: {
        const std::string text = CsvText(form.Samples);
        return std::vector<std::uint8_t>(text.begin(), text.end());
    }
    case TExportKind::GeoTiff: break;
    }
    return GeoTiffFileBytes(form.MapBitmap().Rgb(), *form.Mapping, fileName, ModuleFolderOf(form));
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
    request.FileName = picture.substr(0, picture.rfind('.') + 1) + format.Extension;
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
