#include "app/qt/Adapters.h"

#include <QCheckBox>

#include "app/qt/QImageBitmap.h"

namespace veltra {

std::unique_ptr<TBitmap> CreateMapBitmap() { return std::make_unique<TQImageBitmap>(); }

const QImage& MapBitmapImage(const TBitmap& bitmap)
{
    return static_cast<const TQImageBitmap&>(bitmap).Image();
}

// Not persisted yet: the persisting check box of the settings library replaces the plain one.
QCheckBox* CreatePersistentCheckBox(QWidget* parent, const QString& objectName,
                                    const QString& caption, const QString& persistedName)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(objectName);
    box->setProperty("NamedAs", persistedName);
    return box;
}

QString PersistedName(const QCheckBox& box) { return box.property("NamedAs").toString(); }

} // namespace veltra
