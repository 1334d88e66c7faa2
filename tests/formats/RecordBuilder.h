#pragma once
// Builds decoder input at known offsets, runs the decoders the way the decoding pass does, and
// feeds them damaged input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/Stream.h"
#include "formats/DecodeContext.h"
#include "support/FakeHost.h"

namespace veltra::test {

using TByteVector = std::vector<std::uint8_t>;

// One record of a fixed size, zero-filled, with big-endian fields written at offsets (Int32 and
// Place little-endian when the builder is made so).
class TRecordBuilder {
public:
    explicit TRecordBuilder(std::size_t size, bool littleEndian = false)
        : Bytes(size, 0), LittleEndian(littleEndian)
    {
    }

    TRecordBuilder& BE16(std::size_t offset, std::uint16_t value)
    {
        Bytes.at(offset) = static_cast<std::uint8_t>(value >> 8);
        Bytes.at(offset + 1) = static_cast<std::uint8_t>(value);
        return *this;
    }
    TRecordBuilder& BE32(std::size_t offset, std::int32_t value)
    {
        const auto word = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            Bytes.at(offset + static_cast<std::size_t>(i)) =
                static_cast<std::uint8_t>(word >> (24 - 8 * i));
        return *this;
    }
    // A 32-bit field in the builder's byte order.
    TRecordBuilder& Int32(std::size_t offset, std::int32_t value)
    {
        if (!LittleEndian)
            return BE32(offset, value);
        const auto word = static_cast<std::uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            Bytes.at(offset + static_cast<std::size_t>(i)) =
                static_cast<std::uint8_t>(word >> 8 * i);
        return *this;
    }
    TRecordBuilder& Text(std::size_t offset, const std::string& text)
    {
        for (std::size_t i = 0; i < text.size(); ++i)
            Bytes.at(offset + i) = static_cast<std::uint8_t>(text[i]);
        return *this;
    }
    // Latitude and longitude in degrees as two 32-bit numbers in 10^-4 degree.
    TRecordBuilder& Place(std::size_t offset, double latitude, double longitude)
    {
        Int32(offset, static_cast<std::int32_t>(std::lround(latitude * 1e4)));
        return Int32(offset + 4, static_cast<std::int32_t>(std::lround(longitude * 1e4)));
    }

    TByteVector Bytes;
    bool LittleEndian;
};

inline TByteVector Join(const std::vector<TByteVector>& parts)
{
    TByteVector all;
    for (const TByteVector& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A decoder under test with its host and context.
struct TDecoderRig {
    TFakeHost Host;
    TDecodeContext Context{Host};

    std::vector<TColour> PenColours() const
    {
        std::vector<TColour> colours;
        for (const TCanvasCall& call : Host.Canvas.Calls)
            if (call.What == TCanvasCall::Colour)
                colours.push_back(static_cast<TColour>(call.A));
        return colours;
    }
};

using THeaderReader = std::function<void(TDecodeContext&, TStream&)>;
using TLineDecoder = std::function<void(TDecodeContext&, TStream&)>;

// As the pass runs a Level 1b stream after the 512-byte archive header: the data-set header at
// byte 512, the first scan line at 512 + RecordSize, then RecordCount lines.
inline void DecodeLevel1b(TDecodeContext& context, TStream& stream, const THeaderReader& header,
                          const TLineDecoder& line)
{
    stream.Seek(512, TSeekOrigin::Beginning);
    header(context, stream);
    stream.Seek(512 + context.RecordSize, TSeekOrigin::Beginning);
    for (std::int32_t i = 0; i < context.RecordCount; ++i)
        line(context, stream);
}

// Decodes a Level 1b file with two scan lines and a third cut short after keptBytes, which
// must end the decode with a read error; gives the samples plotted before it.
inline std::int32_t SamplesBeforeCutLine(const TByteVector& header, const TByteVector& line,
                                         std::size_t keptBytes, int channel,
                                         const THeaderReader& readHeader,
                                         const TLineDecoder& decodeLine)
{
    const TByteVector cut(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(keptBytes));
    TMemoryStream stream(Join({TByteVector(512, 0), header, line, line, cut}));
    TDecoderRig rig;
    rig.Context.Channel = channel;
    EXPECT_THROW(DecodeLevel1b(rig.Context, stream, readHeader, decodeLine), EReadError);
    return rig.Host.Samples.SampleCount();
}

// Runs a whole decode on damaged copies of a valid stream (bytes changed, cut short, or
// replaced by noise); decode is told the round, to vary the channel. Any outcome is fine except a
// crash, a hang or an exception that is not one of ours: those fail the test. Some copies must
// still reach the scan lines.
inline void FuzzDecoder(const TByteVector& valid,
                        const std::function<void(TDecoderRig&, TStream&, int)>& decode,
                        int rounds = 240)
{
    std::mt19937 random(20240601u);
    auto below = [&random](std::size_t n) {
        return n == 0 ? std::size_t{0}
                      : std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    std::int64_t plotted = 0;
    for (int round = 0; round < rounds; ++round) {
        TByteVector bytes = valid;
        if (round % 4 == 3) {
            bytes.resize(below(valid.size() + 1));
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(random());
        } else {
            for (int flips = 1 + static_cast<int>(below(64)); flips > 0; --flips)
                bytes[below(bytes.size())] = static_cast<std::uint8_t>(random());
            if (round % 4 != 0)
                bytes.resize(below(bytes.size() + 1));
        }
        TDecoderRig rig;
        TMemoryStream stream(bytes);
        try {
            decode(rig, stream, round);
        } catch (const EVeltraError&) {
        }
        plotted += rig.Host.Samples.SampleCount();
    }
    EXPECT_GT(plotted, 0) << "no damaged copy reached the scan lines";
}

} // namespace veltra::test
