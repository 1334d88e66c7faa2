// The diagnostics and about windows: their controls, captions and behaviour.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "shell/ATOVSDiagnostics.h"
#include "shell/AboutBox.h"

namespace veltra {
namespace {

template <class T> T* Child(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(nullptr, child) << name;
    return child;
}

TEST(DiagnosticsWindowTest, ControlsSitWhereDesigned)
{
    TFormATOVSDiagnostics window;
    EXPECT_EQ(QSize(498, 427), window.size());
    EXPECT_EQ("Veltra diagnostics - Brenmoor", window.windowTitle());
    auto* list = Child<QListWidget>(window, "ListBoxDiags");
    auto* close = Child<QPushButton>(window, "ButtonClose");
    ASSERT_TRUE(list && close);
    EXPECT_EQ(QRect(8, 8, 481, 369), list->geometry());
    EXPECT_EQ(QRect(400, 392, 89, 25), close->geometry());
    EXPECT_EQ("Close", close->text());
}

TEST(DiagnosticsWindowTest, ShowsTheCurrentLinesEachTimeAndCloses)
{
    TFormATOVSDiagnostics window;
    auto* list = Child<QListWidget>(window, "ListBoxDiags");
    ASSERT_TRUE(list);
    window.Lines() = {"Files:", "/data/NSS.HIRX.NK.D10196.L1B", "Station \xE9t\xE9",
                      "/data/M\xC3\xBCller/NSS.HIRX.NK.D10196.L1B"};
    window.show();
    ASSERT_EQ(4, list->count());
    EXPECT_EQ("Files:", list->item(0)->text());
    // Header bytes are single-byte text, shown as Latin-1; file names come as UTF-8.
    EXPECT_EQ(QString::fromUtf8("Station été"), list->item(2)->text());
    EXPECT_EQ(QString::fromUtf8("/data/Müller/NSS.HIRX.NK.D10196.L1B"), list->item(3)->text());

    QTest::mouseClick(Child<QPushButton>(window, "ButtonClose"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(QDialog::Accepted, window.result());

    window.Lines() = {"Files:"};
    window.show();
    EXPECT_EQ(1, list->count());
}

TEST(AboutWindowTest, LabelsCarryTheVersionInformation)
{
    TFormAboutBox about;
    about.show();
    EXPECT_EQ("About Veltra", about.windowTitle());
    auto* product = Child<QLabel>(about, "ProductName");
    auto* version = Child<QLabel>(about, "Version");
    auto* copyright = Child<QLabel>(about, "Copyright");
    auto* web = Child<QLabel>(about, "WebSite");
    auto* icon = Child<QLabel>(about, "ProgramIcon");
    auto* ok = Child<QPushButton>(about, "OKButton");
    ASSERT_TRUE(product && version && copyright && web && icon && ok);
    EXPECT_EQ("Veltra", product->text());
    EXPECT_TRUE(product->font().bold());
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    EXPECT_TRUE(version->text().startsWith(exe + ", V1.")) << version->text().toStdString();
    EXPECT_TRUE(QRegularExpression("^.*, V[0-9.]+, [0-9]{4} [A-Z][a-z]{2} [0-9]{2}$")
                    .match(version->text())
                    .hasMatch())
        << version->text().toStdString();
    EXPECT_TRUE(copyright->text().contains("Brenmoor"));
    EXPECT_FALSE(web->text().isEmpty());
    EXPECT_TRUE(web->font().underline());
    EXPECT_EQ(Qt::PointingHandCursor, web->cursor().shape());
    EXPECT_EQ(QColor(0, 0, 128), web->palette().color(QPalette::WindowText));
    EXPECT_TRUE(web->alignment() & Qt::AlignRight);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ("OK", ok->text());
    EXPECT_TRUE(ok->isDefault());

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(QDialog::Accepted, about.result());
}

TEST(AboutWindowTest, EscapeClosesWithResultOk)
{
    TFormAboutBox about;
    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(QDialog::Accepted, about.result());
}

TEST(AboutWindowTest, ClickingTheWebSiteOpensItsAddress)
{
    TFormAboutBox about;
    QList<QUrl> opened;
    about.OpenUrl = [&opened](const QUrl& url) { opened.append(url); };
    about.show();
    auto* web = Child<QLabel>(about, "WebSite");
    ASSERT_TRUE(web);
    QTest::mouseClick(web, Qt::LeftButton);
    ASSERT_EQ(1, opened.size());
    EXPECT_EQ(WebSiteUrl(web->text()), opened[0]);

    web->setText("");
    about.WebSiteClick();
    EXPECT_EQ(1, opened.size());
}

TEST(AboutWindowTest, WebSiteAddressGetsAScheme)
{
    EXPECT_TRUE(WebSiteUrl("").isEmpty());
    EXPECT_EQ(QUrl("http://www.brenmoor.example"), WebSiteUrl("www.brenmoor.example"));
    EXPECT_EQ(QUrl("http://www.brenmoor.example/v"), WebSiteUrl("http://www.brenmoor.example/v"));
    EXPECT_EQ(QUrl("https://www.brenmoor.example"), WebSiteUrl("https://www.brenmoor.example"));
}

} // namespace
} // namespace veltra
