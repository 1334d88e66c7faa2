#pragma once
// The Open and Save As dialogs of the main window over QFileDialog.
#include <QStringList>

#include <string>

#include "app/VeltraView.h"

class QWidget;

namespace veltra {

// Qt name filters from a filter of "caption|masks" pairs, masks separated by ';':
// "Eumetsat files (*.l1c, *.l1d)|*.l1c;*.l1d" gives "Eumetsat files (*.l1c *.l1d *.L1C *.L1D)".
// The caption's own parenthesised mask list is replaced by the masks, and each mask is also
// given in upper case, because Linux file names are case-sensitive while the data files come
// with either.
QStringList QtNameFilters(const std::string& filter);

// File > Open: an existing file, starting in the request's folder with its 1-based filter
// selected; writes back the file and the filter the user ended on. False when cancelled.
bool ExecuteOpenDialog(QWidget* parent, TOpenDialogRequest& request);

// File > Save As: a file name with the default suffix, preset to the request's name, asking
// before an existing file is replaced. False when cancelled or declined.
bool ExecuteSaveDialog(QWidget* parent, TSaveDialogRequest& request);

} // namespace veltra
