#include "app/qt/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace veltra {

QStringList QtNameFilters(const std::string& filter)
{
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString caption = parts[i];
        caption.remove(QRegularExpression(R"(\s*\([^()]*\)\s*$)"));
        QStringList masks;
        for (const QString& mask : parts[i + 1].split(';', Qt::SkipEmptyParts))
            masks << mask.trimmed();
        for (const QString& mask : QStringList(masks)) {
            const QString upper = mask.toUpper();
            if (!masks.contains(upper))
                masks << upper;
        }
        filters << QString("%1 (%2)").arg(caption.trimmed(), masks.join(' '));
    }
    return filters;
}

bool ExecuteOpenDialog(QWidget* parent, TOpenDialogRequest& request)
{
    QFileDialog dialog(parent, "Open");
    dialog.setObjectName("OpenDialog");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Several files chosen at once open as one composite.
    dialog.setFileMode(QFileDialog::ExistingFiles);
    const QStringList filters = QtNameFilters(request.Filter);
    dialog.setNameFilters(filters);
    if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.FilterIndex - 1]);
    if (!request.InitialFolder.empty())
        dialog.setDirectory(QString::fromStdString(request.InitialFolder));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    request.FileName = dialog.selectedFiles().first().toStdString();
    request.FileNames.clear();
    for (const QString& name : dialog.selectedFiles())
        request.FileNames.push_back(name.toStdString());
    const auto index = filters.indexOf(dialog.selectedNameFilter());
    if (index >= 0)
        request.FilterIndex = static_cast<int>(index) + 1;
    return true;
}

bool ExecuteSaveDialog(QWidget* parent, TSaveDialogRequest& request)
{
    QFileDialog dialog(parent, "Save As");
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(QtNameFilters(request.Filter));
    dialog.setDefaultSuffix(QString::fromStdString(request.DefaultExtension));
    if (!request.FileName.empty()) {
        const QFileInfo preset(QString::fromStdString(request.FileName));
        dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    request.FileName = dialog.selectedFiles().first().toStdString();
    return true;
}

} // namespace veltra
