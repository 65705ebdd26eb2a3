#pragma once
// A window made of a plain widget reads to a screen reader as a "filler",
// not a window: this makes it a window, with its title as its name.
class QWidget;

namespace filmarch {

void readAsWindow(QWidget* window);

} // namespace filmarch
