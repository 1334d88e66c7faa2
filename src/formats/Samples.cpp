#include "formats/Samples.h"

namespace veltra {

void TSampleList::Reset()
{
    count_ = 0;
    samples_.assign(BlockLength, TSample{});
    origins_.assign(BlockLength, TSampleOrigin{});
}

void TSampleList::AddSample(float latitude, float longitude, float temperature,
                            TSampleOrigin origin)
{
    ++count_;
    if (Length() < count_) {
        samples_.resize(samples_.size() + BlockLength);
        origins_.resize(samples_.size());
    }
    const auto at = static_cast<std::size_t>(count_ - 1);
    samples_[at] = TSample{latitude, longitude, temperature};
    origins_[at] = origin;
}

} // namespace veltra
