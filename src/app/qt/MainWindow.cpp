#include "app/qt/MainWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QProxyStyle>
#include <QTabBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>
#include <initializer_list>

#include "app/qt/Adapters.h"
#include "app/qt/FileDialogs.h"
#include "base/Errors.h"
#include "imaging/JPEG_IO.h"
#include "shell/ATOVSDiagnostics.h"
#include "shell/AddContextMenu.h"

namespace veltra {
namespace {

// A plain widget whose paint, mouse and size events go to the window: the map image and the
// scale bar.
class TEventWidget : public QWidget {
public:
    using QWidget::QWidget;
    std::function<void(QWidget&)> OnPaint;
    std::function<void(int, int)> OnMouseMove;
    std::function<void()> OnLeave;
    std::function<void()> OnResize;

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (OnPaint)
            OnPaint(*this);
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        const QPoint at = event->position().toPoint();
        if (OnMouseMove)
            OnMouseMove(at.x(), at.y());
    }
    void leaveEvent(QEvent*) override
    {
        if (OnLeave)
            OnLeave();
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (OnResize)
            OnResize();
    }
};

// Channel tabs are 29 x 22 pixels, so all twenty HIRS channels fit across the window. The
// styles keep 12 pixels either side of a tab's text, which would leave no room for two digits
// in 29 pixels; these tabs keep 4. A font too wide for that widens them.
constexpr int ChannelTabPadding = 8;

class TChannelTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override
    {
        return metric == PM_TabBarTabHSpace ? ChannelTabPadding
                                            : QProxyStyle::pixelMetric(metric, option, widget);
    }
};

class TChannelTabBar : public QTabBar {
public:
    explicit TChannelTabBar(QWidget* parent) : QTabBar(parent)
    {
        auto* style = new TChannelTabStyle;
        style->setParent(this);
        setStyle(style);
    }

protected:
    QSize tabSizeHint(int index) const override
    {
        const int text = fontMetrics().horizontalAdvance(tabText(index));
        return {std::max(29, text + ChannelTabPadding + 2), 22};
    }
};

void ReplaceTabs(QTabBar& bar, const std::vector<std::string>& captions)
{
    const QSignalBlocker quiet(&bar);
    while (bar.count() > 0)
        bar.removeTab(bar.count() - 1);
    for (const std::string& caption : captions)
        bar.addTab(QString::fromStdString(caption));
    bar.setCurrentIndex(0);
}

QKeySequence StandardShortcut(QKeySequence::StandardKey key, const char* fallback)
{
    const QList<QKeySequence> bindings = QKeySequence::keyBindings(key);
    return bindings.isEmpty() ? QKeySequence(fallback) : bindings.first();
}

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

struct TMenuEntry {
    TMenuItem Item;
    const char* Name;
    const char* Caption;
};

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

    RegisterShellVerb("ATOVS process", ".L1B", executable);
    form_ = std::make_unique<TFormVeltra>(*this, std::move(arguments), std::move(executable));
    Guarded([this] { form_->FormCreate(); });
}

TMainWindow::~TMainWindow()
{
    TimerLoad->stop();
    TimerResize->stop();
    Guarded([this] { form_->FormDestroy(); });
    while (busy_ > 0)
        EndBusyCursor();
    form_.reset();
}

template <class Operation> bool TMainWindow::Guarded(Operation&& operation) noexcept
{
    try {
        try {
            operation();
            return true;
        } catch (const std::exception& e) {
            ShowError(e.what());
        } catch (...) {
            ShowError("Unexpected failure");
        }
    } catch (...) {
        std::fputs("veltra: a failure could not be shown\n", stderr);
    }
    return false;
}

