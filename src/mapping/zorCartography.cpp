#include "mapping/zorCartography.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <map>
#include <mutex>
#include <string_view>
#include <system_error>

#include "base/Errors.h"
#include "base/Failure.h"
#include "base/Stream.h"

namespace veltra {

namespace {

using TBytes = std::span<const std::uint8_t>;

// The first four bytes of a file, read as a little-endian int32, that pick the format.
constexpr std::uint32_t GshhsMagic = 0;          // the id 0 of the first GSHHS polygon
constexpr std::uint32_t TextMagic = 0x622D2023u; // "# -b"

// GSHHS polygon header: 32-bit words; the points that follow are pairs of 32-bit words,
// longitude then latitude, in millionths of a degree.
constexpr std::size_t GshhsProbeSize = 44;
constexpr std::size_t GshhsCountOffset = 4;
constexpr std::size_t GshhsFlagOffset = 8; // level in bits 0-7, version in bits 8-15
constexpr std::size_t GshhsAreaOffset = 28;
constexpr std::size_t GshhsVersionWordOffset = 32; // 3 in the 40-byte header of version 3
constexpr std::size_t GshhsPointSize = 8;
// A little-endian count above this tells a byte-swapped file: no polygon has that many points.
constexpr std::uint32_t GshhsSwapThreshold = 2000000;
// Lakes (level 2) smaller than this area are left out.
constexpr std::uint32_t GshhsMinLakeArea = 100;

// Minute format record: int32 N, byte Kind, then N × (int16 lon, int16 lat) minutes of arc.
constexpr std::size_t MinutePointSize = 4;

std::uint32_t LittleEndian32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t BigEndian32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[3]) | static_cast<std::uint32_t>(p[2]) << 8 |
           static_cast<std::uint32_t>(p[1]) << 16 | static_cast<std::uint32_t>(p[0]) << 24;
}

std::int16_t LittleEndian16(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

// Reads forward through bytes held in memory; a read that does not fit raises EReadError.
class TByteCursor {
public:
    explicit TByteCursor(TBytes bytes) : bytes_(bytes) {}

    std::size_t Position() const { return position_; }
    std::size_t Remaining() const { return bytes_.size() - position_; }
    bool AtEnd() const { return position_ == bytes_.size(); }

    const std::uint8_t* Take(std::size_t count)
    {
        if (count > Remaining())
            throw EReadError();
        const std::uint8_t* p = bytes_.data() + position_;
        position_ += count;
        return p;
    }

private:
    TBytes bytes_;
    std::size_t position_ = 0;
};

// The lines of a text, one at a time, split at CR, LF or CR LF; a final line needs no line
// break. Nothing is kept per line, so a file of millions of empty lines costs no memory.
class TLineReader {
public:
    explicit TLineReader(TBytes bytes)
        : text_(reinterpret_cast<const char*>(bytes.data()), bytes.size())
    {
    }

    bool AtEnd() const { return start_ >= text_.size(); }

    std::string_view Next()
    {
        const std::size_t end = text_.find_first_of("\r\n", start_);
        if (end == std::string_view::npos) {
            const std::string_view line = text_.substr(start_);
            start_ = text_.size();
            return line;
        }
        const std::string_view line = text_.substr(start_, end - start_);
        start_ = end + 1;
        if (text_[end] == '\r' && start_ < text_.size() && text_[start_] == '\n')
            ++start_;
        return line;
    }

private:
    std::string_view text_;
    std::size_t start_ = 0;
};

// Drops spaces and control characters at both ends.
std::string_view Trim(std::string_view s)
{
    std::size_t begin = 0, end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= ' ')
        --end;
    return s.substr(begin, end - begin);
}

std::string TrimLower(std::string_view s)
{
    std::string out(Trim(s));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// A decimal number with "." as separator whatever the locale: optional sign, digits, optional
// fraction and exponent, surrounding blanks allowed. False for anything else, and for values
// outside the single-precision range.
bool ParseNumber(std::string_view text, float& value)
{
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const std::string_view digits = !text.empty() && text.front() == '-' ? text.substr(1) : text;
    if (digits.empty() ||
        !(std::isdigit(static_cast<unsigned char>(digits.front())) || digits.front() == '.'))
        return false; // also refuses "inf" and "nan"
    double parsed = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), parsed, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size())
        return false;
    if (!(std::fabs(parsed) <= std::numeric_limits<float>::max()))
        return false;
    value = static_cast<float>(parsed);
    return true;
}

