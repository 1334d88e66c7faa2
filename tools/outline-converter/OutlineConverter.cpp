// outline-converter: turns ASCII multi-segment longitude/latitude files (as the Generic Mapping
// Tools print them: segments separated by lines starting with '>', '#' for comments, data lines
// "lon lat" separated by blanks, tabs or commas) into the minute format the viewer reads as
// "Countries.dat":
//
//   per polyline, little-endian: int32 N, byte Kind, N × (int16 lon, int16 lat) minutes of arc.
//
// Coordinates are rounded to whole minutes, halves to even; points that then repeat the one
// before are dropped. Pieces that meet end to end (GMT cuts shorelines at the edges of its
// storage bins) are joined into longer polylines; -180 and +180 count as the same meridian.
//
// The viewer closes every polyline of this format back to its first visible point when drawing.
// So that neither an open border nor a coastline going behind the globe gets a stray closing
// stroke, every polyline is written out and back (A..Z..A): the closing stroke then has zero
// length, and the return pass retraces the same line.
//
// Usage: outline-converter -o OUTPUT [-k KIND] FILE... [-k KIND FILE...]...
//   -k KIND   drawing class of the files that follow (default 0); the viewer draws classes
//             0, 4 and 8 (coastlines 0, national borders 4 in the shipped file).
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <locale>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/AtomicFile.h"

namespace {

struct TMinutePoint {
    std::int16_t Lon = 0;
    std::int16_t Lat = 0;
    bool operator==(const TMinutePoint&) const = default;
};

using TChain = std::vector<TMinutePoint>;

constexpr int MinutesPerDegree = 60;
constexpr int HalfTurn = 180 * MinutesPerDegree; // 10800

// The place a point stands for: the meridians -180 and +180 are one.
std::int64_t PlaceKey(TMinutePoint p)
{
    const int lon = p.Lon == -HalfTurn ? HalfTurn : p.Lon;
    return static_cast<std::int64_t>(lon) * 100000 + p.Lat;
}

bool ParseCoordinates(const std::string& line, double& lon, double& lat)
{
    std::string text = line;
    for (char& c : text)
        if (c == ',' || c == '\t')
            c = ' ';
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    return static_cast<bool>(in >> lon >> lat) && std::isfinite(lon) && std::isfinite(lat);
}

TMinutePoint ToMinutes(double lon, double lat)
{
    while (lon > 180)
        lon -= 360;
    while (lon < -180)
        lon += 360;
    lat = std::fmax(-90.0, std::fmin(90.0, lat));
    return {static_cast<std::int16_t>(std::nearbyint(lon * MinutesPerDegree)),
            static_cast<std::int16_t>(std::nearbyint(lat * MinutesPerDegree))};
}

void AppendDistinct(TChain& chain, TMinutePoint p)
{
    if (chain.empty() || !(chain.back() == p))
        chain.push_back(p);
}

// Reads the segments of one file, rounded, without consecutive repeats; single points dropped.
bool ReadSegments(const std::string& fileName, std::vector<TChain>& segments)
{
    std::ifstream in(fileName);
    if (!in) {
        std::cerr << "outline-converter: cannot open " << fileName << "\n";
        return false;
    }
    TChain current;
    const auto finish = [&]() {
        if (current.size() >= 2)
            segments.push_back(std::move(current));
        current.clear();
    };
    std::string line;
    long lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        if (line[first] == '>') {
            finish();
            continue;
        }
        double lon = 0, lat = 0;
        if (!ParseCoordinates(line, lon, lat)) {
            std::cerr << "outline-converter: " << fileName << ":" << lineNumber
                      << ": not a longitude and latitude\n";
            return false;
        }
        AppendDistinct(current, ToMinutes(lon, lat));
    }
    finish();
    return true;
}

