#include "app/qt/Adapters.h"

#include "imaging/qt/MapCanvas.h"
#include "settings/qt/zorCheckBox.h"

namespace veltra {

std::unique_ptr<TBitmap> CreateMapBitmap()
{
    return std::make_unique<TMapCanvas>();
}

QImage MapBitmapImage(const TBitmap& bitmap)
{
    return static_cast<const TMapCanvas&>(bitmap).Image();
}

QCheckBox* CreatePersistentCheckBox(QWidget* parent, const QString& objectName,
                                    const QString& caption, const QString& persistedName)
{
    auto* box = new TzorCheckBox(caption, parent);
    box->setObjectName(objectName);
    box->SetNamedAs(persistedName);
    box->Restore();
    return box;
}

QString PersistedName(const QCheckBox& box)
{
    return static_cast<const TzorCheckBox&>(box).NamedAs();
}

} // namespace veltra
