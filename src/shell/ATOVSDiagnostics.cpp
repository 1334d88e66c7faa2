#include "shell/ATOVSDiagnostics.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QPushButton>
#include <QStringDecoder>

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

// The file names come from the platform as UTF-8; the header fields are single-byte text.
// A line that is not valid UTF-8 is taken as Latin-1.
static QString DiagnosticLineText(const std::string& line)
{
    const QByteArrayView bytes(line.data(), static_cast<qsizetype>(line.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

void TFormATOVSDiagnostics::showEvent(QShowEvent* event)
{
    ListBoxDiags->clear();
    for (const std::string& line : lines_)
        ListBoxDiags->addItem(DiagnosticLineText(line));
    QDialog::showEvent(event);
}

} // namespace veltra