// The value of an attribute opened by `opening` (five characters such as lat=" ), cut at the
// next double quote within the 99 characters after the opening.
bool AttributeNumber(const std::string& line, std::string_view opening, float& value)
{
    const std::size_t at = line.find(opening);
    if (at == std::string::npos)
        return false;
    const std::string_view rest = std::string_view(line).substr(at + opening.size()).substr(0, 99);
    const std::size_t quote = rest.find('"');
    if (quote == std::string_view::npos)
        return false;
    return ParseNumber(rest.substr(0, quote), value);
}

std::string UpperExtension(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of('/');
    const std::size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = fileName.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return ext;
}

// GSHHS and GPX longitudes may run from 0 to 360; the box is brought back towards [-180, 180].
void ReduceLongitudeBox(TLineSegment& segment)
{
    if (segment.MaxLon > 180 || segment.MinLon > 180)
        segment.LongitudesShifted = true;
    if (segment.MaxLon > 180)
        segment.MaxLon -= 360;
    if (segment.MinLon > 180)
        segment.MinLon -= 360;
}

bool IsFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

constexpr const char* CountriesFileName = "Countries.dat";

} // namespace

void TLineSegment::AddPoint(float lon, float lat)
{
    Points.push_back({lon, lat});
    TakeInPoints(Points.size() - 1);
}

void TLineSegment::TakeInPoints(std::size_t first)
{
    float maxLat = MaxLat, minLat = MinLat, maxLon = MaxLon, minLon = MinLon;
    for (std::size_t i = first; i < Points.size(); ++i) {
        maxLat = std::max(maxLat, Points[i].Lat);
        minLat = std::min(minLat, Points[i].Lat);
        maxLon = std::max(maxLon, Points[i].Lon);
        minLon = std::min(minLon, Points[i].Lon);
    }
    MaxLat = maxLat, MinLat = minLat, MaxLon = maxLon, MinLon = minLon;
    Count = static_cast<std::int32_t>(Points.size());
}

TCartogList::TCartogList(TAppPathLookup appPathLookup, const std::string& executableFolder)
{
    capacity_ = InitialCapacity;
    segments_.reserve(static_cast<size_t>(capacity_));

    const std::string zephano = appPathLookup ? appPathLookup("Zephano") : std::string();
    if (!zephano.empty()) {
        const std::size_t slash = zephano.find_last_of('/');
        const std::string folder =
            slash == std::string::npos ? std::string() : zephano.substr(0, slash + 1);
        if (IsFile(folder + CountriesFileName)) {
            CountriesFile = folder + CountriesFileName;
            return;
        }
    }
    if (!executableFolder.empty()) {
        std::string folder = executableFolder;
        if (folder.back() != '/')
            folder += '/';
        if (IsFile(folder + CountriesFileName))
            CountriesFile = folder + CountriesFileName;
    }
}

TCartogList::~TCartogList() = default;

int TCartogList::Add(std::unique_ptr<TLineSegment> segment)
{
    return AddShared(std::move(segment));
}

int TCartogList::AddShared(TSharedSegment segment)
{
    segments_.push_back(std::move(segment));
    ++contents_;
    if (Count() >= capacity_) {
        capacity_ += CapacityStep;
        segments_.reserve(static_cast<size_t>(capacity_));
    }
    return Count() - 1;
}

void TCartogList::Clear()
{
    segments_.clear();
    ++contents_;
    MaxPoints = 0;
}

const TLineSegment* TCartogList::FirstSegment(int& cursor) const
{
    cursor = 1;
    return segments_.empty() ? nullptr : segments_.front().get();
}

const TLineSegment* TCartogList::NextSegment(int& cursor) const
{
    const int index = cursor++;
    return index >= 0 && index < Count() ? segments_[static_cast<size_t>(index)].get() : nullptr;
}

void TCartogList::AddLoaded(TSharedSegment segment)
{
    MaxPoints = std::max(MaxPoints, segment->Count);
    AddShared(std::move(segment));
}

void TCartogList::TrimCapacity()
{
    capacity_ = Count();
    segments_.shrink_to_fit();
}

// The format of a file: by its first four bytes, then by its name.
enum class TCartogList::TFormat { None, Gshhs, Text, Gpx, Minute };

