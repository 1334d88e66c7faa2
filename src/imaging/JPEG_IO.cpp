#include "imaging/JPEG_IO.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include <jpeglib.h>

#include "base/AtomicFile.h"
#include "base/Errors.h"

namespace veltra {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return. Unwinding a C++
// exception through the C library is not safe, so error_exit jumps back to the setjmp in
// Encode instead; no object with a destructor lives in the frames it jumps over.
struct TErrorManager {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<TErrorManager*>(cinfo->err)->Jump, 1);
}

// Warnings and trace messages would go to stderr; the caller only needs success or failure.
void OutputMessage(j_common_ptr) {}

// Destination that collects the encoded bytes in a vector owned by the caller, so that no
// buffer allocated inside the library can leak when an error jumps out half way.
constexpr std::size_t ChunkSize = 65536;

struct TVectorDestination {
    jpeg_destination_mgr Public;
    std::vector<unsigned char>* Bytes;
};

[[noreturn]] void OutOfMemory(j_compress_ptr cinfo)
{
    cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    std::abort(); // error_exit never returns
}

// Grows the vector by one chunk past `used` bytes; false when memory runs out.
bool GrowDestination(TVectorDestination& dest, std::size_t used)
{
    try {
        dest.Bytes->resize(used + ChunkSize);
    } catch (const std::bad_alloc&) {
        return false;
    }
    dest.Public.next_output_byte = dest.Bytes->data() + used;
    dest.Public.free_in_buffer = ChunkSize;
    return true;
}

void InitDestination(j_compress_ptr cinfo)
{
    auto& dest = *reinterpret_cast<TVectorDestination*>(cinfo->dest);
    if (!GrowDestination(dest, 0))
        OutOfMemory(cinfo);
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    // libjpeg calls this only when the whole buffer is full; free_in_buffer is stale here.
    auto& dest = *reinterpret_cast<TVectorDestination*>(cinfo->dest);
    if (!GrowDestination(dest, dest.Bytes->size()))
        OutOfMemory(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    auto& dest = *reinterpret_cast<TVectorDestination*>(cinfo->dest);
    dest.Bytes->resize(dest.Bytes->size() - dest.Public.free_in_buffer);
}

// Encodes an RGB888 image into bytes; false on any encoder error (an empty image included).
bool Encode(const TRgbImage& rgb, int quality, const std::string& comment,
            std::vector<unsigned char>& bytes)
{
    jpeg_compress_struct cinfo;
    TErrorManager errors;
    TVectorDestination dest;
    cinfo.err = jpeg_std_error(&errors.Public);
    errors.Public.error_exit = ErrorExit;
    errors.Public.output_message = OutputMessage;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);

    dest.Public.init_destination = InitDestination;
    dest.Public.empty_output_buffer = EmptyOutputBuffer;
    dest.Public.term_destination = TermDestination;
    dest.Bytes = &bytes;
    cinfo.dest = &dest.Public;

    cinfo.image_width = static_cast<JDIMENSION>(rgb.Width);
    cinfo.image_height = static_cast<JDIMENSION>(rgb.Height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo); // YCbCr output for RGB input
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    // A COM marker holds at most 65533 bytes; libjpeg raises an error for a longer one.
    jpeg_write_marker(&cinfo, JPEG_COM, reinterpret_cast<const JOCTET*>(comment.data()),
                      static_cast<unsigned int>(comment.size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        // libjpeg only reads the row.
        JSAMPROW row = const_cast<JSAMPROW>(rgb.Bits + y * rgb.BytesPerLine);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

std::vector<std::uint8_t> JpegBytes(const TRgbImage& image, int quality, const std::string& comment)
{
    std::vector<unsigned char> bytes;
    if (image.Bits == nullptr || image.Width <= 0 || image.Height <= 0 ||
        !Encode(image, quality, comment, bytes))
        throw EWriteError(JpegWriteFailure);
    return bytes;
}

void SaveJPEG(const TRgbImage& image, const std::string& fileName, int quality,
              const std::string& comment)
{
    const std::vector<std::uint8_t> bytes = JpegBytes(image, quality, comment);
    try {
        WriteOutput(fileName, bytes);
    } catch (const EWriteError& e) {
        throw EWriteError(std::string(JpegWriteFailure) + " \"" + fileName + "\": " + e.Reason(),
                          e.Reason());
    }
}

} // namespace veltra
