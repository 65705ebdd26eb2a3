#pragma once
// Text for a terminal. File names may hold control characters: printed as
// they are, an escape sequence in a name could change the terminal's title,
// clear the screen or move the cursor.
#include <QString>

namespace filmarch {

// Control characters shown escaped, as escapeControlCharacters writes them.
QString terminalSafe(const QString& text, bool keepLineBreaks = false);
// Columns the text takes on a terminal: wide characters take two.
int displayWidth(const QString& text);
// The text cut in its middle with "…" to at most `columns` columns.
QString elideMiddle(const QString& text, int columns);
// True when standard error is a terminal that takes cursor codes (not TERM=dumb):
// only then is a progress line drawn and redrawn in place.
bool cursorCodesOnStderr();

} // namespace filmarch
