// The controller's handling of file names: the station-group pattern made from the opened
// file's name and the look-up of the group's members in its folder. The input is a list of
// file names, one a line; the first is opened, every one exists in a scratch folder. The first
// byte says whether the group is opened. Beyond not crashing: the group never opens more
// streams than the folder holds files, and without the group exactly the opened file.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <span>
#include <string>

#include "app/FakeView.h"
#include "app/VeltraForm.h"
#include "fuzz/FuzzSupport.h"

using namespace veltra;
namespace fs = std::filesystem;

namespace {

// Names a folder entry can have: no separator, no NUL, not "." or "..", at most 200 bytes.
std::set<std::string> NamesOf(std::span<const std::uint8_t> input)
{
    std::set<std::string> names;
    std::string name;
    auto finish = [&]() {
        if (!name.empty() && name != "." && name != ".." && names.size() < 8)
            names.insert(name.substr(0, 200));
        name.clear();
    };
    for (const std::uint8_t b : input) {
        if (b == '\n')
            finish();
        else if (b != '/' && b != 0)
            name += static_cast<char>(b);
    }
    finish();
    return names;
}

struct TScratch {
    TScratch()
    {
        char pattern[] = "/tmp/veltra-fuzz-names-XXXXXX";
        Folder = mkdtemp(pattern);
        TRunRequest request;
        request.Width = 64;
        request.Height = 48;
        Form.RunOnce(request);
    }
    ~TScratch() { fs::remove_all(Folder); }
    fs::path Folder;
    test::TFakeView View;
    TFormVeltra Form{View, {}, "/nonexistent/veltra"};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TScratch scratch;
    std::span<const std::uint8_t> input(data, size);
    const bool group = (fuzz::TakeByte(input) & 1) != 0;
    std::string first;
    for (const std::uint8_t b : input) {
        if (b == '\n')
            break;
        if (b != '/' && b != 0)
            first += static_cast<char>(b);
    }
    const std::set<std::string> names = NamesOf(input);
    if (names.empty() || !names.contains(first.substr(0, 200)))
        return 0;
    for (const auto& entry : fs::directory_iterator(scratch.Folder))
        fs::remove_all(entry.path());
    for (const std::string& name : names)
        std::ofstream(scratch.Folder / name, std::ios::binary) << name;

    scratch.View.Boxes[TCheckBoxId::OpenGroup] = group;
    scratch.Form.OpenFile((scratch.Folder / first.substr(0, 200)).string());
    const std::string pattern = scratch.Form.StationGroupPattern();
    fuzz::Check(pattern.starts_with(scratch.Folder.string() + "/"),
                "the group pattern stays in the opened file's folder");
    const int streams = scratch.Form.Streams.Count();
    if (group)
        fuzz::Check(streams >= 1 && streams <= static_cast<int>(names.size()),
                    "the group opens at most the files of the folder");
    else
        fuzz::Check(streams == 1, "without the group the opened file alone is opened");
    scratch.Form.DrawChannel();
    return 0;
}