TCartogList::TFormat TCartogList::FormatOf(std::span<const std::uint8_t> bytes,
                                           const std::string& fileName, bool acceptText)
{
    if (bytes.size() < 4)
        return TFormat::None;
    const std::uint32_t magic = LittleEndian32(bytes.data());
    if (magic == GshhsMagic)
        return TFormat::Gshhs;
    if (magic == TextMagic)
        return acceptText ? TFormat::Text : TFormat::None;
    if (UpperExtension(fileName) == ".GPX")
        return TFormat::Gpx;
    return TFormat::Minute;
}

bool TCartogList::LargerThanLimit(const std::string& fileName)
{
    std::error_code error;
    return !fileName.empty() && std::filesystem::is_regular_file(fileName, error) &&
           std::filesystem::file_size(fileName, error) > MaxFileSize && !error;
}

bool TCartogList::WithinSizeLimit(const std::string& fileName)
{
    LoadProblem.clear();
    if (LargerThanLimit(fileName)) {
        LoadProblem = fileName + ": outline file larger than 256 MiB, not loaded";
        return false;
    }
    return true;
}

void TCartogList::LoadFromFile(const std::string& fileName)
{
    if (!WithinSizeLimit(fileName)) {
        LoadFromBytes({}, fileName); // as a file that cannot be read
        return;
    }
    const std::shared_ptr<const TLoaded> loaded = SharedLoad(fileName, AcceptText);
    if (loaded) {
        Apply(*loaded);
        return;
    }
    std::vector<std::uint8_t> bytes;
    try {
        if (!fileName.empty())
            bytes = ReadWholeFile(fileName);
    } catch (...) {
        CaughtFailure();
        bytes.clear(); // a missing or unreadable file loads nothing
    }
    LoadFromBytes(bytes, fileName);
}

void TCartogList::ReadAhead(const std::string& fileName, bool acceptText)
{
    if (!LargerThanLimit(fileName))
        SharedLoad(fileName, acceptText);
}

void TCartogList::LoadFromBytes(std::span<const std::uint8_t> bytes, const std::string& fileName)
{
    const TFormat format = FormatOf(bytes, fileName, AcceptText);
    // GSHHS polygons and text polylines are drawn as stored, without a closing stroke.
    CloseRings = format != TFormat::Gshhs && format != TFormat::Text;
    try {
        switch (format) {
        case TFormat::Gshhs: LoadGSHHS(bytes); break;
        case TFormat::Text: LoadTextSegments(bytes); break;
        case TFormat::Gpx: LoadGPX(bytes); break;
        case TFormat::Minute: LoadMinuteSegments(bytes); break;
        case TFormat::None: break;
        }
    } catch (...) {
        // A malformed or truncated file: what was completed before the fault stays.
        CaughtFailure();
    }
    TrimCapacity();
}

// What loading a file does to a list: the minute and GSHHS readers start a new list, the
// others append; each format sets CloseRings.
struct TCartogList::TLoaded {
    bool Replaces = false;
    bool CloseRings = true;
    std::vector<TSharedSegment> Segments;
};

std::shared_ptr<const TCartogList::TLoaded> TCartogList::Parse(std::span<const std::uint8_t> bytes,
                                                               const std::string& fileName,
                                                               bool acceptText)
{
    TCartogList parser({}, "");
    parser.AcceptText = acceptText;
    parser.LoadFromBytes(bytes, fileName);
    auto loaded = std::make_shared<TLoaded>();
    const TFormat format = FormatOf(bytes, fileName, acceptText);
    loaded->Replaces = format == TFormat::Gshhs || format == TFormat::Minute;
    loaded->CloseRings = parser.CloseRings;
    loaded->Segments = std::move(parser.segments_);
    return loaded;
}

