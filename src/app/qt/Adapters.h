#pragma once
// The parts of the main window that other libraries provide: the check boxes that keep their
// state between runs. Kept in one place so that they can be pointed at their library's class
// without touching the window.
#include <QString>

class QCheckBox;
class QWidget;

namespace veltra {

// A check box named objectName that keeps its Checked state under persistedName; its stored
// state is restored before this returns, without running any click handler.
QCheckBox* CreatePersistentCheckBox(QWidget* parent, const QString& objectName,
                                    const QString& caption, const QString& persistedName);
// The name a check box made by CreatePersistentCheckBox keeps its state under.
QString PersistedName(const QCheckBox& box);

} // namespace veltra