void TMainWindow::CreateMenus()
{
    auto add = [this](QMenu* menu, const TMenuEntry& entry) {
        QAction* action = menu->addAction(entry.Caption);
        action->setObjectName(entry.Name);
        actions_[static_cast<std::size_t>(entry.Item)] = action;
        return action;
    };
    auto plain = [this, add](QMenu* menu, const TMenuEntry& entry, void (TFormVeltra::*handler)()) {
        connect(add(menu, entry), &QAction::triggered, this,
                [this, handler] { Guarded([&] { (form_.get()->*handler)(); }); });
    };
    auto radio = [this, add](QMenu* menu, std::initializer_list<TMenuEntry> entries,
                             void (TFormVeltra::*handler)(TMenuItem)) {
        auto* group = new QActionGroup(menu);
        for (const TMenuEntry& entry : entries) {
            QAction* action = add(menu, entry);
            action->setCheckable(true);
            group->addAction(action);
            const TMenuItem item = entry.Item;
            connect(action, &QAction::triggered, this,
                    [this, handler, item] { Guarded([&] { (form_.get()->*handler)(item); }); });
        }
    };

    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("MenuFile");
    plain(file, {TMenuItem::FileOpen, "MenuFileOpen", "&Open..."},
          &TFormVeltra::MenuFileOpenClick);
    plain(file, {TMenuItem::FileSaveAs, "MenuFileSaveAs", "Save &As..."},
          &TFormVeltra::MenuFileSaveAsClick);
    plain(file, {TMenuItem::FileSaveRaw, "MenuFileSaveRaw", "Save &brightness temperatures"},
          &TFormVeltra::MenuFileSaveRawClick);
    file->addSeparator();
    plain(file, {TMenuItem::FileExit, "MenuFileExit", "E&xit"}, &TFormVeltra::MenuFileExitClick);
    Action(TMenuItem::FileOpen)->setShortcut(StandardShortcut(QKeySequence::Open, "Ctrl+O"));
    Action(TMenuItem::FileSaveAs)
        ->setShortcut(StandardShortcut(QKeySequence::SaveAs, "Ctrl+Shift+S"));
    Action(TMenuItem::FileExit)->setShortcut(StandardShortcut(QKeySequence::Quit, "Ctrl+Q"));
    Action(TMenuItem::FileSaveAs)->setEnabled(false);
    Action(TMenuItem::FileSaveRaw)->setEnabled(false);

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("MenuView");
    plain(view, {TMenuItem::ViewDiagnostics, "MenuViewDiagnostics", "&Diagnostics..."},
          &TFormVeltra::MenuViewDiagnosticsClick);

    QMenu* options = menuBar()->addMenu("&Options");
    options->setObjectName("MenuOptions");
    QMenu* background = options->addMenu("&Background");
    background->setObjectName("MenuOptionsBackground");
    radio(background,
          {{TMenuItem::BackgroundBlack, "MenuOptionsBackgroundBlack", "&Black"},
           {TMenuItem::BackgroundWhite, "MenuOptionsBackgroundWhite", "&White"}},
          &TFormVeltra::MenuOptionsBackgroundClick);
    Action(TMenuItem::BackgroundBlack)->setChecked(true);
    QMenu* projection = options->addMenu("Map &projection");
    projection->setObjectName("MenuOptionsMapProjection");
    radio(projection,
          {{TMenuItem::ProjectionMercator, "MenuOptionsMercator", "&Mercator"},
           {TMenuItem::ProjectionMercatorZoomed, "MenuOptionsMercatorZoomed", "Mercator (zoomed)"},
           {TMenuItem::ProjectionOrthographic, "MenuOptionsOrthographic", "&Orthographic"},
           {TMenuItem::ProjectionPlateCarree, "MenuOptionsPlateCaree", "Plate &Caree"},
           {TMenuItem::ProjectionPlateCarreeZoomed, "MenuOptionsPlateCareeZoomed",
            "Plate Caree (zoomed)"},
           {TMenuItem::ProjectionPolarStereographic, "MenuOptionsPolarStereographic",
            "&Polar stereographic"}},
          &TFormVeltra::MenuOptionsMapProjectionClick);
    QMenu* region = options->addMenu("Map &region");
    region->setObjectName("MenuOptionsRegion");
    radio(region,
          {{TMenuItem::RegionAtlantic, "MenuOptionsRegionAtlantic", "&Atlantic"},
           {TMenuItem::RegionEurope, "MenuOptionsRegionEurope", "&Europe"},
           {TMenuItem::RegionIndianOcean, "MenuOptionsRegionIndianOcean", "&Indian Ocean"},
           {TMenuItem::RegionNorthAmerica, "MenuOptionsRegionNorthAmerica", "&North America"},
           {TMenuItem::RegionNorthPole, "MenuOptionsRegionNorthPole", "North &pole"},
           {TMenuItem::RegionSouthAmerica, "MenuOptionsRegionSouthAmerica", "&South America"}},
          &TFormVeltra::MenuOptionsRegionClick);

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("MenuHelp");
    plain(help, {TMenuItem::HelpAbout, "MenuHelpAbout", "&About..."},
          &TFormVeltra::MenuHelpAboutClick);
}