std::shared_ptr<const TCartogList::TLoaded> TCartogList::SharedLoad(const std::string& fileName,
                                                                    bool acceptText)
{
    // One entry per file name and text setting: the latest version of the file seen.
    struct TEntry {
        std::uintmax_t Size = 0;
        std::filesystem::file_time_type Modified;
        std::once_flag Once;
        std::shared_ptr<const TLoaded> Loaded;
    };
    static std::mutex mutex;
    static std::map<std::pair<std::string, bool>, std::shared_ptr<TEntry>> entries;

    namespace fs = std::filesystem;
    std::error_code error;
    if (fileName.empty() || !fs::is_regular_file(fileName, error))
        return nullptr;
    const std::uintmax_t size = fs::file_size(fileName, error);
    if (error)
        return nullptr;
    const fs::file_time_type modified = fs::last_write_time(fileName, error);
    if (error)
        return nullptr;

    std::shared_ptr<TEntry> entry;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        std::shared_ptr<TEntry>& slot = entries[{fileName, acceptText}];
        if (!slot || slot->Size != size || slot->Modified != modified) {
            slot = std::make_shared<TEntry>();
            slot->Size = size;
            slot->Modified = modified;
        }
        entry = slot;
    }
    std::call_once(entry->Once, [&] {
        try {
            const std::vector<std::uint8_t> bytes = ReadWholeFile(fileName);
            // Changed between the look and the read: parsed, but not kept for others.
            if (bytes.size() == size)
                entry->Loaded = Parse(bytes, fileName, acceptText);
        } catch (...) {
            CaughtFailure(); // unreadable: nothing loaded, nothing kept
        }
    });
    return entry->Loaded;
}

void TCartogList::Apply(const TLoaded& loaded)
{
    if (loaded.Replaces)
        Clear();
    for (const TSharedSegment& segment : loaded.Segments)
        AddLoaded(segment);
    CloseRings = loaded.CloseRings;
    TrimCapacity();
}

void TCartogList::LoadMinuteSegments(std::span<const std::uint8_t> bytes)
{
    Clear();
    TByteCursor in(bytes);
    while (!in.AtEnd()) {
        const auto count = static_cast<std::int32_t>(LittleEndian32(in.Take(4)));
        const std::uint8_t kind = *in.Take(1);
        if (in.AtEnd())
            break; // a record cut after its count and kind holds nothing
        if (count < 0 || static_cast<std::size_t>(count) > in.Remaining() / MinutePointSize)
            throw EReadError("Outline record longer than the file");
        // A record without points draws nothing; kept, millions of them would cost a hundred
        // times the file's size.
        if (count == 0)
            continue;
        auto segment = std::make_unique<TLineSegment>();
        segment->Kind = kind;
        // As AddPoint would store them, in two plain passes: the points, then their box.
        segment->Points.resize(static_cast<size_t>(count));
        TLonLat* points = segment->Points.data();
        const std::uint8_t* p = in.Take(static_cast<std::size_t>(count) * MinutePointSize);
        for (std::int32_t i = 0; i < count; ++i, p += MinutePointSize)
            points[i] = {static_cast<float>(LittleEndian16(p)) / 60.0f,
                         static_cast<float>(LittleEndian16(p + 2)) / 60.0f};
        segment->TakeInPoints(0);
        AddLoaded(std::move(segment));
    }
}

void TCartogList::LoadGSHHS(std::span<const std::uint8_t> bytes)
{
    Clear();
    // The first header decides byte order and header size; a file shorter than the largest
    // header is looked at as if padded with zeros.
    std::uint8_t probe[GshhsProbeSize] = {};
    std::copy_n(bytes.begin(), std::min(bytes.size(), GshhsProbeSize), probe);
    const bool swapped = LittleEndian32(probe + GshhsCountOffset) > GshhsSwapThreshold;
    const auto word = [swapped](const std::uint8_t* p) {
        return swapped ? BigEndian32(p) : LittleEndian32(p);
    };

    std::size_t headerSize = 36;
    if (word(probe + GshhsVersionWordOffset) == 3)
        headerSize = 40;
    if (((word(probe + GshhsFlagOffset) >> 8) & 0xFF) == 7)
        headerSize = 44;

    TByteCursor in(bytes);
    while (in.Remaining() >= headerSize) {
        const std::uint8_t* header = in.Take(headerSize);
        const auto count = static_cast<std::int32_t>(word(header + GshhsCountOffset));
        const std::uint32_t level = word(header + GshhsFlagOffset) & 0xFF;
        const std::uint32_t area = word(header + GshhsAreaOffset);
        if (count < 0 || static_cast<std::size_t>(count) > in.Remaining() / GshhsPointSize)
            throw EReadError("Polygon longer than the file");
        const std::uint8_t* p = in.Take(static_cast<std::size_t>(count) * GshhsPointSize);
        // Level 1 land, 2 lakes (large ones only), 3 islands in lakes; 4 and up are skipped.
        if (!(level == 1 || (level == 2 && area >= GshhsMinLakeArea) || level == 3) || count == 0)
            continue;
        auto segment = std::make_unique<TLineSegment>();
        segment->Points.reserve(static_cast<size_t>(count));
        for (std::int32_t i = 0; i < count; ++i, p += GshhsPointSize) {
            const auto x = static_cast<std::int32_t>(word(p));
            const auto y = static_cast<std::int32_t>(word(p + 4));
            segment->AddPoint(static_cast<float>(x / 1000000.0), static_cast<float>(y / 1000000.0));
        }
        ReduceLongitudeBox(*segment);
        AddLoaded(std::move(segment));
    }
}

