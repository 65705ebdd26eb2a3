#pragma once
// The synchronisation window: two folders, the analysis that lists what each
// side lacks, and the copy and delete actions on the ticked entries. The work
// is the SyncTool's; the window shows it, and has each file of a copy copied
// on a thread of its own while its loop goes on. Created when opened,
// destroyed when closed, which saves the two folders.
#include "sync/SyncTool.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QMenu;
class QThread;

namespace Ui {
class TSynch;
}

namespace filmarch {

class Journal;
class SyncListModel;
class TConfirmSuppr;
class TFCopieEnCours;
class UserDialogs;

class TSynch : public QWidget, private SyncView {
    Q_OBJECT
public:
    // Runs FSynchOnCreate. `Form1`, when given, is brought to the front when
    // the tool closes.
    TSynch(const AppPaths& paths, UserDialogs& dialogs, Journal& journal, QWidget* Form1 = nullptr);
    // Runs FSynchOnDestroy.
    ~TSynch() override;

    SyncTool& tool() { return synchro; }

    // While they are shown (children of this window, found by their names).
    QPointer<TFCopieEnCours> FCopieEnCours;
    QPointer<TConfirmSuppr> FConfirmSuppr;

public slots:
    void BtParcoursRepRefClick();
    void BtParcoursRepSauvClick();
    void BtLanceAnalyseClick();
    void BtLancerActionsClick();
    void BtFermerClick();
    void CocherTout(QObject* Sender);
    void DeCocherTout(QObject* Sender);

signals:
    // The actions started by "Lancer" have ended (the copy runs past the click).
    void actionsEnded();

protected:
    // FormClose; refused while a task works.
    void closeEvent(QCloseEvent* event) override;

private:
    void FSynchOnCreate();
    void FSynchOnDestroy();
    void copyNextFile();
    void endActions();

    // SyncView
    void listsAboutToChange() override;
    void listsChanged() override;
    void copyStarted() override;
    void copyCaption(const QString& caption) override;
    void copyFinished() override;
    bool confirmDeletion() override;
    void taskFinished() override;
    void setPosition(int percent) override;

    std::unique_ptr<Ui::TSynch> ui;
    AppPaths paths;
    UserDialogs& dialogs;
    QPointer<QWidget> Form1;
    SyncTool synchro;
    SyncListModel* nonSauvModel = nullptr;
    SyncListModel* manquantsModel = nullptr;
    QMenu* nonSauvMenu = nullptr;
    QMenu* manquantsMenu = nullptr;
    bool busy = false;
    // The copy under way: its task, where its bar goes, the thread copying
    // its file now, and whether the deletion follows.
    std::unique_ptr<CopyTask> copying;
    std::unique_ptr<CopyProgress> copyProgress;
    QPointer<QThread> copier;
    bool deleteAfterCopy = false;
};

} // namespace filmarch
