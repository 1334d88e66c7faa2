#pragma once
// The program's icon: the installed theme icon named after the desktop id, or, when the
// program runs from its build folder, the same picture drawn here.
#include <QIcon>

namespace veltra {

QIcon AppIcon();

} // namespace veltra