void TCartogList::LoadGPX(std::span<const std::uint8_t> bytes)
{
    TLineReader lines(bytes);
    const auto nextLine = [&]() {
        if (lines.AtEnd())
            throw EReadError("End of track file");
        return TrimLower(lines.Next());
    };

    while (!lines.AtEnd()) {
        while (nextLine() != "<trkseg>") {
        }
        auto segment = std::make_unique<TLineSegment>();
        for (std::string line = nextLine(); line != "</trkseg>"; line = nextLine()) {
            if (line.find("<trkpt ") == std::string::npos)
                continue;
            float lat = 0, lon = 0;
            if (AttributeNumber(line, "lat=\"", lat) && AttributeNumber(line, "lon=\"", lon))
                segment->AddPoint(lon, lat);
        }
        if (segment->Count > 0) {
            ReduceLongitudeBox(*segment);
            AddLoaded(std::move(segment));
        }
    }
}

void TCartogList::LoadTextSegments(std::span<const std::uint8_t> bytes)
{
    std::unique_ptr<TLineSegment> segment;
    const auto finish = [&]() {
        if (segment && segment->Count > 0)
            AddLoaded(std::move(segment));
        segment.reset();
    };
    for (TLineReader lines(bytes); !lines.AtEnd();) {
        const std::string_view line = Trim(lines.Next());
        if (line.size() < 5) { // a short line (the "# -b" first line too) ends a polyline
            finish();
            continue;
        }
        if (!segment)
            segment = std::make_unique<TLineSegment>();
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        float lon = 0, lat = 0;
        if (ParseNumber(line.substr(0, tab), lon) &&
            ParseNumber(Trim(line.substr(tab + 1)).substr(0, 999), lat))
            segment->AddPoint(lon, lat);
    }
    finish();
}

bool TCartogList::Culled(const TLineSegment& segment) const
{
    if (South == North)
        return false;
    // Antarctic outlines are always kept: their boxes span every longitude.
    const bool overlaps = segment.MaxLat > South && segment.MinLat < North &&
                          segment.MaxLon > West && segment.MinLon < East;
    return !(overlaps || segment.MinLat < -70);
}

void TCartogList::Draw(TCanvas* bitmap, int offsetX, int offsetY) const
{
    if (bitmap == nullptr || Mapping == nullptr || segments_.empty())
        return;
    DrawOnCanvas(*bitmap, offsetX, offsetY);
}

void TCartogList::Prepare(int offsetX, int offsetY) const
{
    if (Mapping == nullptr || segments_.empty())
        return;
    const TProjected& p = projected_;
    const std::uint64_t stamp = Mapping->ViewStamp();
    if (stamp == 0 || p.Mapping != Mapping || p.ViewStamp != stamp || p.Contents != contents_ ||
        p.South != South || p.North != North || p.West != West || p.East != East ||
        p.OffsetX != offsetX || p.OffsetY != offsetY || p.CloseRings != CloseRings)
        Project(offsetX, offsetY);
}

void TCartogList::DrawOnCanvas(TCanvas& canvas, int offsetX, int offsetY) const
{
    if (Mapping == nullptr || segments_.empty())
        return;
    Prepare(offsetX, offsetY);
    TProjected& p = projected_;
    if (p.Painted.Complete && canvas.Replay(p.Painted))
        return;
    PaintCalls(canvas, ++p.Drawings >= 2);
}

void TCartogList::PaintCalls(TCanvas& canvas, bool record) const
{
    TProjected& p = projected_;
    TPixelRecording painted;
    const bool recording = record && canvas.StartRecording(painted);
    for (const auto& [first, count] : p.Calls)
        canvas.Polyline(p.Points.data() + first, count);
    if (!recording)
        return;
    canvas.StopRecording();
    p.Painted = std::move(painted);
}

