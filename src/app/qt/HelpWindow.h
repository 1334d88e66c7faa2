#pragma once
// The short help window of F1: what the tabs, boxes and menus do, the keys, how to zoom.
class QDialog;
class QWidget;

namespace veltra {

// A window that stays open beside the main window until closed.
QDialog* CreateHelpWindow(QWidget* parent);

} // namespace veltra