void TMainWindow::CreateControls()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(0);

    TabControlSensor = new QTabBar(central);
    TabControlSensor->setObjectName("TabControlSensor");
    TabControlSensor->setExpanding(false);
    ReplaceTabs(*TabControlSensor, {"HIRS", "AMSU-A", "AMSU-B"});
    connect(TabControlSensor, &QTabBar::currentChanged, this, [this](int index) {
        Guarded([&] {
            form_->SelectSensorTab(index);
            form_->TabControlSensorChange();
        });
    });
    layout->addWidget(TabControlSensor);

    // The channel tabs and the map sit inside the sensor tabs' page.
    auto* page = new QFrame(central);
    page->setObjectName("TabControlSensorPage");
    page->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(4, 4, 4, 4);
    pageLayout->setSpacing(0);
    TabControlChannel = new TChannelTabBar(page);
    TabControlChannel->setObjectName("TabControlChannel");
    TabControlChannel->setExpanding(false);
    TabControlChannel->setElideMode(Qt::ElideNone);
    ReplaceTabs(*TabControlChannel, {"1",  "2",  "3",  "4",  "5",  "6",  "7",
                                     "8",  "9",  "10", "11", "12", "13", "14",
                                     "15", "16", "17", "18", "19", "20"});
    connect(TabControlChannel, &QTabBar::currentChanged, this, [this](int index) {
        Guarded([&] {
            form_->SelectChannelTab(index);
            form_->TabControlChannelChange();
        });
    });
    pageLayout->addWidget(TabControlChannel);

    auto* image = new TEventWidget(page);
    ImageDisplay = image;
    image->setObjectName("ImageDisplay");
    image->setCursor(Qt::CrossCursor);
    image->setMouseTracking(true);
    image->setAttribute(Qt::WA_OpaquePaintEvent);
    image->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    image->OnPaint = [this](QWidget& widget) {
        QPainter painter(&widget);
        painter.fillRect(widget.rect(), widget.palette().window());
        if (form_ && form_->MapBitmap)
            painter.drawImage(0, 0, MapBitmapImage(*form_->MapBitmap));
    };
    image->OnMouseMove = [this](int x, int y) {
        Guarded([&] { form_->ImageDisplayMouseMove(x, y); });
    };
    image->OnLeave = [this] { Guarded([&] { form_->ImageDisplayMouseLeave(); }); };
    image->OnResize = [this] {
        if (form_)
            Guarded([&] { form_->TabControlChannelResize(); });
    };
    pageLayout->addWidget(image, 1);
    layout->addWidget(page, 1);
    layout->addSpacing(4);
    layout->addWidget(CreateStatusStrip());
    setCentralWidget(central);

    TimerLoad = new QTimer(this);
    TimerLoad->setObjectName("TimerLoad");
    TimerLoad->setSingleShot(true);
    TimerLoad->setInterval(800);
    connect(TimerLoad, &QTimer::timeout, this, [this] { LoadTimerFired(); });
    TimerResize = new QTimer(this);
    TimerResize->setObjectName("TimerResize");
    TimerResize->setSingleShot(true);
    TimerResize->setInterval(400);
    connect(TimerResize, &QTimer::timeout, this,
            [this] { Guarded([&] { form_->TimerResizeTimer(); }); });
}

