#include "app/render/RenderOutputs.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/VeltraForm.h"
#include "app/exports/ExportCommands.h"
#include "app/render/BatchRun.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/Executable.h"
#include "base/Format.h"
#include "imaging/BrightnessTemperatures.h"
#include "imaging/JPEG_IO.h"
#include "imaging/PaintModule.h"
#include "imaging/PngWriter.h"
#include "imaging/RasterCanvas.h"

namespace veltra {

namespace {

constexpr const char* StandardOutput = "-";

// The file a name reaches: an existing one by its device and inode (links and hard links
// meet there), one still to be made by its path with the links of its folders resolved.
std::string FileKey(const std::string& name)
{
    if (name == StandardOutput)
        return name;
    struct stat status {};
    if (::stat(name.c_str(), &status) == 0)
        return "inode " + std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    std::error_code error;
    std::filesystem::path path = std::filesystem::weakly_canonical(name, error);
    if (error)
        path = std::filesystem::absolute(name, error).lexically_normal();
    return "path " + path.string();
}

std::string Quoted(const std::string& name)
{
    return "'" + name + "'";
}

std::string OutputOf(const TRenderOutput& output, const std::string& input, bool manyInputs)
{
    return std::string(output.Option) + (manyInputs ? " for " + Quoted(input) : "");
}

std::vector<std::uint8_t> BytesOf(TFormVeltra& form, TRenderOutputKind kind,
                                  const std::string& name)
{
    // The pictures as the viewer saves them: with the legend strip when it is asked for.
    const TRgbImage picture = form.SavedPicture().Rgb();
    switch (kind) {
    case TRenderOutputKind::Jpeg:
        return JpegBytes(picture, TFormVeltra::JpegQuality, TFormVeltra::JpegComment());
    case TRenderOutputKind::Png: {
        // A composite is a picture no earlier version wrote: it takes the fast encoder.
        if (form.CompositeOpen)
            return FastPngBytes(picture, form.CompositeThreads());
        std::vector<std::uint8_t> bytes;
        std::string error;
        if (!PaintModuleIn(ProgramFolder(form.Executable())).PngBytes(picture, bytes, error))
            throw EWriteError(error, error);
        return bytes;
    }
    case TRenderOutputKind::Bt: return BrightnessTemperatureBytes(form.Samples);
    case TRenderOutputKind::NetCdf:
        return ExportBytes(form, TExportKind::NetCdf, name, "veltra-render");
    case TRenderOutputKind::Csv: return ExportBytes(form, TExportKind::Csv, name, "veltra-render");
    case TRenderOutputKind::GeoTiffValues:
        return ExportBytes(form, TExportKind::GeoTiffValues, name, "veltra-render");
    case TRenderOutputKind::NetCdfAllChannels:
        return ExportBytes(form, TExportKind::NetCdfAllChannels, name, "veltra-render");
    case TRenderOutputKind::GeoTiff: break;
    }
    return ExportBytes(form, TExportKind::GeoTiff, name, "veltra-render");
}

TOutputNeeds NeedsOf(TRenderOutputKind kind)
{
    return kind == TRenderOutputKind::NetCdf || kind == TRenderOutputKind::GeoTiff ||
                   kind == TRenderOutputKind::GeoTiffValues ||
                   kind == TRenderOutputKind::NetCdfAllChannels
               ? TOutputNeeds::RegularFile
               : TOutputNeeds::Stream;
}

} // namespace

std::string UnreadableInput(const std::string& name)
{
    struct stat status {};
    if (::stat(name.c_str(), &status) == 0 && S_ISDIR(status.st_mode))
        return name + ": is a directory";
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return "cannot read " + name + ": " + std::strerror(errno);
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    ::close(fd);
    return regular ? "" : "cannot read " + name + ": not a regular file";
}

std::string OutputNameClash(const std::vector<std::string>& inputs,
                            const std::optional<std::string>& countries,
                            const std::vector<TRenderOutput>& outputs, bool textOutput, bool oneSet)
{
    std::map<std::string, std::string> inputKeys; // file key -> the input's own name
    for (const std::string& input : inputs)
        inputKeys.emplace(FileKey(input), "the input " + Quoted(input));
    if (countries)
        inputKeys.emplace(FileKey(*countries), "the outline file " + Quoted(*countries));
    std::map<std::string, std::string> written; // file key -> the output that writes it
    if (textOutput)
        written.emplace(StandardOutput, "the text of --info, --diagnostics or --readout");
    const bool many = inputs.size() > 1 && !oneSet;
    const std::size_t sets = oneSet ? std::min<std::size_t>(inputs.size(), 1) : inputs.size();
    for (std::size_t i = 0; i < sets; ++i)
        for (const TRenderOutput& output : outputs) {
            const std::string& input = inputs[i];
            const std::string name = oneSet ? output.Name : OutputNameFor(output.Name, input);
            const std::string key = FileKey(name);
            const std::string what = OutputOf(output, input, many);
            if (const auto in = inputKeys.find(key); in != inputKeys.end())
                return what + " would write " + Quoted(name) + ", which is " + in->second;
            const auto [at, added] = written.emplace(key, what);
            if (!added)
                return at->second + " and " + what + " would both write " +
                       (name == StandardOutput ? "standard output" : Quoted(name));
        }
    return "";
}

std::string OutputIsInput(const std::vector<std::string>& inputs,
                          const std::vector<TRenderOutput>& outputs)
{
    std::map<std::string, std::string> inputKeys;
    for (const std::string& input : inputs)
        inputKeys.emplace(FileKey(input), input);
    for (const TRenderOutput& output : outputs)
        if (const auto in = inputKeys.find(FileKey(output.Name)); in != inputKeys.end())
            return std::string(output.Option) + " would write " + Quoted(output.Name) +
                   ", which is the input " + Quoted(in->second);
    return "";
}

bool WriteRenderOutputs(TFormVeltra& form, const std::vector<TRenderOutput>& outputs,
                        std::ostream& out, std::ostream& err)
{
    bool written = true;
    for (const TRenderOutput& output : outputs) {
        try {
            WriteOutput(output.Name, BytesOf(form, output.Kind, output.Name), NeedsOf(output.Kind),
                        &out);
        } catch (const EVeltraError& e) {
            const std::string& name =
                output.Name == StandardOutput ? "standard output" : output.Name;
            err << "veltra-render: " << EscapeControls(name) << ": "
                << EscapeControls(e.Reason().empty() ? e.what() : e.Reason()) << '\n';
            written = false;
        }
    }
    return written;
}

} // namespace veltra
