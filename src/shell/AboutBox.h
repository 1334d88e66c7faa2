#pragma once
// The about window: icon, product name, version and build date, copyright and the maker's
// web address, which opens in the browser when clicked.
#include <QDialog>
#include <QUrl>

#include <functional>

class QLabel;
class QPushButton;

namespace veltra {

// The address a web-site text opens: the text with "http://" put in front when it names no
// scheme; an empty URL for an empty text.
QUrl WebSiteUrl(const QString& text);

// "<executable file name>, V<version>, <build date>".
QString VersionLine(const QString& executableFileName);

class TFormAboutBox : public QDialog {
public:
    explicit TFormAboutBox(QWidget* parent = nullptr);

    // Opens the address of the web-site label; nothing when the label is empty.
    void WebSiteClick();

    // How an address is opened: the desktop's browser, replaced by tests.
    std::function<void(const QUrl&)> OpenUrl;

protected:
    void showEvent(QShowEvent* event) override;
    // Escape closes the window with the result OK, as the OK button does.
    void reject() override;

private:
    void FormShow();

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Copyright;
    QLabel* WebSite;
    QPushButton* OKButton;
};

} // namespace veltra
