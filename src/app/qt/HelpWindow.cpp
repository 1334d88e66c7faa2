#include "app/qt/HelpWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace veltra {

namespace {

const char* const HelpText = R"(<h3>Veltra</h3>
<p>Veltra shows one channel of an ATOVS pass (HIRS, AMSU-A, AMSU-B or MHS; Level 1b, AAPP
Level 1c or 1d, plain or bzip2-compressed) as false colours on a map.</p>
<h4>Tabs</h4>
<p>The upper tabs choose the sensor of the file, the lower tabs its channel. HIRS channel 20
is the visible channel, drawn in grey. <b>Ctrl+PgDown</b> and <b>Ctrl+PgUp</b> step to the
next and previous channel, with <b>Shift</b> to the next and previous sensor.</p>
<h4>Under the map</h4>
<ul>
<li><b>K/C</b> shows temperatures in kelvin or degrees Celsius.</li>
<li><b>Fixed</b> fixes the top of the colour scale at 350 K.</li>
<li><b>Gridlines</b> draws lines of latitude and longitude.</li>
<li><b>Open group</b> opens the files of every receiving station of a pass together
(takes effect at the next start).</li>
</ul>
<p>The scale bar shows the colours between the lowest and highest temperature. The text
beside it names the satellite and channel, and at the end of the row how many scan lines are
flagged do not use, calibration or no Earth location. Below, the position under the cursor with
the temperature its colour stands for, and the footprint drawn nearest the cursor with its
exact value, scan line and footprint number (and file, for a group), its position, the scan
line's time, the satellite's zenith angle and the line's quality flags.</p>
<h4>Zoom and pan</h4>
<ul>
<li>Mouse wheel over the map: zoom in or out about the point under the cursor.</li>
<li><b>+</b> and <b>-</b> (View &gt; Zoom in / Zoom out): zoom about the centre.</li>
<li>Drag with the left button: move the map.</li>
<li>View &gt; Fit to pass: show every footprint drawn as large as fits.</li>
<li>View &gt; Reset view (<b>0</b>), or choosing a region: back to the region's view.</li>
</ul>
<p>Zoom and pan are not kept: the next start shows the chosen projection and region.</p>
<h4>Menus</h4>
<ul>
<li>File: Open (<b>Ctrl+O</b>), Open recent, Save As a JPEG picture (<b>Ctrl+S</b>), save the
brightness temperatures of the channel shown, Export (NetCDF, CSV, GeoTIFF, and NetCDF of
every channel of the pass), Exit (<b>Ctrl+Q</b>).</li>
<li>View: the diagnostics of the file's headers, zoom, Fill footprints, which draws each
footprint up to its neighbours so no background shows between scan lines, Hide flagged scan
lines, which leaves out the footprints of lines the ground processing flagged, and the Palette:
Thermal, Viridis and Cividis (readable with colour-vision deficiencies), Greyscale (clouds
white) and Difference; Footprint spectrum, a panel beside the map plotting every channel of
the footprint under the cursor (a click on the map pins it, <b>Escape</b> lets it follow the
cursor again, its context menu copies the table as CSV); Difference with channel..., the
channel shown less another of the sensor at every footprint, blue below 0 and red above.</li>
<li>Options: background colour, map projection and map region, kept between runs; Colour
range... (the selected channel's range in kelvin) and Auto range (its footprints' 2nd to 98th
percentile), kept for each channel; Legend in saved pictures (a colour bar, the unit and a
title below the map).</li>
<li>Help: this window (<b>F1</b>) and About.</li>
</ul>
<p>A file can also be dropped on the window.</p>)";

} // namespace

QDialog* CreateHelpWindow(QWidget* parent)
{
    auto* window = new QDialog(parent);
    window->setObjectName("HelpWindow");
    window->setWindowTitle("Veltra help");
    window->setModal(false);
    auto* layout = new QVBoxLayout(window);
    auto* text = new QTextBrowser(window);
    text->setObjectName("HelpText");
    text->setHtml(HelpText);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
    layout->addWidget(buttons);
    window->resize(520, 560);
    return window;
}

} // namespace veltra