// The strip under the map: the check boxes, the scale bar between its two limits, the
// satellite name and the cursor read-out, anchored to the bottom-left corner.
QWidget* TMainWindow::CreateStatusStrip()
{
    auto* strip = new QWidget;
    auto* layout = new QHBoxLayout(strip);
    layout->setContentsMargins(0, 0, 0, 0);

    struct TBox {
        TCheckBoxId Id;
        const char* Name;
        const char* Caption;
        const char* Hint;
        const char* PersistedAs;
    };
    const TBox boxes[] = {
        {TCheckBoxId::TempsInC, "CheckBoxTempsInC", "K/C", "Show temperatures in Kelvin or Celsius",
         "TempsInC"},
        {TCheckBoxId::FixMaxTemp, "CheckBoxFixMaxTemp", "Fixed",
         "Fix to maximum temperature to 350K", "FixMaxTemp"},
        {TCheckBoxId::Gridlines, "CheckBoxGridlines", "Gridlines", "Check to display gridlines",
         "ShowGridlines"},
        {TCheckBoxId::OpenGroup, "CheckBoxOpenGroup", "Open group",
         "Check to open files from all stations - program restart required", "OpenGroup"},
    };
    for (const TBox& box : boxes) {
        QCheckBox* widget = CreatePersistentCheckBox(strip, box.Name, box.Caption, box.PersistedAs);
        widget->setToolTip(box.Hint);
        checkBoxes_[static_cast<std::size_t>(box.Id)] = widget;
        layout->addWidget(widget);
    }
    CheckBox(TCheckBoxId::OpenGroup)->setVisible(false);
    connect(CheckBox(TCheckBoxId::TempsInC), &QCheckBox::clicked, this,
            [this] { Guarded([&] { form_->CheckBoxTempsInCClick(); }); });
    for (TCheckBoxId id : {TCheckBoxId::FixMaxTemp, TCheckBoxId::Gridlines})
        connect(CheckBox(id), &QCheckBox::clicked, this,
                [this] { Guarded([&] { form_->TabControlChannelChange(); }); });

    auto label = [this, strip](TLabelId id, const char* name, const char* caption) {
        auto* widget = new QLabel(caption, strip);
        widget->setObjectName(name);
        widget->setTextFormat(Qt::PlainText);
        labels_[static_cast<std::size_t>(id)] = widget;
        return widget;
    };
    QLabel* minTemp = label(TLabelId::MinTemp, "LabelMinTemp", "MinT");
    minTemp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    minTemp->setMinimumWidth(minTemp->fontMetrics().horizontalAdvance("-000C"));
    layout->addWidget(minTemp);

    auto* bar = new TEventWidget(strip);
    PaintBoxScale = bar;
    bar->setObjectName("PaintBoxScale");
    bar->setFixedSize(129, 17);
    bar->OnPaint = [this](QWidget& widget) { PaintScale(widget); };
    layout->addWidget(bar);

    QLabel* maxTemp = label(TLabelId::MaxTemp, "LabelMaxTemp", "MaxT");
    maxTemp->setMinimumWidth(maxTemp->fontMetrics().horizontalAdvance("-000C"));
    layout->addWidget(maxTemp);
    layout->addSpacing(8);
    // The satellite and read-out texts are long: in a narrow window they are cut rather than
    // pushed over the scale bar.
    for (auto [id, name] : {std::pair{TLabelId::SatName, "LabelSatName"},
                            std::pair{TLabelId::CursorLocation, "LabelCursorLocation"}}) {
        QLabel* text = label(id, name, id == TLabelId::SatName ? "Satellite Name" : "");
        text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        layout->addWidget(text, 1);
        layout->addSpacing(8);
    }
    return strip;
}

void TMainWindow::PaintScale(QWidget& bar)
{
    std::unique_ptr<TBitmap> canvas = CreateBitmap();
    canvas->SetSize(bar.width(), bar.height());
    if (form_)
        Guarded([&] { form_->PaintBoxScalePaint(*canvas); });
    QPainter(&bar).drawImage(0, 0, MapBitmapImage(*canvas));
}

