#pragma once
// Reads a bit rate as the MediaInfo library writes it for people ("850 kb/s",
// "1 500 kb/s", "12.5 Mb/s", "42.5 kb/s") as whole kilobits per second.
#include <QString>

namespace filmarch {

// Whole kilobits per second as decimal digits, or empty when the text is no bit
// rate: spaces in the number are thousands separators; the unit after the last
// space sets the scale; a fraction of a kilobit is dropped, but a megabit value
// that does not come to whole kilobits gives empty. Never throws.
QString kilobitsPerSecond(const QString& libraryText);

} // namespace filmarch
