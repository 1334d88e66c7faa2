#include "shell/ATOVSDiagnostics.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QPushButton>

#include "shell/VersionInfo.h"

namespace veltra {

TFormATOVSDiagnostics::TFormATOVSDiagnostics(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormATOVSDiagnostics");
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    setWindowTitle(QString("%1 diagnostics - %2").arg(version::ProductName, version::Maker));
    setFixedSize(498, 427);

    ListBoxDiags = new QListWidget(this);
    ListBoxDiags->setObjectName("ListBoxDiags");
    ListBoxDiags->setGeometry(8, 8, 481, 369);
    ListBoxDiags->setUniformItemSizes(true);

    ButtonClose = new QPushButton("Close", this);
    ButtonClose->setObjectName("ButtonClose");
    ButtonClose->setGeometry(400, 392, 89, 25);
    connect(ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
}

void TFormATOVSDiagnostics::showEvent(QShowEvent* event)
{
    ListBoxDiags->clear();
    for (const std::string& line : lines_)
        ListBoxDiags->addItem(
            QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
    QDialog::showEvent(event);
}

} // namespace veltra
