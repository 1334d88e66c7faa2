#include "app/qt/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QTabBar>
#include <QTimer>
#include <QUrl>

#include <cstdio>

#include "app/qt/FootprintPanel.h"
#include "app/qt/HelpWindow.h"
#include "app/qt/MapWidgets.h"
#include "app/qt/WindowState.h"
#include "base/Errors.h"
#include "base/Format.h"
#include "imaging/JPEG_IO.h"
#include "imaging/qt/MapCanvas.h"
#include "shell/ATOVSDiagnostics.h"
#include "shell/AddContextMenu.h"

namespace veltra {
namespace {

// The local file names of a drag, or none when it carries anything but local files.
std::vector<std::string> DraggedFiles(const QMimeData* data)
{
    std::vector<std::string> names;
    if (!data || !data->hasUrls())
        return names;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        names.push_back(url.toLocalFile().toStdString());
    }
    return names;
}

} // namespace

QString ApplicationTitle()
{
    return QString("%1 - from %2").arg(TFormVeltra::ProductName, TFormVeltra::MakerName);
}

TMainWindow::TMainWindow(std::vector<std::string> arguments, std::string executable)
{
    setObjectName("FormVeltra");
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    setWindowTitle(QString("%1 - %2").arg(TFormVeltra::ProductName, TFormVeltra::MakerName));
    CreateMenus();
    CreateControls();
    // The design size is the smallest; the window opens larger so the labels under the map
    // fit.
    resize(628, 521 + menuBar()->sizeHint().height());
    setMinimumSize(size());
    resize(880, 660);
    windowState_ = std::make_unique<TWindowState>();
    windowState_->Restore(*this);

    RegisterShellVerb("ATOVS process", ".L1B", executable);
    form_ = std::make_unique<TFormVeltra>(*this, std::move(arguments), std::move(executable));
    Guarded([this] { form_->FormCreate(); });
}

TMainWindow::~TMainWindow()
{
    TimerLoad->stop();
    TimerResize->stop();
    TimerRender->stop();
    windowState_->Remember(*this);
    Guarded([this] { form_->FormDestroy(); });
    while (busy_ > 0)
        EndBusyCursor();
    form_.reset();
}

void TMainWindow::PaintScale(QWidget& bar)
{
    TRasterCanvas canvas(&QtCanvasPainter(), bar.width(), bar.height());
    if (form_)
        Guarded([&] { form_->PaintBoxScalePaint(canvas); });
    QPainter(&bar).drawImage(0, 0, ImageOf(canvas));
}

void TMainWindow::LoadTimerFired()
{
    Guarded([this] { form_->TimerLoadTimer(); });
    // An unattended run ends by closing the window, whatever happened. Should the controller
    // not have closed it, nobody will: the run ends here with a failure status.
    if (Unattended() && isVisible()) {
        if (!errorShown_)
            ShowError("no picture saved for " + form_->Arguments().front());
        if (exitCode_ == 0)
            exitCode_ = 1;
        close();
    }
}

bool TMainWindow::Unwatched() const
{
    const QString platform = QGuiApplication::platformName();
    return Unattended() || platform == "offscreen" || platform == "minimal";
}

QAction* TMainWindow::Action(TMenuItem item) const
{
    return actions_[static_cast<std::size_t>(item)];
}

QTimer* TMainWindow::Timer(TTimerId timer) const
{
    return timer == TTimerId::Load     ? TimerLoad
           : timer == TTimerId::Resize ? TimerResize
                                       : TimerRender;
}

QCheckBox* TMainWindow::CheckBox(TCheckBoxId box) const
{
    return checkBoxes_[static_cast<std::size_t>(box)];
}

QLabel* TMainWindow::Label(TLabelId label) const
{
    return labels_[static_cast<std::size_t>(label)];
}

void TMainWindow::AttachDiagnostics(TFormATOVSDiagnostics* window)
{
    diagnostics_ = window;
    form_->SetDiagnosticLines(window ? &window->Lines() : nullptr);
}

void TMainWindow::AttachAbout(QDialog* window)
{
    about_ = window;
}

void TMainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    Guarded([this] { form_->FormShow(); });
}

void TMainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    dragMoveEvent(event);
}

