#pragma once
// The parts of the main window that other libraries provide: the map bitmap and the check
// boxes that keep their state between runs. Kept in one place so that each can be pointed at
// its library's class without touching the window.
#include <QString>

#include <memory>

#include "base/Canvas.h"

class QCheckBox;
class QImage;
class QWidget;

namespace veltra {

// A new, empty 24-bit map bitmap.
std::unique_ptr<TBitmap> CreateMapBitmap();
// The raster of a bitmap made by CreateMapBitmap, to show or save it.
QImage MapBitmapImage(const TBitmap& bitmap);

// A check box named objectName that keeps its Checked state under persistedName; its stored
// state is restored before this returns, without running any click handler.
QCheckBox* CreatePersistentCheckBox(QWidget* parent, const QString& objectName,
                                    const QString& caption, const QString& persistedName);
// The name a check box made by CreatePersistentCheckBox keeps its state under.
QString PersistedName(const QCheckBox& box);

} // namespace veltra
