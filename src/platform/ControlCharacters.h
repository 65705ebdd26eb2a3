#pragma once
// File names may hold any byte but '/' and NUL. Shown as they are, a line
// break in a name could forge a line of output or of the log, and an escape
// sequence could change the terminal's title or move its cursor.
#include <QString>

namespace filmarch {

// Control characters (and the marks that reverse the direction of text)
// written as escapes: "\e", "\n", "\x01", "\u009B"...
QString escapeControlCharacters(const QString& text, bool keepLineBreaks = false);

} // namespace filmarch
