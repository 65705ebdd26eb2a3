#pragma once
// What the command line says to the user: messages on standard error, shown
// safely; there is nothing to choose.
#include "core/UserDialogs.h"

#include <QString>
#include <functional>

namespace filmarch {

// "filmarch-cli : " + text on standard error, control characters escaped.
void printError(const QString& text);

class TerminalDialogs : public UserDialogs {
public:
    // `clearLine` takes a progress line off the terminal before a message.
    explicit TerminalDialogs(std::function<void()> clearLine) : clearLine(std::move(clearLine)) {}
    void showMessage(const QString& text) override
    {
        if (clearLine)
            clearLine();
        printError(text);
    }
    void showError(const QString& text) override { showMessage(text); }
    QString chooseFolder(const QString&) override { return {}; }
    CatalogueChoice openCatalogue(int) override { return {}; }
    CatalogueChoice saveCatalogue(int) override { return {}; }

private:
    std::function<void()> clearLine;
};

} // namespace filmarch
