#pragma once
// Ctrl-C (and the other signals asked for) during a copy or an export: the
// work in hand asks whether it came, and ends cleanly. A second one ends the
// program at once.
#include <initializer_list>

namespace filmarch {

void catchInterrupts(std::initializer_list<int> numbers);
bool interruptRequested();

} // namespace filmarch
