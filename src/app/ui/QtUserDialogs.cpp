#include "app/ui/QtUserDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace filmarch {

QString catalogueDialogTitle()
{
    return QStringLiteral("Choix du catalogue (xml et amc)");
}

QStringList catalogueDialogFilters()
{
    return {QStringLiteral("Fichier xml (*.xml)"), QStringLiteral("Fichier amc (*.amc)"),
            QStringLiteral("Catalogues compatibles (*.xml *.amc)")};
}

void QtUserDialogs::showMessage(const QString& text)
{
    QMessageBox::information(parentWidget, QStringLiteral("Filmarch"), text, QMessageBox::Ok);
}

void QtUserDialogs::showError(const QString& text)
{
    QMessageBox::critical(parentWidget, QStringLiteral("Filmarch"), text, QMessageBox::Ok);
}

QString QtUserDialogs::chooseFolder(const QString& caption)
{
    return QFileDialog::getExistingDirectory(parentWidget, caption);
}

CatalogueChoice QtUserDialogs::openCatalogue(int initialFilter)
{
    return runCatalogueDialog(false, initialFilter);
}

CatalogueChoice QtUserDialogs::saveCatalogue(int initialFilter)
{
    return runCatalogueDialog(true, initialFilter);
}

CatalogueChoice QtUserDialogs::runCatalogueDialog(bool save, int initialFilter)
{
    QFileDialog dialog(parentWidget, catalogueDialogTitle());
    const QStringList filters = catalogueDialogFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.value(initialFilter - 1, filters.last()));
    if (save) {
        // Asks before overwriting (the default); the extension is settled by the caller.
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setSizeGripEnabled(true);
    // The filters show their names only ("Fichier xml"), not their patterns.
    dialog.setOption(QFileDialog::HideNameFilterDetails);

    CatalogueChoice choice;
    choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        choice.fileName = dialog.selectedFiles().constFirst();
        choice.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    }
    return choice;
}

} // namespace filmarch