void TCartogList::Rehearse(TCanvas& scratch, int offsetX, int offsetY) const
{
    if (Mapping == nullptr || segments_.empty())
        return;
    Prepare(offsetX, offsetY);
    // Without polylines there is nothing to replay: a replay would still set the pen's dot
    // pattern, which drawing nothing leaves alone.
    if (!projected_.Calls.empty() && !projected_.Painted.Complete)
        PaintCalls(scratch, true);
}

bool TCartogList::OutOfReach(const TLineSegment& segment) const
{
    // A box whose longitudes were shifted is tested on its latitudes alone.
    const float west = segment.LongitudesShifted ? -180.0f : segment.MinLon;
    const float east = segment.LongitudesShifted ? 360.0f : segment.MaxLon;
    return Mapping->OutOfReach(segment.MinLat, segment.MaxLat, west, east);
}

// Projects every polyline and keeps the canvas calls that draw them in projected_.
void TCartogList::Project(int offsetX, int offsetY) const
{
    TProjected& p = projected_;
    p.Points.clear();
    p.Calls.clear();
    p.Painted = {};
    p.Drawings = 0;
    p.Mapping = Mapping;
    p.ViewStamp = Mapping->ViewStamp();
    p.Contents = contents_;
    p.South = South, p.North = North, p.West = West, p.East = East;
    p.OffsetX = offsetX, p.OffsetY = offsetY;
    p.CloseRings = CloseRings;

    // At most every point and each polyline's closing one: room for them all at once (up to
    // 32 MiB), so the points are written once, not copied as the list grows; only what is
    // written is touched.
    std::size_t most = 0;
    for (const auto& segment : segments_)
        most += segment->Points.size() + 1;
    p.Points.reserve(std::min<std::size_t>(most, std::size_t{1} << 22));

    // Two successive points further apart than this on the screen lie on opposite edges of a
    // whole-world map: the line wrapped round and is broken there.
    const std::int64_t width = Mapping->GetWidth();
    const std::int64_t jump =
        Mapping->ProjectionKind() == VanDerGrintenKind ? width * 3 / 6 : width * 5 / 6;

    // The run being collected sits at the end of p.Points, from runStart on.
    std::size_t runStart = 0;
    const auto flush = [&]() {
        // Long runs go out in pieces, each starting at the last point of the one before.
        const std::size_t size = p.Points.size() - runStart;
        std::size_t start = 0;
        while (size - start >= 2) {
            const std::size_t n =
                std::min(size - start, static_cast<std::size_t>(MaxPolylinePoints));
            p.Calls.emplace_back(runStart + start, static_cast<int>(n));
            if (start + n >= size)
                break;
            start += n - 1;
        }
        // A single point draws nothing and is not kept.
        if (size < 2)
            p.Points.resize(runStart);
        runStart = p.Points.size();
    };

    for (const auto& segmentPtr : segments_) {
        const TLineSegment& segment = *segmentPtr;
        if (Culled(segment))
            continue;
        const int drawingClass = segment.Kind & ~1;
        if (!(drawingClass == 0 || drawingClass == 4 || drawingClass == 8))
            continue;
        // A polyline wholly beyond the reach of the projection draws nothing.
        if (OutOfReach(segment))
            continue;

        std::int64_t lastX = -1, lastY = -1;
        bool seen = false;
        TPoint first;
        const std::size_t n = segment.Points.size();
        for (std::size_t i = 0; i < n; ++i) {
            std::int32_t px = 0, py = 0;
            if (!Mapping->LatLonToXY(segment.Points[i].Lat, segment.Points[i].Lon, px, py)) {
                if (seen) {
                    flush();
                    lastX = lastY = -1;
                }
                continue;
            }
            const std::int64_t x = static_cast<std::int64_t>(px) + offsetX;
            const std::int64_t y = static_cast<std::int64_t>(py) - offsetY;
            const std::int64_t dx = std::llabs(lastX - x);
            const std::int64_t dy = std::llabs(lastY - y);
            if (dx > jump && seen)
                flush();
            const TPoint pixel{static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)};
            if (!seen) {
                first = pixel;
                seen = true;
            }
            // Points falling on the pixel before add nothing, except the last one.
            if (dx > 0 || dy > 0 || i + 1 == n)
                p.Points.push_back(pixel);
            lastX = x;
            lastY = y;
        }
        if (CloseRings && seen)
            p.Points.push_back(first);
        flush();
    }
}

} // namespace veltra
