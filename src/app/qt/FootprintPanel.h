#pragma once
// The dockable "Footprint" panel: every channel of the footprint under the cursor, plotted
// against wavelength (HIRS, micrometres) or frequency (AMSU-A, AMSU-B and MHS, GHz), with the
// channel the map shows marked, the visible HIRS channel's albedo on an axis of its own, and
// the same numbers in a table that its context menu copies as CSV. It follows the cursor; a
// click on the map pins it to a footprint, Escape lets it follow again. Qt Charts is used here
// only.
#include <QDockWidget>

#include <functional>
#include <memory>
#include <optional>

#include "app/FootprintChannels.h"
#include "app/qt/ExportMenu.h"

class QLabel;
class QTableWidget;

class QChart;
class QScatterSeries;
class QValueAxis;

namespace veltra {

class TFormVeltra;

class TFootprintPanel : public QDockWidget {
public:
    // The window's controller may be made after the panel: it is looked up at each use, inside
    // `guard`. onClosed: the user closed the panel.
    TFootprintPanel(QWidget* parent, const std::unique_ptr<TFormVeltra>& form, TGuard guard,
                    std::function<void()> onClosed);
    ~TFootprintPanel() override;

    // The cursor at a pixel of the map: the footprint drawn nearest, unless one is pinned.
    void Follow(int x, int y);
    // A click on the map: pins the footprint there (or lets the panel follow again off one).
    void Pin(int x, int y);
    void Unpin();
    bool Pinned() const { return pinned_; }
    // After a render pass: the same footprint with the pass's sensor and channel.
    void Refresh();
    // What the panel shows; none before the cursor met a footprint.
    const std::optional<TFootprintSpectrum>& Spectrum() const { return spectrum_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Show(std::optional<TFootprintSpectrum> spectrum);
    void Plot(const TFootprintSpectrum& spectrum);
    void Tabulate(const TFootprintSpectrum& spectrum);
    void CopyAsCsv() const;

    const std::unique_ptr<TFormVeltra>& form_;
    TGuard guard_;
    std::function<void()> onClosed_;
    std::optional<TFootprintSpectrum> spectrum_;
    bool pinned_ = false;
    QLabel* caption_ = nullptr;
    QChart* chart_ = nullptr;
    QScatterSeries* temperatures_ = nullptr;
    QScatterSeries* shown_ = nullptr;
    QScatterSeries* albedo_ = nullptr;
    QValueAxis* x_ = nullptr;
    QValueAxis* y_ = nullptr;
    QValueAxis* albedoAxis_ = nullptr;
    QTableWidget* table_ = nullptr;
};

} // namespace veltra
