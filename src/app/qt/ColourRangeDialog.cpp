// Options > "Colour range...": the minimum and maximum of the selected channel's range, in
// kelvin, or the channel's default limits. The controller checks what was typed.
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/qt/MainWindow.h"

namespace veltra {

bool TMainWindow::ExecuteColourRangeDialog(TColourRangeRequest& request)
{
    QDialog dialog(this);
    dialog.setObjectName("ColourRangeDialog");
    dialog.setWindowTitle("Colour range");
    auto* layout = new QFormLayout(&dialog);
    layout->addRow(new QLabel(QString::fromStdString(request.Channel), &dialog));
    auto field = [&](const char* name, const char* caption, const std::string& text) {
        auto* edit = new QLineEdit(QString::fromStdString(text), &dialog);
        edit->setObjectName(name);
        layout->addRow(caption, edit);
        return edit;
    };
    QLineEdit* minimum = field("ColourRangeMinimum", "&Minimum (K):", request.Minimum);
    QLineEdit* maximum = field("ColourRangeMaximum", "M&aximum (K):", request.Maximum);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                             QDialogButtonBox::RestoreDefaults,
                                         &dialog);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText("&Default");
    buttons->button(QDialogButtonBox::RestoreDefaults)->setToolTip("The channel's own limits");
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, &dialog,
            [&] {
                request.Default = true;
                dialog.accept();
            });
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request.Minimum = minimum->text().toStdString();
    request.Maximum = maximum->text().toStdString();
    return true;
}

} // namespace veltra
