#pragma once
// Splits a text into words the way the title filter and the title cleaning both
// read them: words end at a blank (code 1 to 32) or a comma, a double-quoted
// word may hold both (a doubled quote stands for one), and commas in a row or a
// comma at either end give empty words.
#include <QStringList>

namespace filmarch {

QStringList splitWords(const QString& text);

} // namespace filmarch
