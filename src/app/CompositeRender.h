#pragma once
// The render pass of a composite: every input decoded into accumulators (composite/Composite.h)
// instead of onto the map, passes in time order, on several threads, each with accumulators of
// its own, merged at the end. Inputs are passes of one sensor (any family, plain or bzip2) and
// grids this program wrote, which go into the grid as they are.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/Stream.h"
#include "composite/Composite.h"
#include "formats/ArchiveHeader.h"
#include "formats/DecodeStream.h"
#include "imaging/Palette.h"

namespace veltra {

class TProjector;

// Reads a grid file this program wrote into the grid (its rule and step must be the grid's);
// false, with the reason, when the stream is not such a grid.
using TGridReader = std::function<bool(TStream& stream, TGridComposite& grid, std::string& reason)>;

// One input of a composite, as the render pass decodes it.
struct TCompositeInput {
    std::string FileName;
    std::string FileExt; // upper case, the inner one for a bzip2 file
    TStream* Stream = nullptr;
};

struct TCompositeSettings {
    TCompositeRule Rule = TCompositeRule::Latest;
    // Scan lines kept: From <= time < To (ms since 1970), each when given.
    std::optional<std::int64_t> From, To;
    int Jobs = 1;        // passes decoded at once
    double GridStep = 0; // 0: no grid
    std::string SensorName, ChannelCaption, BaseCaption;
    bool HirsCountOffset = false;
    bool MaskFlaggedLines = false; // the footprints FootprintHidden marks are left out
    TPaletteKind Palette = TPaletteKind::Thermal;
    double MinTemp = 0, MaxTemp = 0;
    const TProjector* Projection = nullptr; // the map's; read by every thread
    int Width = 0, Height = 0;              // of the map bitmap
    TGridReader ReadGrid;
};

// What one input gave.
struct TCompositePass {
    TStreamOutcome Outcome;
    bool IsGrid = false;
    std::string GridProblem; // why a grid file could not be read
    std::string Satellite, ChannelCaption, SatelliteLabel, SatelliteLabelHint, WindowCaption;
    double ChannelWavenumber = 0;
    TArchiveSummary Archive;
    bool HasArchive = false;
    std::vector<std::string> DiagnosticLines;
    TPassTimes Times;
    std::uint64_t Footprints = 0;
    // Of the scan lines composited: those flagged (LineFlagged) and those whose footprints
    // masking hides (FootprintHidden), whether or not it did.
    std::int32_t FlaggedLines = 0, MaskedLines = 0;
};

struct TCompositeResult {
    std::vector<TCompositePass> Inputs; // by input
    std::vector<std::size_t> TimeOrder; // the inputs in the order they were composited
    int Passes = 0;                     // inputs that gave at least one scan line or grid cell
    std::uint64_t Footprints = 0;       // every footprint composited (grid cells: their counts)
    int DuplicateLines = 0;             // scan lines left out as copies of another input's
    std::unique_ptr<TPixelComposite> Pixels;
    std::unique_ptr<TGridComposite> Grid;
};

// The HDF5 signature at the start of a NetCDF-4 file: such an input is taken for a grid.
bool LooksLikeGrid(TStream& stream);

// Decodes every input into a composite. Failures of one input are in its outcome; the others
// go on.
TCompositeResult RenderComposite(const std::vector<TCompositeInput>& inputs,
                                 const TCompositeSettings& settings);

} // namespace veltra
