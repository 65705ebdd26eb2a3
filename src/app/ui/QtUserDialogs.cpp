#include "app/ui/QtUserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QMessageBox>
#include <QMimeDatabase>

namespace filmarch {

namespace {
// Qt's file model writes dates in the system's language, and folders as
// "Folder" whatever the language; the program speaks French whatever the
// system's (its default locale).
class DefaultLocaleColumns : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        enum { TypeColumn = 2, DateColumn = 3 };
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (files && role == Qt::DisplayRole) {
            const QModelIndex source = mapToSource(index);
            if (index.column() == DateColumn)
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            if (index.column() == TypeColumn && files->isDir(source))
                return QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory")).comment();
        }
        return QIdentityProxyModel::data(index, role);
    }
};

void frenchColumns(QFileDialog& dialog)
{
    dialog.setProxyModel(new DefaultLocaleColumns(&dialog));
}

// The filter's number (from 1), whether the dialog gives back the whole
// filter or only its name; 0 when it is none of them.
int filterNumber(const QStringList& filters, const QString& selected)
{
    for (qsizetype i = 0; i < filters.size(); ++i)
        if (filters[i] == selected || filters[i].startsWith(selected + QStringLiteral(" (")))
            return static_cast<int>(i) + 1;
    return 0;
}
} // namespace

QString catalogueDialogTitle()
{
    return QStringLiteral("Choix du catalogue (xml et amc)");
}

QStringList catalogueDialogFilters()
{
    return {QStringLiteral("Fichier xml (*.xml)"), QStringLiteral("Fichier amc (*.amc)"),
        QStringLiteral("Catalogues compatibles (*.xml *.amc)")};
}

// A dialog over another window than the one that asked raises that other
// window over the asker, which then loses the keyboard.
QWidget* QtUserDialogs::asker() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    // A disabled window asks nothing: the main window behind a tool window.
    if (QWidget* active = QApplication::activeWindow(); active && active->isEnabled())
        return active;
    if (parentWidget && parentWidget->isEnabled())
        return parentWidget;
    // The main window is disabled while a tool window of its own is open.
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->isEnabled() && window->windowType() != Qt::Popup)
            return window;
    return parentWidget;
}

void QtUserDialogs::showMessage(const QString& text)
{
    QMessageBox::information(asker(), QStringLiteral("Filmarch"), text, QMessageBox::Ok);
}

void QtUserDialogs::showError(const QString& text)
{
    QMessageBox::critical(asker(), QStringLiteral("Filmarch"), text, QMessageBox::Ok);
}

QString QtUserDialogs::chooseFolder(const QString& caption)
{
    QFileDialog dialog(asker(), caption);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    frenchColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
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
    QFileDialog dialog(asker(), catalogueDialogTitle());
    // The filters show their names only ("Fichier xml"), not their patterns.
    // Set before the filters: changing it afterwards puts the dialog back on
    // the first filter.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
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
    frenchColumns(dialog);

    CatalogueChoice choice;
    choice.filterIndex = filterNumber(filters, dialog.selectedNameFilter());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        choice.fileName = dialog.selectedFiles().constFirst();
        choice.filterIndex = filterNumber(filters, dialog.selectedNameFilter());
    }
    return choice;
}

} // namespace filmarch
