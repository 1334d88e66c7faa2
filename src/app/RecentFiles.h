#pragma once
// The files opened last, newest first, as File > Open recent lists them. Stored as one text
// of names separated by line feeds (a character no file name of ours holds).
#include <string>
#include <vector>

namespace veltra {

class TRecentFiles {
public:
    static constexpr std::size_t Capacity = 8;

    explicit TRecentFiles(const std::string& stored);
    // To the front; a name already listed moves there, the oldest beyond the capacity goes.
    void Add(const std::string& name);
    const std::vector<std::string>& Names() const { return names_; }
    std::string Stored() const;

private:
    std::vector<std::string> names_;
};

} // namespace veltra
