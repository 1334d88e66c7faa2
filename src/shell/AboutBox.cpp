#include "shell/AboutBox.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/AppIcon.h"
#include "shell/VersionInfo.h"

namespace veltra {
namespace {

// A label that reports a left click, for the web address.
class TClickLabel : public QLabel {
public:
    std::function<void()> Clicked;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
            Clicked)
            Clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

QLabel* AddLabel(QLabel* label, const char* name, QLayout* layout)
{
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
    return label;
}

} // namespace

QUrl WebSiteUrl(const QString& text)
{
    if (text.isEmpty())
        return {};
    // An address without a scheme gets "http://"; one with "https://" is kept as it is.
    if (text.contains("http://") || text.contains("https://"))
        return QUrl(text);
    return QUrl("http://" + text);
}

QString VersionLine(const QString& executableFileName)
{
    return QString("%1, V%2, %3").arg(executableFileName, version::FileVersion, version::BuildDate);
}

TFormAboutBox::TFormAboutBox(QWidget* parent)
    : QDialog(parent), OpenUrl([](const QUrl& url) { QDesktopServices::openUrl(url); })
{
    setObjectName("FormAboutBox");
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));

    auto* panel = new QFrame(this);
    panel->setObjectName("Panel");
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* panelLayout = new QHBoxLayout(panel);
    ProgramIcon = new QLabel(panel);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setFixedSize(32, 32);
    panelLayout->addWidget(ProgramIcon, 0, Qt::AlignTop);
    auto* texts = new QVBoxLayout;
    panelLayout->addLayout(texts, 1);
    ProductName = AddLabel(new QLabel(panel), "ProductName", texts);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = AddLabel(new QLabel(panel), "Version", texts);
    Copyright = AddLabel(new QLabel(panel), "Copyright", texts);
    auto* webSite = new TClickLabel;
    webSite->setParent(panel);
    WebSite = AddLabel(webSite, "WebSite", texts);
    WebSite->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    WebSite->setCursor(Qt::PointingHandCursor);
    QFont underlined = WebSite->font();
    underlined.setUnderline(true);
    WebSite->setFont(underlined);
    QPalette navy = WebSite->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    WebSite->setPalette(navy);
    webSite->Clicked = [this] { WebSiteClick(); };

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    FormShow();
}

void TFormAboutBox::FormShow()
{
    setWindowTitle(QString("About %1").arg(version::ProductName));
    ProgramIcon->setPixmap(AppIcon().pixmap(32, 32));
    ProductName->setText(version::ProductName);
    Version->setText(VersionLine(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    Copyright->setText(version::Copyright);
    WebSite->setText(version::WebSite);
}

void TFormAboutBox::WebSiteClick()
{
    const QUrl url = WebSiteUrl(WebSite->text());
    if (!url.isEmpty() && OpenUrl)
        OpenUrl(url);
}

void TFormAboutBox::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TFormAboutBox::reject()
{
    accept();
}

} // namespace veltra
