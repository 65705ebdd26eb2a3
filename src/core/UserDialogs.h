#pragma once
// Everything the program asks of the user goes through this interface: the
// windows show real dialogs, tests and the command line script the answers.
#include <QString>

namespace filmarch {

// Result of an open or save catalogue dialog. filterIndex counts from 1:
// 1 "Fichier xml", 2 "Fichier amc", 3 "Catalogues compatibles".
struct CatalogueChoice {
    QString fileName; // empty when the dialog was cancelled
    int filterIndex = 0;
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // A message box with one OK button.
    virtual void showMessage(const QString& text) = 0;
    // An error box (failures the user must know about).
    virtual void showError(const QString& text) = 0;
    // Folder chooser; empty when cancelled.
    virtual QString chooseFolder(const QString& caption) = 0;
    virtual CatalogueChoice openCatalogue(int initialFilter) = 0;
    virtual CatalogueChoice saveCatalogue(int initialFilter) = 0;
};

} // namespace filmarch
