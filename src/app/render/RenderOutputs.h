#pragma once
// What veltra-render writes, and the checks made before any of it is written: inputs that can
// be read, and output names that neither meet each other nor an input.
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace veltra {

class TFormVeltra;

enum class TRenderOutputKind {
    Jpeg,
    Png,
    Bt,
    NetCdf,
    Csv,
    GeoTiff,
    GeoTiffValues,
    NetCdfAllChannels
};

struct TRenderOutput {
    TRenderOutputKind Kind;
    const char* Option; // "--png"
    std::string Name;   // as given; "-" is standard output
};

// Why the input cannot be read ("NAME: is a directory", "cannot read NAME: Permission
// denied"), or "" when it can.
std::string UnreadableInput(const std::string& name);

// The usage error of output names that would write one file twice, or over an input, naming
// both ("" when none): two outputs of one input with the same name, two inputs whose
// "{name}" gives the same name (files of the same name in two folders), an output that is an
// input or the outline file, and an output to standard output ("-") beside text options, which
// write there too. Names are compared as the files they reach (links followed). A composite
// (oneSet) writes one set of outputs, named as given, from all its inputs.
std::string OutputNameClash(const std::vector<std::string>& inputs,
                            const std::optional<std::string>& countries,
                            const std::vector<TRenderOutput>& outputs, bool textOutput,
                            bool oneSet = false);

// The same for the files a render pass read (a station group's members), whose names are
// known only once the group was opened.
std::string OutputIsInput(const std::vector<std::string>& inputs,
                          const std::vector<TRenderOutput>& outputs);

// Writes the outputs (their names already for this input) of the form's last render pass, in
// order. Each failure is told on err as "veltra-render: NAME: REASON" and the others are still
// written. Standard output is `out`. False when any could not be written.
bool WriteRenderOutputs(TFormVeltra& form, const std::vector<TRenderOutput>& outputs,
                        std::ostream& out, std::ostream& err);

} // namespace veltra
