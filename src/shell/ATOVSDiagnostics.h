#pragma once
// The diagnostics window: a plain list of what the last open found, the file names and the
// decoded header fields. The main window's controller owns no lines of its own: it writes
// into this window's line list, which the window shows each time it is opened.
#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QPushButton;

namespace veltra {

class TFormATOVSDiagnostics : public QDialog {
public:
    explicit TFormATOVSDiagnostics(QWidget* parent = nullptr);

    // The lines, single-byte text; the controller clears and appends, the window only reads.
    std::vector<std::string>& Lines() { return lines_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::vector<std::string> lines_;
    QListWidget* ListBoxDiags;
    QPushButton* ButtonClose;
};

} // namespace veltra
