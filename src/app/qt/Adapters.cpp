#include "app/qt/Adapters.h"

#include "settings/qt/zorCheckBox.h"

namespace veltra {

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
