#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace filmarch::test {

void ScriptedDialogs::showMessage(const QString& text)
{
    messages << text;
}

void ScriptedDialogs::showError(const QString& text)
{
    errors << text;
}

QString ScriptedDialogs::chooseFolder(const QString& caption)
{
    folderCaptions << caption;
    if (folders.isEmpty()) {
        ADD_FAILURE() << "unexpected folder chooser: " << caption.toStdString();
        return {};
    }
    return folders.takeFirst();
}

CatalogueChoice ScriptedDialogs::openCatalogue(int initialFilter)
{
    openFilters << initialFilter;
    if (openChoices.isEmpty()) {
        ADD_FAILURE() << "unexpected open dialog";
        return {};
    }
    return openChoices.takeFirst();
}

CatalogueChoice ScriptedDialogs::saveCatalogue(int initialFilter)
{
    saveFilters << initialFilter;
    if (saveChoices.isEmpty()) {
        ADD_FAILURE() << "unexpected save dialog";
        return {};
    }
    return saveChoices.takeFirst();
}

} // namespace filmarch::test
