#pragma once
// The keys that step through tabs, as tab widgets take them elsewhere: Ctrl+PgDown and
// Ctrl+PgUp the next and previous channel, Ctrl+Shift+PgDown and Ctrl+Shift+PgUp the next and
// previous sensor, each wrapping round at the ends.
class QTabBar;
class QWidget;

namespace veltra {

// Shortcuts of `window`, which select tabs of the two bars as a click would.
void AddTabKeys(QWidget* window, QTabBar* sensors, QTabBar* channels);

} // namespace veltra