void TMainWindow::LoadTimerFired()
{
    Guarded([this] { form_->TimerLoadTimer(); });
    // An unattended run ends by closing the window once the picture is saved. Without a
    // display nobody can close a window left open because the file was missing or the save
    // failed, so such a run ends here with a failure status.
    if (Headless() && form_->Arguments().size() >= 2 && isVisible()) {
        if (!errorShown_)
            ShowError("no picture saved for " + form_->Arguments().front());
        if (exitCode_ == 0)
            exitCode_ = 1;
        close();
    }
}

bool TMainWindow::Headless() const
{
    const QString platform = QGuiApplication::platformName();
    return platform == "offscreen" || platform == "minimal";
}

QAction* TMainWindow::Action(TMenuItem item) const
{
    return actions_[static_cast<std::size_t>(item)];
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
    form_->DiagnosticLinesList = window ? &window->Lines() : nullptr;
}

void TMainWindow::AttachAbout(QDialog* window) { about_ = window; }

void TMainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    Guarded([this] { form_->FormShow(); });
}

void TMainWindow::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

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
}

void TMainWindow::SetLabelHint(TLabelId label, const std::string& hint)
{
    Label(label)->setToolTip(QString::fromStdString(hint));
}

void TMainWindow::SetHintHidePause(int milliseconds)
{
    for (QLabel* label : labels_)
        label->setToolTipDuration(milliseconds);
    for (QCheckBox* box : checkBoxes_)
        box->setToolTipDuration(milliseconds);
}

bool TMainWindow::IsChecked(TCheckBoxId box) const { return CheckBox(box)->isChecked(); }

void TMainWindow::SetCheckBoxVisible(TCheckBoxId box, bool visible)
{
    CheckBox(box)->setVisible(visible);
}

void TMainWindow::SetScaleBarHeight(int height) { PaintBoxScale->setFixedHeight(height); }

int TMainWindow::TextHeight(const std::string& text) const
{
    return fontMetrics().size(Qt::TextSingleLine, QString::fromStdString(text)).height();
}

void TMainWindow::ImageDisplaySize(int& width, int& height) const
{
    width = ImageDisplay->width();
    height = ImageDisplay->height();
}

void TMainWindow::InvalidateImage() { ImageDisplay->update(); }

void TMainWindow::InvalidateScale() { PaintBoxScale->update(); }

void TMainWindow::StartTimer(TTimerId timer, int milliseconds)
{
    (timer == TTimerId::Load ? TimerLoad : TimerResize)->start(milliseconds);
}

void TMainWindow::StopTimer(TTimerId timer)
{
    (timer == TTimerId::Load ? TimerLoad : TimerResize)->stop();
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

bool TMainWindow::ExecuteOpenDialog(TOpenDialogRequest& request)
{
    return ::veltra::ExecuteOpenDialog(this, request);
}

bool TMainWindow::ExecuteSaveDialog(TSaveDialogRequest& request)
{
    return ::veltra::ExecuteSaveDialog(this, request);
}

void TMainWindow::ShowMessage(const std::string& text)
{
    if (Headless())
        std::fprintf(stdout, "veltra: %s\n", text.c_str());
    else
        QMessageBox::information(this, ApplicationTitle(), QString::fromStdString(text));
}

void TMainWindow::ShowError(const std::string& text)
{
    errorShown_ = true;
    if (Headless())
        std::fprintf(stderr, "veltra: %s\n", text.c_str());
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

void TMainWindow::Close() { close(); }

std::unique_ptr<TBitmap> TMainWindow::CreateBitmap() { return CreateMapBitmap(); }

void TMainWindow::SaveJPEG(TBitmap& bitmap, const std::string& fileName, int quality,
                           const std::string& comment)
{
    ::veltra::SaveJPEG(MapBitmapImage(bitmap), fileName, quality, comment);
}

} // namespace veltra
