// The dialogs the window runs for the controller: opening and saving a file, and View >
// "Difference with channel...", the channel subtracted from the one shown, chosen among the
// sensor's others, or none for the channel alone.
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

#include "app/qt/FileDialogs.h"
#include "app/qt/MainWindow.h"

namespace veltra {

bool TMainWindow::ExecuteOpenDialog(TOpenDialogRequest& request)
{
    return ::veltra::ExecuteOpenDialog(this, request);
}

bool TMainWindow::ExecuteSaveDialog(TSaveDialogRequest& request)
{
    return ::veltra::ExecuteSaveDialog(this, request);
}

bool TMainWindow::ExecuteDifferenceDialog(TDifferenceRequest& request)
{
    QDialog dialog(this);
    dialog.setObjectName("DifferenceDialog");
    dialog.setWindowTitle("Difference with channel");
    auto* layout = new QFormLayout(&dialog);
    layout->addRow(new QLabel(QString("%1 channel %2, less:")
                                  .arg(QString::fromStdString(request.Sensor))
                                  .arg(request.Channel),
                              &dialog));
    auto* channels = new QComboBox(&dialog);
    channels->setObjectName("DifferenceChannel");
    channels->addItem("None (the channel alone)", 0);
    for (const int channel : request.Channels) {
        channels->addItem(QString("Channel %1").arg(channel), channel);
        if (channel == request.Subtracted)
            channels->setCurrentIndex(channels->count() - 1);
    }
    layout->addRow("&Channel:", channels);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request.Subtracted = channels->currentData().toInt();
    return true;
}

} // namespace veltra
