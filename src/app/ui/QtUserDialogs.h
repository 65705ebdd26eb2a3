#pragma once
// The user dialogs as real Qt windows: message boxes with one OK button, the
// folder chooser and the catalogue open/save dialogs (OpenDialog1, SaveDialog1).
#include "core/UserDialogs.h"

#include <QPointer>
#include <QWidget>

namespace filmarch {

// Title and filters shared by OpenDialog1 and SaveDialog1; filter n (from 1)
// is item n-1: "Fichier xml", "Fichier amc", "Catalogues compatibles".
QString catalogueDialogTitle();
QStringList catalogueDialogFilters();

class QtUserDialogs : public UserDialogs {
public:
    // Dialogs open over the window that asked: the modal window in front,
    // else the active window, else `parent` when it takes input.
    void setParentWidget(QWidget* parent) { parentWidget = parent; }

    void showMessage(const QString& text) override;
    void showError(const QString& text) override;
    QString chooseFolder(const QString& caption) override;
    CatalogueChoice openCatalogue(int initialFilter) override;
    CatalogueChoice saveCatalogue(int initialFilter) override;

private:
    CatalogueChoice runCatalogueDialog(bool save, int initialFilter);
    QWidget* asker() const;
    QPointer<QWidget> parentWidget;
};

} // namespace filmarch
