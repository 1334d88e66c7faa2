#include "app/render/HeadlessView.h"

#include "imaging/JPEG_IO.h"
#include "imaging/RasterCanvas.h"

namespace veltra {

bool THeadlessView::IsChecked(TCheckBoxId box) const
{
    const auto it = boxes_.find(box);
    return it != boxes_.end() && it->second;
}

void THeadlessView::ImageDisplaySize(int& width, int& height) const
{
    width = width_;
    height = height_;
}

std::unique_ptr<TBitmap> THeadlessView::CreateBitmap()
{
    return std::make_unique<TRasterCanvas>(&painter_);
}

void THeadlessView::SaveJPEG(TBitmap& bitmap, const std::string& fileName, int quality,
                             const std::string& comment)
{
    veltra::SaveJPEG(static_cast<TRasterCanvas&>(bitmap).Rgb(), fileName, quality, comment);
}

} // namespace veltra
