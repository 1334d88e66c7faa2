// The JPEG writer: what a decoder reads back from the saved file (size, components, comment),
// and what is left on disk when a save fails.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>
#include <utility>

#include <jpeglib.h>

#include "base/Errors.h"
#include "imaging/JPEG_IO.h"

namespace veltra {
namespace {

const std::string Comment = "From: Veltra by Brenmoor, https://www.brenmoor.example/veltra";

struct TDecoded {
    bool Ok = false;
    int Width = 0;
    int Height = 0;
    int Components = 0;
    J_COLOR_SPACE ColourSpace = JCS_UNKNOWN;
    std::string Comment;
    int LuminanceDc = 0;               // first entry of quantisation table 0
    std::vector<unsigned char> Pixels; // RGB rows
};

struct TDecodeErrors {
    jpeg_error_mgr Public;
    std::jmp_buf Jump;
};

[[noreturn]] void DecodeErrorExit(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<TDecodeErrors*>(cinfo->err)->Jump, 1);
}

// Reads the file back with libjpeg, keeping the COM marker.
bool DecodeInto(std::FILE* file, TDecoded& out)
{
    jpeg_decompress_struct cinfo;
    TDecodeErrors errors;
    cinfo.err = jpeg_std_error(&errors.Public);
    errors.Public.error_exit = DecodeErrorExit;
    if (setjmp(errors.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_stdio_src(&cinfo, file);
    jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
    jpeg_read_header(&cinfo, TRUE);
    out.Components = cinfo.num_components;
    out.ColourSpace = cinfo.jpeg_color_space;
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
        if (m->marker == JPEG_COM)
            out.Comment.assign(reinterpret_cast<const char*>(m->data), m->data_length);
    if (cinfo.quant_tbl_ptrs[0])
        out.LuminanceDc = cinfo.quant_tbl_ptrs[0]->quantval[0];
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    out.Width = static_cast<int>(cinfo.output_width);
    out.Height = static_cast<int>(cinfo.output_height);
    out.Pixels.resize(static_cast<std::size_t>(out.Width) * out.Height * 3);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out.Pixels.data() + cinfo.output_scanline * out.Width * 3;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

TDecoded Decode(const QString& path)
{
    TDecoded out;
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(path.toLocal8Bit().constData(), "rb"), std::fclose);
    if (file)
        out.Ok = DecodeInto(file.get(), out);
    return out;
}

QImage Picture(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The picture's RGB rows, as the map bitmap lends them to the writer.
void SaveJPEG(const QImage& image, const std::string& fileName, int quality,
              const std::string& comment)
{
    ASSERT_TRUE(image.isNull() || image.format() == QImage::Format_RGB888);
    veltra::SaveJPEG(
        TRgbImage{image.width(), image.height(), image.bytesPerLine(), image.constBits()}, fileName,
        quality, comment);
}

// An encoder failure is told as such; a file that cannot be written by its name and the
// system's reason.
void ExpectWriteError(const QImage& image, const QString& path, const std::string& reason = "")
{
    try {
        SaveJPEG(image, path.toStdString(), 80, Comment);
        ADD_FAILURE() << "no error saving " << path.toStdString();
    } catch (const EWriteError& e) {
        EXPECT_EQ(reason.empty()
                      ? "Error writing JPEG to file"
                      : "Error writing JPEG to file \"" + path.toStdString() + "\": " + reason,
                  e.what());
    }
}

TEST(JpegIOTest, SavedFileDecodesWithSizeComponentsAndComment)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // Rows of 611 pixels need padding in a 4-byte-aligned raster, 612 do not: both must save.
    for (int width : {611, 612}) {
        const QString path = dir.filePath(QString("map%1.jpg").arg(width));
        SaveJPEG(Picture(width, 37, qRgb(200, 40, 10)), path.toStdString(), 80, Comment);
        const TDecoded decoded = Decode(path);
        ASSERT_TRUE(decoded.Ok) << width;
        EXPECT_EQ(width, decoded.Width);
        EXPECT_EQ(37, decoded.Height);
        EXPECT_EQ(3, decoded.Components);
        EXPECT_EQ(JCS_YCbCr, decoded.ColourSpace);
        EXPECT_EQ(Comment, decoded.Comment);
        // A flat colour survives quality 80 to within a few levels.
        const unsigned char* centre = &decoded.Pixels[(18 * width + width / 2) * 3];
        EXPECT_NEAR(200, centre[0], 4);
        EXPECT_NEAR(40, centre[1], 4);
        EXPECT_NEAR(10, centre[2], 4);
    }
    // Nothing but the two pictures is left in the folder.
    EXPECT_EQ(2, QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size());

    // A link to a picture keeps leading to it: the picture is replaced.
    ASSERT_TRUE(QFile::link("map611.jpg", dir.filePath("link.jpg")));
    SaveJPEG(Picture(8, 5, qRgb(0, 0, 255)), dir.filePath("link.jpg").toStdString(), 80, Comment);
    EXPECT_TRUE(QFileInfo(dir.filePath("link.jpg")).isSymLink());
    EXPECT_EQ(8, Decode(dir.filePath("map611.jpg")).Width);
}

TEST(JpegIOTest, QualityScalesTheQuantisationTables)
{
    // libjpeg scales its base tables by 200 - 2 * quality percent: the luminance DC entry 16
    // becomes 6 at quality 80 and 80 at quality 10.
    QTemporaryDir dir;
    for (auto [quality, entry] : {std::pair{80, 6}, std::pair{10, 80}}) {
        const QString path = dir.filePath(QString("q%1.jpg").arg(quality));
        SaveJPEG(Picture(16, 16, qRgb(1, 2, 3)), path.toStdString(), quality, Comment);
        EXPECT_EQ(entry, Decode(path).LuminanceDc) << quality;
    }
}

TEST(JpegIOTest, FailedSavesRaiseAndLeaveTheFolderUnchanged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage image = Picture(16, 16, qRgb(0, 0, 255));

    // A folder that does not exist.
    ExpectWriteError(image, dir.filePath("missing/map.jpg"), "No such file or directory");
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));

    // A target that is an existing folder: it is neither replaced nor filled.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.jpg"));
    ExpectWriteError(image, dir.filePath("folder.jpg"), "Is a directory");
    EXPECT_TRUE(QFileInfo(dir.filePath("folder.jpg")).isDir());
    EXPECT_TRUE(QDir(dir.filePath("folder.jpg")).isEmpty());

    // An empty image (the map before its first resize) cannot be encoded.
    ExpectWriteError(QImage(), dir.filePath("empty.jpg"));

    EXPECT_EQ(QStringList{"folder.jpg"},
              QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(JpegIOTest, ExistingPictureSurvivesAFailedSave)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("map.jpg");
    SaveJPEG(Picture(8, 8, qRgb(255, 0, 0)), path.toStdString(), 80, Comment);
    const QByteArray before = ReadAll(path);
    ASSERT_FALSE(before.isEmpty());

    ExpectWriteError(QImage(), path); // the encoder fails
    EXPECT_EQ(before, ReadAll(path));

    // A comment longer than a COM marker can hold makes the encoder fail half way.
    try {
        SaveJPEG(Picture(8, 8, qRgb(0, 255, 0)), path.toStdString(), 80, std::string(70000, 'c'));
        ADD_FAILURE() << "an oversized comment was accepted";
    } catch (const EWriteError&) {
    }
    EXPECT_EQ(before, ReadAll(path));
    EXPECT_EQ(1, QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size());
}

TEST(JpegIOTest, ReadOnlyFolderIsNotWritten)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the super-user";
    QTemporaryDir dir;
    const QString path = dir.filePath("map.jpg");
    SaveJPEG(Picture(8, 8, qRgb(255, 0, 0)), path.toStdString(), 80, Comment);
    const QByteArray before = ReadAll(path);
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    ExpectWriteError(Picture(8, 8, qRgb(0, 0, 255)), path, "Permission denied");
    ExpectWriteError(Picture(8, 8, qRgb(0, 0, 255)), dir.filePath("new.jpg"), "Permission denied");
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(before, ReadAll(path));
    EXPECT_EQ(QStringList{"map.jpg"}, QDir(dir.path()).entryList(QDir::Files | QDir::Hidden));
}

} // namespace
} // namespace veltra
