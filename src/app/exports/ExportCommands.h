#pragma once
// The exports of what the viewer shows: the displayed channel's footprints as NetCDF-CF or
// CSV, the map picture as a georeferenced GeoTIFF and the values drawn as one, and every channel
// of the selected sensor as one NetCDF-CF swath. The window's File > Export menu and
// veltra-render both come here, so the files are the same from either.
#include <cstdint>
#include <string>
#include <vector>

#include "app/CompositeRender.h"
#include "base/AtomicFile.h"
#include "export/NetCdfExport.h"

namespace veltra {

class TFormVeltra;
class TVeltraView;

enum class TExportKind { NetCdf, Csv, GeoTiff, GeoTiffValues, NetCdfAllChannels };

// For each pixel of the map, row by row, the index in the sample list of the footprint drawn
// there, or -1: each footprint's cell (the quadrilateral reaching halfway to its neighbours,
// as View > Fill footprints paints it) in drawing order, and over them each footprint's own
// pixel, so the pixel a footprint lies on is its own unless a later one lies there too.
std::vector<std::int32_t> FootprintAtEachPixel(const TFormVeltra& form);

// The global attributes of the NetCDF file; `program` names the writer in its history. The
// instrument is the sensor's name, or "MHS" when the scan lines (those of the last render pass,
// or `lines`) are an MHS instrument's.
TExportMetadata ExportMetadataOf(const TFormVeltra& form, const std::string& program);
TExportMetadata ExportMetadataOf(const TFormVeltra& form, const std::string& program,
                                 TLineInstrument lines);

// Whether there is something to export: footprints, for the GeoTIFF a picture, for all
// channels a render pass of a sensor.
bool ExportAvailable(const TFormVeltra& form, TExportKind kind);

// The file of one export; fileName only names it in messages. Raises as SaveExport.
std::vector<std::uint8_t> ExportBytes(TFormVeltra& form, TExportKind kind,
                                      const std::string& fileName, const std::string& program);
// What the export needs of its target: NetCDF and GeoTIFF a regular file.
TOutputNeeds ExportNeeds(TExportKind kind);

// Writes one export as outputs are written (WriteOutput: a regular file is replaced
// atomically). Raises EWriteError when it cannot be written (ENoGeoReference for a projection
// without a coordinate reference system).
void SaveExport(TFormVeltra& form, TExportKind kind, const std::string& fileName,
                const std::string& program);

// How a composite reads grid files among its inputs: with the export module beside the
// program, for the form's sensor and channel (TFormVeltra::GridReader).
TGridReader GridReaderFor(const TFormVeltra& form);

// File > Export > "NetCDF...", "CSV...", "GeoTIFF...", "GeoTIFF of values...", "NetCDF, all
// channels...": asks for a file name (preset beside the data file) and writes it; a failure is
// shown as an error.
void MenuFileExportClick(TFormVeltra& form, TVeltraView& view, TExportKind kind);

} // namespace veltra
