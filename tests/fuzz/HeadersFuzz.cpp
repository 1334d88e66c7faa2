// The header readers: the archive header's diagnostics, the HIRS data-set header with its
// diagnostics, the AMSU-A and AMSU-B data-set headers and the AAPP Level 1c/1d header record.
// The first byte chooses the reader, the rest is the header. Beyond not crashing: a header long
// enough for its reader is never refused for its contents, except for a HIRS header whose dates
// cannot be made (the only lines whose failure the format allows to end the header).
#include <cstdint>
#include <span>
#include <vector>

#include "base/Errors.h"
#include "formats/AappLevel1c.h"
#include "formats/AmsuLevel1b.h"
#include "formats/ArchiveHeader.h"
#include "formats/HirsLevel1b.h"
#include "fuzz/FuzzSupport.h"
#include "support/FakeHost.h"

using namespace veltra;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::span<const std::uint8_t> input(data, size);
    const int reader = fuzz::TakeByte(input) % 6;
    const std::vector<std::uint8_t> bytes(input.begin(), input.end());
    test::TFakeHost host;
    TDecodeContext context(host);
    TMemoryStream stream(bytes);
    const std::size_t needed[] = {ArchiveHeaderSize,   HirsRecordSize,     AmsuAHeaderReadSize,
                                  AmsuBHeaderReadSize, AappHeaderReadSize, AappHeaderReadSize};
    try {
        switch (reader) {
        case 0: DecodeArchiveHeader(bytes, host.Lines); break;
        case 1: ReadHirsHeader(context, stream); break;
        case 2: ReadAmsuAHeader(context, stream); break;
        case 3: ReadAmsuBHeader(context, stream); break;
        default:
            context.Family = reader == 4 ? TInputFamily::ifLevel1c : TInputFamily::ifLevel1d;
            ReadAappHeader(context, stream);
            break;
        }
    } catch (const EVeltraError&) {
        const bool longEnough = bytes.size() >= needed[reader];
        fuzz::Check(!longEnough || reader == 0 || (reader == 1 && host.Lines.size() < 3),
                    "a whole header is read whatever its contents");
        return 0;
    }
    if (reader == 1)
        fuzz::Check(context.RecordSize == HirsRecordSize && host.Code == SensorHirs,
                    "a HIRS header read sets the record layout");
    return 0;
}
