#pragma once
// Outline overlays: coastlines, country borders or a recorded track, held as polylines in
// geographic coordinates and drawn through the current map projection on top of the sounder
// footprints.
//
// One file feeds the list; its format is told from its first four bytes and its name:
//  - the minute format (this program's own "Countries.dat"): records of int32 N, byte Kind and
//    N pairs of int16 longitude, latitude in minutes of arc, all little-endian;
//  - GSHHS shorelines (a zero polygon id first), big- or little-endian, 36-, 40- or 44-byte
//    polygon headers, points as int32 millionths of a degree;
//  - GPX track files (extension ".gpx"), read line by line;
//  - a tab-separated text format starting "# -b", read only when AcceptText is set.
// Every reader works on the whole file held in memory (files up to 256 MiB) and never reads
// past its end; a malformed or truncated file ends the load silently, keeping the polylines
// completed so far. Polylines without points are not kept, so the memory a file takes follows
// the points it draws.
//
// A file is read and parsed once per process: every list that loads it shares the same
// immutable polylines, whichever thread loads it. Each list keeps the pixel polylines of its
// last drawing, so drawing again with an unchanged view (the projection's view stamp, the
// polylines, the culling window and the offsets) only hands them to the canvas again. A list
// belongs to one thread at a time.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/Canvas.h"
#include "base/Executable.h"
#include "base/Projector.h"

namespace veltra {

// One point of a polyline, degrees, longitude first as in the files.
struct TLonLat {
    float Lon = 0;
    float Lat = 0;
};

// One polyline with its bounding box, which AddPoint keeps.
class TLineSegment {
public:
    float MaxLat = -2147483648.0f;
    float MinLat = 2147483648.0f;
    float MaxLon = -2147483648.0f;
    float MinLon = 2147483648.0f;
    // Set when a longitude bound past 180 was brought back by 360 degrees: the longitudes of
    // the box then no longer bound the points.
    bool LongitudesShifted = false;
    std::int32_t Count = 0;
    // Drawing class: the value with its lowest bit cleared must be 0, 4 or 8 for the polyline
    // to be drawn. 1 for polylines from GSHHS, GPX and text files.
    std::uint8_t Kind = 1;
    std::vector<TLonLat> Points;

    // Appends a point, extending the bounding box and Count.
    void AddPoint(float lon, float lat);
    // Extends the bounding box over the points from index first on, and sets Count: for points
    // stored into Points directly.
    void TakeInPoints(std::size_t first);
};

// The App Paths look-up of the settings store: value name in, full path out ("" for none).
using TAppPathLookup = std::function<std::string(const std::string&)>;

class TCartogList {
public:
    static constexpr int InitialCapacity = 1500;
    static constexpr int CapacityStep = 5000;
    // The longest polyline handed to the canvas in one call.
    static constexpr int MaxPolylinePoints = 16000;
    // Projection kind whose whole-world outline makes the jump threshold half the map width.
    static constexpr std::uint8_t VanDerGrintenKind = 12;
    // The largest outline file read, far above any coastline database; a larger one (or a
    // sparse file of gigabytes) is not read at all.
    static constexpr std::uintmax_t MaxFileSize = 256 * 1024 * 1024;

    // Looks for "Countries.dat": first in the folder of the tracking program Zephano, as the
    // App Paths look-up reports it, then in executableFolder. CountriesFile stays empty when
    // neither exists. Nothing is loaded yet: the owner calls LoadFromFile(CountriesFile).
    explicit TCartogList(TAppPathLookup appPathLookup = {},
                         const std::string& executableFolder = ProgramFolder());
    virtual ~TCartogList();
    TCartogList(const TCartogList&) = delete;
    TCartogList& operator=(const TCartogList&) = delete;

    // The projection used for drawing; not owned.
    const TProjector* Mapping = nullptr;
    // Culling window in degrees; not in use while South equals North.
    float South = 0, North = 0, West = 0, East = 0;
    std::string CountriesFile;
    // The largest Count of any polyline loaded since the last Clear.
    std::int32_t MaxPoints = 0;
    // Closes every polyline back to its first visible pixel when drawn.
    bool CloseRings = true;
    // Whether files of the text format are loaded.
    bool AcceptText = false;

    // Appends a segment (owned from now on) and returns its index.
    int Add(std::unique_ptr<TLineSegment> segment);
    // Frees every segment and sets MaxPoints to 0. The reserved capacity stays.
    virtual void Clear();
    int Count() const { return static_cast<int>(segments_.size()); }
    // Entries reserved; grows in steps of CapacityStep and is trimmed to Count after a load.
    int Capacity() const { return capacity_; }
    const TLineSegment& Items(int index) const { return *segments_.at(static_cast<size_t>(index)); }

    // Iteration with an integer cursor: nullptr past the end.
    const TLineSegment* FirstSegment(int& cursor) const;
    const TLineSegment* NextSegment(int& cursor) const;

