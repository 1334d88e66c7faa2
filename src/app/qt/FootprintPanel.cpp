#include "app/qt/FootprintPanel.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScatterSeries>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include <cmath>

#include "app/VeltraForm.h"
#include "base/Format.h"

namespace veltra {

namespace {

// Where a row lies on the chart's axis: its wavelength (infrared) or frequency (microwave).
double Place(const TSpectrumRow& row, bool microwave)
{
    return microwave ? row.Frequency : row.Wavelength;
}

std::string ValueText(const TSpectrumRow& row)
{
    if (std::isnan(row.Value))
        return "";
    return row.Albedo ? Format("%.2f %%", static_cast<double>(row.Value))
                      : Format("%.2f K", static_cast<double>(row.Value));
}

// An axis over the values with a margin, at round numbers.
void Span(QValueAxis& axis, double low, double high, double margin)
{
    if (!(low <= high))
        low = 0, high = 1;
    // The nice numbers depend on the ticks asked for, which they change: the same values
    // always give the same axis.
    axis.setTickCount(5);
    axis.setRange(low - margin, high + margin);
    axis.applyNiceNumbers();
}

} // namespace

TFootprintPanel::TFootprintPanel(QWidget* parent, const std::unique_ptr<TFormVeltra>& form,
                                 TGuard guard, std::function<void()> onClosed)
    : QDockWidget("Footprint", parent), form_(form), guard_(std::move(guard)),
      onClosed_(std::move(onClosed))
{
    setObjectName("FootprintPanel");
    auto* body = new QWidget(this);
    body->setMinimumWidth(340);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    caption_ = new QLabel("Move the mouse over the map; a click pins a footprint.", body);
    caption_->setObjectName("FootprintCaption");
    caption_->setTextFormat(Qt::PlainText);
    caption_->setWordWrap(true);
    layout->addWidget(caption_);

    chart_ = new QChart;
    chart_->legend()->hide();
    chart_->setMargins(QMargins(2, 2, 2, 2));
    x_ = new QValueAxis;
    y_ = new QValueAxis;
    albedoAxis_ = new QValueAxis;
    y_->setTitleText("Brightness temperature (K)");
    albedoAxis_->setTitleText("Albedo (%)");
    for (QValueAxis* axis : {x_, y_, albedoAxis_})
        axis->setLabelFormat("%.0f");
    chart_->addAxis(x_, Qt::AlignBottom);
    chart_->addAxis(y_, Qt::AlignLeft);
    chart_->addAxis(albedoAxis_, Qt::AlignRight);
    const auto series = [this](const char* name, QColor colour, qreal size, QValueAxis* y) {
        auto* s = new QScatterSeries;
        s->setObjectName(name);
        s->setColor(colour);
        s->setBorderColor(colour.darker());
        s->setMarkerSize(size);
        chart_->addSeries(s);
        s->attachAxis(x_);
        s->attachAxis(y);
        // The channel and value of a point, when the mouse is over it.
        QObject::connect(s, &QScatterSeries::hovered, s, [this, y](const QPointF& at, bool in) {
            if (!in || !spectrum_)
                return QToolTip::hideText();
            for (const TSpectrumRow& row : spectrum_->Rows)
                if (Place(row, spectrum_->Microwave) == at.x() &&
                    (row.Albedo == (y == albedoAxis_)) && row.Value == static_cast<float>(at.y()))
                    QToolTip::showText(QCursor::pos(),
                                       QString::fromStdString(
                                           Format("Channel %d  %s  %s", row.Channel,
                                                  row.Passband.c_str(), ValueText(row).c_str())));
        });
        return s;
    };
    temperatures_ = series("FootprintTemperatures", QColor(40, 90, 200), 9, y_);
    albedo_ = series("FootprintAlbedo", QColor(150, 150, 150), 9, albedoAxis_);
    shown_ = series("FootprintShownChannel", QColor(220, 40, 30), 14, y_);
    auto* view = new QChartView(chart_, body);
    view->setObjectName("FootprintChart");
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(260, 220);
    layout->addWidget(view, 1);

    table_ = new QTableWidget(0, 3, body);
    table_->setObjectName("FootprintTable");
    table_->setHorizontalHeaderLabels({"Channel", "Passband", "Value"});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setMinimumHeight(120);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    layout->addWidget(table_, 1);
    setWidget(body);

    body->setContextMenuPolicy(Qt::CustomContextMenu);
    for (QWidget* widget : {static_cast<QWidget*>(view), static_cast<QWidget*>(table_)})
        widget->setContextMenuPolicy(Qt::CustomContextMenu);
    const auto menu = [this](QWidget* widget) {
        QObject::connect(
            widget, &QWidget::customContextMenuRequested, this, [this, widget](const QPoint& at) {
                QMenu menu(this);
                QAction* copy = menu.addAction("&Copy as CSV");
                copy->setObjectName("FootprintCopyCsv");
                copy->setEnabled(spectrum_.has_value());
                QObject::connect(copy, &QAction::triggered, this, [this] { CopyAsCsv(); });
                menu.exec(widget->mapToGlobal(at));
            });
    };
    menu(body);
    menu(view);
    menu(table_);
    Show(std::nullopt);
}

TFootprintPanel::~TFootprintPanel() = default;

void TFootprintPanel::closeEvent(QCloseEvent* event)
{
    QDockWidget::closeEvent(event);
    if (onClosed_)
        onClosed_();
}

void TFootprintPanel::Follow(int x, int y)
{
    if (pinned_ || !isVisible() || !form_)
        return;
    guard_([&] {
        const std::int32_t i = form_->FootprintNear(x, y);
        if (i >= 0)
            Show(form_->FootprintSpectrum(form_->Samples, i));
    });
}

void TFootprintPanel::Pin(int x, int y)
{
    if (!isVisible() || !form_)
        return;
    guard_([&] {
        const std::int32_t i = form_->FootprintNear(x, y);
        if (i < 0)
            return Unpin();
        pinned_ = true;
        setWindowTitle("Footprint (pinned; Escape follows the cursor again)");
        Show(form_->FootprintSpectrum(form_->Samples, i));
    });
}

void TFootprintPanel::Unpin()
{
    pinned_ = false;
    setWindowTitle("Footprint");
}

void TFootprintPanel::Refresh()
{
    if (!spectrum_ || !isVisible() || !form_)
        return;
    guard_([&] {
        std::optional<TFootprintSpectrum> again = form_->FootprintSpectrumAgain(*spectrum_);
        if (!again)
            Unpin();
        Show(std::move(again));
    });
}

void TFootprintPanel::Show(std::optional<TFootprintSpectrum> spectrum)
{
    spectrum_ = std::move(spectrum);
    if (!spectrum_) {
        for (QScatterSeries* s : {temperatures_, shown_, albedo_})
            s->clear();
        albedoAxis_->setVisible(false);
        table_->setRowCount(0);
        return;
    }
    caption_->setText(QString::fromStdString(SpectrumCaption(*spectrum_)));
    Plot(*spectrum_);
    Tabulate(*spectrum_);
}

void TFootprintPanel::Plot(const TFootprintSpectrum& spectrum)
{
    QList<QPointF> temperatures, shown, albedo;
    double low = INFINITY, high = -INFINITY, left = INFINITY, right = -INFINITY;
    double albedoHigh = 0;
    for (const TSpectrumRow& row : spectrum.Rows) {
        const double x = Place(row, spectrum.Microwave);
        left = std::min(left, x);
        right = std::max(right, x);
        if (std::isnan(row.Value))
            continue;
        const QPointF point(x, row.Value);
        if (row.Albedo) {
            albedo << point;
            albedoHigh = std::max(albedoHigh, static_cast<double>(row.Value));
            continue;
        }
        temperatures << point;
        low = std::min(low, static_cast<double>(row.Value));
        high = std::max(high, static_cast<double>(row.Value));
        if (row.Channel == spectrum.Shown || row.Channel == spectrum.Subtracted)
            shown << point;
    }
    temperatures_->replace(temperatures);
    shown_->replace(shown);
    albedo_->replace(albedo);
    x_->setTitleText(spectrum.Microwave ? "Frequency (GHz)" : "Wavelength (µm)");
    Span(*x_, left, right, spectrum.Microwave ? 5 : 0.5);
    Span(*y_, low, high, 5);
    albedoAxis_->setVisible(!albedo.isEmpty());
    albedoAxis_->setRange(0, std::max(10.0, std::ceil(albedoHigh / 10) * 10));
}

void TFootprintPanel::Tabulate(const TFootprintSpectrum& spectrum)
{
    table_->setRowCount(static_cast<int>(spectrum.Rows.size()));
    int r = 0;
    for (const TSpectrumRow& row : spectrum.Rows) {
        const bool marked = row.Channel == spectrum.Shown || row.Channel == spectrum.Subtracted;
        const std::string texts[] = {std::to_string(row.Channel), row.Passband, ValueText(row)};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(texts[c]));
            QFont font = item->font();
            font.setBold(marked);
            item->setFont(font);
            if (c != 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(r, c, item);
        }
        ++r;
    }
    table_->resizeColumnsToContents();
}

void TFootprintPanel::CopyAsCsv() const
{
    if (spectrum_)
        QApplication::clipboard()->setText(QString::fromStdString(SpectrumCsv(*spectrum_)));
}

} // namespace veltra
