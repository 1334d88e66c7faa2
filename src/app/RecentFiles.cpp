#include "app/RecentFiles.h"

#include <algorithm>

namespace veltra {

TRecentFiles::TRecentFiles(const std::string& stored)
{
    std::size_t start = 0;
    while (start <= stored.size() && names_.size() < Capacity) {
        const std::size_t end = std::min(stored.find('\n', start), stored.size());
        const std::string name = stored.substr(start, end - start);
        if (!name.empty() && std::find(names_.begin(), names_.end(), name) == names_.end())
            names_.push_back(name);
        start = end + 1;
    }
}

void TRecentFiles::Add(const std::string& name)
{
    if (name.empty() || name.find('\n') != std::string::npos)
        return;
    names_.erase(std::remove(names_.begin(), names_.end(), name), names_.end());
    names_.insert(names_.begin(), name);
    if (names_.size() > Capacity)
        names_.resize(Capacity);
}

std::string TRecentFiles::Stored() const
{
    std::string text;
    for (const std::string& name : names_)
        text += (text.empty() ? "" : "\n") + name;
    return text;
}

} // namespace veltra