    // Reads the whole file and loads it by its format. A missing or unreadable file loads
    // nothing, and so does one larger than MaxFileSize, which sets LoadProblem. A file already
    // loaded in this process, unchanged in size and modification time, is not read again: its
    // polylines are shared.
    void LoadFromFile(const std::string& fileName);
    // Reads and parses a file as LoadFromFile would, for a LoadFromFile of it to come, maybe on
    // another thread: that one then finds it parsed, or waits for the parse to end. The list
    // is left as it is, and nothing is told: a file that cannot be read is read again then.
    static void ReadAhead(const std::string& fileName, bool acceptText);
    // Why the last LoadFromFile loaded nothing, for the user ("F: outline file larger than
    // 256 MiB, not loaded"); empty when nothing is to be told.
    std::string LoadProblem;
    // Whether LoadFromFile would read the file at all: false, with LoadProblem set, for one
    // larger than MaxFileSize; LoadProblem is cleared otherwise.
    bool WithinSizeLimit(const std::string& fileName);
    // The same for a file already held in memory; fileName only gives the extension.
    void LoadFromBytes(std::span<const std::uint8_t> bytes, const std::string& fileName);

    // The readers, each given the whole file from its first byte. They raise on malformed
    // input; LoadFromBytes turns that into a silent end of the load.
    virtual void LoadGPX(std::span<const std::uint8_t> bytes);
    virtual void LoadGSHHS(std::span<const std::uint8_t> bytes);
    virtual void LoadTextSegments(std::span<const std::uint8_t> bytes);
    virtual void LoadMinuteSegments(std::span<const std::uint8_t> bytes);

    // Draws every polyline with the canvas's current pen; nothing without a projection or
    // polylines. offsetX is added to every pixel's X, offsetY subtracted from its Y.
    void Draw(TCanvas* bitmap, int offsetX, int offsetY) const;
    void DrawOnCanvas(TCanvas& canvas, int offsetX, int offsetY) const;
    // Projects the polylines for the present view and offsets, as the next drawing with them
    // would, unless that is done already: the drawing then only hands them to the canvas. It
    // reads the projection, and may run on another thread while nothing else uses the list.
    void Prepare(int offsetX, int offsetY) const;
    // Prepares the polylines and draws them on scratch, a surface of the size of the one they
    // are meant for with the pen they will be drawn with, keeping the pixels they paint: the
    // next drawing on such a surface only writes those pixels again. Like Prepare, it may run
    // on another thread while nothing else uses the list.
    void Rehearse(TCanvas& scratch, int offsetX, int offsetY) const;

private:
    using TSharedSegment = std::shared_ptr<const TLineSegment>;
    enum class TFormat;
    static TFormat FormatOf(std::span<const std::uint8_t> bytes, const std::string& fileName,
                            bool acceptText);
    // What loading one file's bytes gives, whatever the list held before.
    struct TLoaded;
    static std::shared_ptr<const TLoaded> Parse(std::span<const std::uint8_t> bytes,
                                                const std::string& fileName, bool acceptText);
    // Whether the file is a regular one larger than MaxFileSize.
    static bool LargerThanLimit(const std::string& fileName);
    // The process-wide copy of a file's polylines; null when it cannot be read.
    static std::shared_ptr<const TLoaded> SharedLoad(const std::string& fileName, bool acceptText);
    void Apply(const TLoaded& loaded);
    int AddShared(TSharedSegment segment);
    void AddLoaded(TSharedSegment segment);
    void TrimCapacity();
    bool Culled(const TLineSegment& segment) const;
    // Whether the projection shows none of the segment's points, by its bounding box.
    bool OutOfReach(const TLineSegment& segment) const;
    void Project(int offsetX, int offsetY) const;
    // Hands the projected polylines to the canvas; with record, keeps the pixels they paint in
    // projected_.Painted, when the canvas can record them.
    void PaintCalls(TCanvas& canvas, bool record) const;

    std::vector<TSharedSegment> segments_;
    int capacity_ = 0;
    // Bumped by every change of the polylines.
    std::uint64_t contents_ = 0;

    // The pixel polylines of the last drawing, as the canvas calls that draw them, what they
    // were projected for, and the pixels those calls painted on the canvas, when it could
    // record them: an unchanged view repaints those pixels without walking the lines. The
    // pixels are recorded on the second drawing of a view, so a program that draws once
    // keeps no recording.
    struct TProjected {
        TPixelRecording Painted;
        int Drawings = 0;
        std::vector<TPoint> Points;
        std::vector<std::pair<std::size_t, int>> Calls; // first point, point count
        const TProjector* Mapping = nullptr;
        std::uint64_t ViewStamp = 0, Contents = 0;
        float South = 0, North = 0, West = 0, East = 0;
        int OffsetX = 0, OffsetY = 0;
        bool CloseRings = false;
    };
    mutable TProjected projected_;
};

} // namespace veltra
