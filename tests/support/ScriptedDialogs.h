#pragma once
// User dialogs for tests: answers come from queues filled beforehand, every
// question and message is recorded. A question with no scripted answer fails
// the test (and is answered as cancelled), so no test ever waits on a person.
#include "core/UserDialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace filmarch::test {

class ScriptedDialogs : public UserDialogs {
public:
    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    QString chooseFolder(const QString& caption) override;
    CatalogueChoice openCatalogue(int initialFilter) override;
    CatalogueChoice saveCatalogue(int initialFilter) override;

    // Answers, taken in order.
    QStringList folders;
    QList<CatalogueChoice> openChoices;
    QList<CatalogueChoice> saveChoices;

    // What the program showed and asked.
    QStringList messages;
    QStringList errors;
    QStringList folderCaptions;
    QList<int> openFilters;
    QList<int> saveFilters;
};

} // namespace filmarch::test