// Appends `piece` to `chain`, which ends where the piece starts (or at the same meridian
// crossing seen from the other side, in which case the piece's first point is kept).
void Extend(TChain& chain, const TChain& piece)
{
    for (const TMinutePoint& p : piece)
        AppendDistinct(chain, p);
}

// Joins pieces that share end points into as few polylines as it can, greedily.
std::vector<TChain> JoinPieces(std::vector<TChain> pieces)
{
    std::unordered_multimap<std::int64_t, std::size_t> byEnd;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        byEnd.emplace(PlaceKey(pieces[i].front()), i);
        byEnd.emplace(PlaceKey(pieces[i].back()), i);
    }
    std::vector<bool> used(pieces.size(), false);
    // An unused piece with an end at the place of p, turned so that it starts there.
    const auto takeAt = [&](TMinutePoint p, TChain& out) {
        const auto [begin, end] = byEnd.equal_range(PlaceKey(p));
        for (auto it = begin; it != end; ++it) {
            const std::size_t i = it->second;
            if (used[i])
                continue;
            used[i] = true;
            out = std::move(pieces[i]);
            if (PlaceKey(out.front()) != PlaceKey(p))
                std::reverse(out.begin(), out.end());
            return true;
        }
        return false;
    };
    const auto closed = [](const TChain& c) {
        return c.size() > 2 && PlaceKey(c.front()) == PlaceKey(c.back());
    };

    std::vector<TChain> chains;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (used[i])
            continue;
        used[i] = true;
        TChain chain = std::move(pieces[i]);
        TChain piece;
        while (!closed(chain) && takeAt(chain.back(), piece))
            Extend(chain, piece);
        while (!closed(chain) && takeAt(chain.front(), piece)) {
            std::reverse(piece.begin(), piece.end()); // now it ends where the chain starts
            Extend(piece, chain);
            chain = std::move(piece);
        }
        chains.push_back(std::move(chain));
    }
    return chains;
}

// A..Z becomes A..Z..A, so that the closing stroke the viewer adds has zero length.
TChain OutAndBack(const TChain& chain)
{
    TChain out = chain;
    out.insert(out.end(), chain.rbegin() + 1, chain.rend());
    return out;
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool WriteAtomically(const std::string& fileName, const std::string& bytes)
{
    try {
        veltra::WriteFileAtomically(fileName, bytes.data(), bytes.size());
        return true;
    } catch (const std::exception& e) {
        std::cerr << "outline-converter: " << e.what() << "\n";
        return false;
    }
}

int Usage()
{
    std::cerr << "usage: outline-converter -o OUTPUT [-k KIND] FILE... [-k KIND FILE...]...\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::string output;
    int kind = 0;
    std::string bytes;
    long polylines = 0, points = 0;
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-o" || arg == "-k") && i + 1 >= argc)
            return Usage();
        if (arg == "-o") {
            output = argv[++i];
        } else if (arg == "-k") {
            char* end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 0 || value > 255)
                return Usage();
            kind = static_cast<int>(value);
        } else {
            std::vector<TChain> pieces;
            if (!ReadSegments(arg, pieces))
                return 1;
            ++inputs;
            for (const TChain& chain : JoinPieces(std::move(pieces))) {
                const TChain path = OutAndBack(chain);
                PutLittleEndian(bytes, static_cast<std::uint32_t>(path.size()), 4);
                bytes.push_back(static_cast<char>(kind));
                for (const TMinutePoint& p : path) {
                    PutLittleEndian(bytes, static_cast<std::uint16_t>(p.Lon), 2);
                    PutLittleEndian(bytes, static_cast<std::uint16_t>(p.Lat), 2);
                }
                ++polylines;
                points += static_cast<long>(path.size());
            }
        }
    }
    if (output.empty() || inputs == 0)
        return Usage();
    if (!WriteAtomically(output, bytes))
        return 1;
    std::cout << output << ": " << polylines << " polylines, " << points << " points, "
              << bytes.size() << " bytes\n";
    return 0;
}
