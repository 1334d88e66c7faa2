#include "app/render/HeadlessView.h"

#include "imaging/JPEG_IO.h"

namespace veltra {

bool THeadlessView::IsChecked(TCheckBoxId box) const
{
    const auto it = boxes_.find(box);
    return it != boxes_.end() && it->second;
}

void THeadlessView::SaveJPEG(const TRgbImage& pixels, const std::string& fileName, int quality,
                             const std::string& comment)
{
    veltra::SaveJPEG(pixels, fileName, quality, comment);
}

} // namespace veltra
