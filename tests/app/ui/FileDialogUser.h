#pragma once
// Answers the next real (non-native) file dialog as a user would: goes to a
// folder, picks a file type in the list with the arrow keys, types a name and
// presses the dialog's Open or Save button. Only the real dialog shows Qt's
// own quirks with filters, which scripted dialogs cannot.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace filmarch::test {

struct FileDialogUser {
    QString folder;       // the dialog is taken there first, when set
    QString filter;       // picked in the file type list, when set
    QString name;         // typed, then Open or Save
    int expectListed = 0; // entries to wait for in `folder`, to list them

    // What the user saw: the file type shown when the dialog opened and the
    // files listed in `folder` under the type then chosen.
    QString initialFilter;
    QStringList listed;
    QStringList typesAndDates; // of each listed file, as "type, date"
    bool answered = false;

    // Arms a timer that answers the dialog once it runs its own event loop.
    void answerNextDialog()
    {
        QTimer::singleShot(0, [this] { answer(); });
    }

private:
    static void typeInto(QLineEdit* edit, const QString& text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
        // The path completer's list would take the button's click.
        if (edit->completer() && edit->completer()->popup()->isVisible())
            edit->completer()->popup()->hide();
    }

    static void press(QFileDialog* dialog)
    {
        auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        QPushButton* button = buttons->button(
            dialog->acceptMode() == QFileDialog::AcceptSave ? QDialogButtonBox::Save : QDialogButtonBox::Open);
        button->click();
    }

    void answer()
    {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no file dialog open";
            return;
        }
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        auto* files = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (!types || !nameEdit || !files) {
            ADD_FAILURE() << "not Qt's own file dialog";
            dialog->reject();
            return;
        }
        initialFilter = types->currentText();

        if (!folder.isEmpty())
            dialog->setDirectory(folder);
        if (!filter.isEmpty()) {
            // Arrow keys over the list, as the keyboard picks a type.
            const int wanted = types->findText(filter);
            EXPECT_GE(wanted, 0) << filter.toStdString();
            types->setFocus();
            while (wanted >= 0 && types->currentIndex() != wanted)
                QTest::keyClick(types, types->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
        }
        if (expectListed > 0) {
            // The folder is read in the background; give it a moment.
            const auto count = [files] { return files->model()->rowCount(files->rootIndex()); };
            (void)QTest::qWaitFor([&] { return count() >= expectListed; }, 2000);
            for (int row = 0; row < count(); ++row) {
                const auto cell = [&](int column) {
                    return files->model()->index(row, column, files->rootIndex()).data().toString();
                };
                listed << cell(0);
                typesAndDates << cell(2) + QStringLiteral(", ") + cell(3);
            }
        }
        typeInto(nameEdit, name);
        press(dialog);
        answered = true;
        // Whatever happened, the test must not wait on a person.
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog did not take " << name.toStdString();
            dialog->reject();
        }
    }
};

} // namespace filmarch::test