// Only local files are taken, and only by copying.
void TMainWindow::dragMoveEvent(QDragMoveEvent* event)
{
    if (dropTarget_ && (event->possibleActions() & Qt::CopyAction) &&
        !DraggedFiles(event->mimeData()).empty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TMainWindow::dropEvent(QDropEvent* event)
{
    const std::vector<std::string> names = DraggedFiles(event->mimeData());
    if (!dropTarget_ || names.empty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    Guarded([&] { form_->DropFileTargetDrop(names); });
}

// TVeltraView

void TMainWindow::SetWindowCaption(const std::string& caption)
{
    setWindowTitle(QString::fromStdString(caption));
}

void TMainWindow::SetMenuEnabled(TMenuItem item, bool enabled)
{
    Action(item)->setEnabled(enabled);
}

void TMainWindow::SetMenuChecked(TMenuItem item, bool checked)
{
    Action(item)->setChecked(checked);
}

void TMainWindow::SetSensorTabs(const std::vector<std::string>& captions)
{
    ReplaceTabs(*TabControlSensor, captions);
}

void TMainWindow::SetSensorTabIndex(int index)
{
    const QSignalBlocker quiet(TabControlSensor);
    TabControlSensor->setCurrentIndex(index);
}

void TMainWindow::SetChannelTabs(const std::vector<std::string>& captions)
{
    ReplaceTabs(*TabControlChannel, captions);
}

void TMainWindow::SetChannelTabIndex(int index)
{
    const QSignalBlocker quiet(TabControlChannel);
    TabControlChannel->setCurrentIndex(index);
}

void TMainWindow::SetLabelCaption(TLabelId label, const std::string& caption)
{
    Label(label)->setText(QString::fromStdString(caption));
    if (label == TLabelId::SatName)
        SetLabelHint(label, satelliteHint_);
}

// The satellite label's tooltip starts with the label's own text, which a narrow window cuts.
void TMainWindow::SetLabelHint(TLabelId label, const std::string& hint)
{
    QString tip = QString::fromStdString(hint);
    if (label == TLabelId::SatName) {
        satelliteHint_ = hint;
        const QString text = Label(label)->text();
        tip = hint.empty() ? text : text + "\n" + tip;
    }
    Label(label)->setToolTip(tip);
}

void TMainWindow::SetHintHidePause(int milliseconds)
{
    for (QLabel* label : labels_)
        label->setToolTipDuration(milliseconds);
    for (QCheckBox* box : checkBoxes_)
        box->setToolTipDuration(milliseconds);
}

bool TMainWindow::IsChecked(TCheckBoxId box) const
{
    return CheckBox(box)->isChecked();
}

void TMainWindow::SetCheckBoxVisible(TCheckBoxId box, bool visible)
{
    CheckBox(box)->setVisible(visible);
}

void TMainWindow::SetScaleBarHeight(int height)
{
    PaintBoxScale->setFixedHeight(height);
}

int TMainWindow::TextHeight(const std::string& text) const
{
    return fontMetrics().size(Qt::TextSingleLine, QString::fromStdString(text)).height();
}

void TMainWindow::ImageDisplaySize(int& width, int& height) const
{
    width = ImageDisplay->width();
    height = ImageDisplay->height();
}

// After every render pass: the picture, and the footprint panel with the pass's channel.
void TMainWindow::InvalidateImage()
{
    ImageDisplay->update();
    if (footprintPanel_)
        footprintPanel_->Refresh();
}

void TMainWindow::InvalidateScale()
{
    PaintBoxScale->update();
}

void TMainWindow::StartTimer(TTimerId timer, int milliseconds)
{
    Timer(timer)->start(milliseconds);
}

void TMainWindow::StopTimer(TTimerId timer)
{
    Timer(timer)->stop();
}

void TMainWindow::BeginBusyCursor()
{
    if (busy_++ == 0)
        QApplication::setOverrideCursor(Qt::WaitCursor);
}

void TMainWindow::EndBusyCursor()
{
    if (busy_ > 0 && --busy_ == 0)
        QApplication::restoreOverrideCursor();
}

void TMainWindow::RegisterDropTarget()
{
    dropTarget_ = true;
    setAcceptDrops(true);
}

void TMainWindow::UnregisterDropTarget()
{
    dropTarget_ = false;
    setAcceptDrops(false);
}

void TMainWindow::ShowMessage(const std::string& text)
{
    if (Unwatched())
        std::fprintf(stdout, "veltra: %s\n", text.c_str());
    else
        QMessageBox::information(this, ApplicationTitle(), QString::fromStdString(text));
}

void TMainWindow::ShowError(const std::string& text)
{
    errorShown_ = true;
    if (Unwatched()) // one line each, whatever a file name holds
        std::fprintf(stderr, "veltra: %s\n", EscapeControls(text).c_str());
    else
        QMessageBox::critical(this, ApplicationTitle(), QString::fromStdString(text));
}

void TMainWindow::ShowDiagnostics()
{
    if (diagnostics_)
        diagnostics_->exec();
}

void TMainWindow::ShowAbout()
{
    if (about_)
        about_->exec();
}

void TMainWindow::ShowHelp()
{
    if (!help_)
        help_ = CreateHelpWindow(this);
    help_->show();
    help_->raise();
}

void TMainWindow::SetRecentFiles(const std::vector<std::string>& names,
                                 const std::vector<bool>& present)
{
    recentMenu_->clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
        QAction* action = recentMenu_->addAction(QString::fromStdString(names[i]));
        action->setEnabled(i < present.size() && present[i]);
        const int index = static_cast<int>(i);
        connect(action, &QAction::triggered, this,
                [this, index] { Guarded([&] { form_->MenuFileOpenRecentClick(index); }); });
    }
    recentMenu_->setEnabled(!names.empty());
}

void TMainWindow::Close()
{
    close();
}

TCanvasPainter& TMainWindow::Painter()
{
    return QtCanvasPainter();
}

void TMainWindow::SaveJPEG(const TRgbImage& pixels, const std::string& fileName, int quality,
                           const std::string& comment)
{
    ::veltra::SaveJPEG(pixels, fileName, quality, comment);
}

} // namespace veltra
