#include "formats/Samples.h"

namespace veltra {

void TSampleList::Reset()
{
    count_ = 0;
    samples_.assign(BlockLength, TSample{});
}

void TSampleList::AddSample(float latitude, float longitude, float temperature)
{
    ++count_;
    if (Length() < count_)
        samples_.resize(samples_.size() + BlockLength);
    samples_[static_cast<std::size_t>(count_ - 1)] = TSample{latitude, longitude, temperature};
}

} // namespace veltra
