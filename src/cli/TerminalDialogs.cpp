#include "cli/TerminalDialogs.h"

#include "cli/TerminalText.h"

#include <cstdio>

namespace filmarch {

void printError(const QString& text)
{
    std::fprintf(stderr, "filmarch-cli : %s\n", terminalSafe(text, true).toUtf8().constData());
}

} // namespace filmarch
