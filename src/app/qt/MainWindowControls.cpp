// The controls of the main window: the tab bars, the map image and the strip under the map.
#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include "app/qt/Adapters.h"
#include "app/qt/MainWindow.h"
#include "app/qt/MapWidgets.h"
#include "app/qt/TabKeys.h"
#include "imaging/qt/MapCanvas.h"

namespace veltra {

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
    TabControlChannel = CreateChannelTabBar(page);
    TabControlChannel->setObjectName("TabControlChannel");
    TabControlChannel->setExpanding(false);
    TabControlChannel->setElideMode(Qt::ElideNone);
    ReplaceTabs(*TabControlChannel, {"1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10",
                                     "11", "12", "13", "14", "15", "16", "17", "18", "19", "20"});
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
        if (form_)
            painter.drawImage(0, 0, ImageOf(form_->MapBitmap()));
    };
    image->OnMouseMove = [this](int x, int y) {
        Guarded([&] { form_->ImageDisplayMouseMove(x, y); });
        FootprintPanelFollow(x, y);
    };
    image->OnClick = [this](int x, int y) { FootprintPanelPin(x, y); };
    image->OnLeave = [this] { Guarded([&] { form_->ImageDisplayMouseLeave(); }); };
    image->OnPress = [this](int x, int y) { Guarded([&] { form_->ImageDisplayMouseDown(x, y); }); };
    image->OnDrag = [this](int x, int y) { Guarded([&] { form_->ImageDisplayMouseDrag(x, y); }); };
    image->OnRelease = [this] { Guarded([&] { form_->ImageDisplayMouseUp(); }); };
    image->OnWheel = [this](int x, int y, double notches) {
        Guarded([&] { form_->ImageDisplayMouseWheel(x, y, notches); });
    };
    image->OnResize = [this] {
        if (form_)
            Guarded([&] { form_->TabControlChannelResize(); });
    };
    pageLayout->addWidget(image, 1);
    AddTabKeys(this, TabControlSensor, TabControlChannel);
    layout->addWidget(page, 1);
    LabelStreamProblems = new QLabel(central);
    LabelStreamProblems->setObjectName("LabelStreamProblems");
    LabelStreamProblems->setTextFormat(Qt::PlainText);
    LabelStreamProblems->setVisible(false);
    layout->addWidget(LabelStreamProblems);
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
    TimerRender = new QTimer(this);
    TimerRender->setObjectName("TimerRender");
    TimerRender->setSingleShot(true);
    connect(TimerRender, &QTimer::timeout, this,
            [this] { Guarded([&] { form_->TimerRenderTimer(); }); });
}

// Replaced at every render pass; hidden when every stream decoded completely. Never a box:
// the map stays usable.
void TMainWindow::ShowStreamProblems(const std::vector<std::string>& lines)
{
    QStringList text;
    for (const std::string& line : lines)
        text << QString::fromStdString(line);
    LabelStreamProblems->setText(text.join('\n'));
    LabelStreamProblems->setVisible(!lines.empty());
}

// The strip under the map: the check boxes, the scale bar between its two limits, the
// satellite name and the cursor read-out, anchored to the bottom-left corner.
QWidget* TMainWindow::CreateStatusStrip()
{
    auto* strip = new QWidget;
    auto* rows = new QVBoxLayout(strip);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    auto* layout = new QHBoxLayout;
    rows->addLayout(layout);
    // The second row: the read-out and the footprint under the cursor.
    auto* status = new QHBoxLayout;
    rows->addLayout(status);

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
    // The texts are long: the satellite label has the rest of the first row, the read-outs the
    // second; in a window narrower than the default they are cut rather than pushed over the
    // scale bar (the satellite label's tooltip has its whole text).
    QLabel* satellite = label(TLabelId::SatName, "LabelSatName", "Satellite Name");
    satellite->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(satellite, 1);
    // The pass's flagged lines at the end of the first row: no room is taken from the map nor
    // from the read-outs.
    layout->addWidget(label(TLabelId::FlaggedLines, "LabelFlaggedLines", ""));
    QLabel* readOut = label(TLabelId::CursorLocation, "LabelCursorLocation", "");
    readOut->setMinimumWidth(
        readOut->fontMetrics().horizontalAdvance("Lat: -00°  Lon: -000°  -000C  "));
    status->addWidget(readOut);
    QLabel* footprint = label(TLabelId::FootprintValue, "LabelFootprintValue", "");
    footprint->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->addWidget(footprint, 1);
    return strip;
}

void TMainWindow::SetChecked(TCheckBoxId box, bool checked)
{
    CheckBox(box)->setChecked(checked);
}

} // namespace veltra
