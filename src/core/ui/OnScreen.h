#pragma once
// A window stays on the screen it is on: one grown wider (the lookup window's
// details) or one placed where it was left under another screen size or
// scale moves, and shrinks when it must, to be seen whole.
class QWidget;

namespace filmarch {

void keepOnScreen(QWidget* window);

} // namespace filmarch
