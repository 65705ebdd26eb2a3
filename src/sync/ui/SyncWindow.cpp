#include "sync/ui/SyncWindow.h"

#include "core/UserDialogs.h"
#include "core/ui/AccessibleWindow.h"
#include "platform/Error.h"
#include "platform/OffThread.h"
#include "sync/SyncSettings.h"
#include "sync/ui/CopyProgressWindow.h"
#include "sync/ui/DeleteConfirmWindow.h"
#include "sync/ui/SyncListModel.h"
#include "ui_SyncWindow.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QScreen>
#include <QThread>

namespace filmarch {

namespace {

// The copy window's bar, moved from the thread that copies: each new
// percentage is posted to the window's thread.
class PostedProgress : public CopyProgress {
public:
    explicit PostedProgress(std::function<void(int)> post) : post(std::move(post)) {}
    void setPosition(int percent) override
    {
        if (percent != shown)
            post(shown = percent);
    }
    void processEvents() override {} // the window's loop goes on meanwhile

private:
    std::function<void(int)> post;
    int shown = -1;
};

} // namespace

TSynch::TSynch(const AppPaths& appPaths, UserDialogs& userDialogs, Journal& journal, QWidget* mainWindow)
    : QWidget(nullptr),
      ui(std::make_unique<Ui::TSynch>()),
      paths(appPaths),
      dialogs(userDialogs),
      Form1(mainWindow),
      synchro(SyncContext {appPaths, &userDialogs, &journal, this})
{
    ui->setupUi(this);
    readAsWindow(this);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    nonSauvModel = new SyncListModel(synchro.LVFichiersNonSauv, this);
    manquantsModel = new SyncListModel(synchro.LVFichiersManquants, this);
    const auto setUpList = [this](QTreeView* view, SyncListModel* model, QAction* tick, QAction* untick) {
        view->setModel(model);
        view->setColumnHidden(1, true); // "Chemin"
        auto* menu = new QMenu(view);
        menu->addAction(tick);
        menu->addAction(untick);
        connect(view, &QWidget::customContextMenuRequested, menu,
            [view, menu](const QPoint& at) { menu->popup(view->viewport()->mapToGlobal(at)); });
        connect(tick, &QAction::triggered, this, [this, tick] { CocherTout(tick); });
        connect(untick, &QAction::triggered, this, [this, untick] { DeCocherTout(untick); });
        return menu;
    };
    nonSauvMenu = setUpList(ui->LVFichiersNonSauv, nonSauvModel, ui->PopCocherNonSauv, ui->PopDecocherNonSauv);
    manquantsMenu = setUpList(ui->LVFichiersManquants, manquantsModel, ui->PopCocherManquant, ui->PopDecocherManquant);
    nonSauvMenu->setObjectName(QStringLiteral("PopupNonSauv"));
    manquantsMenu->setObjectName(QStringLiteral("PopupManquants"));

    connect(ui->BtParcoursRepRef, &QPushButton::clicked, this, &TSynch::BtParcoursRepRefClick);
    connect(ui->BtParcoursRepSauv, &QPushButton::clicked, this, &TSynch::BtParcoursRepSauvClick);
    connect(ui->BtLanceAnalyse, &QPushButton::clicked, this, &TSynch::BtLanceAnalyseClick);
    connect(ui->BtLancerActions, &QPushButton::clicked, this, &TSynch::BtLancerActionsClick);
    connect(ui->BtFermer, &QPushButton::clicked, this, &TSynch::BtFermerClick);

    FSynchOnCreate();
}

TSynch::~TSynch()
{
    // A file being copied is abandoned: its thread uses the task.
    synchro.stop = true;
    if (copier)
        copier->wait();
    FSynchOnDestroy();
}

void TSynch::FSynchOnCreate()
{
    try {
        const SyncFolders folders = readSyncFolders(paths);
        ui->EdCheminRepRef->setText(folders.DernierRepRef);
        ui->EdCheminRepSauv->setText(folders.DernierRepSauv);
    } catch (const Error& e) {
        dialogs.showError(e.message());
    }
}

void TSynch::FSynchOnDestroy()
{
    try {
        writeSyncFolders(paths, {ui->EdCheminRepRef->text(), ui->EdCheminRepSauv->text()});
    } catch (const Error& e) {
        dialogs.showError(e.message());
    }
}

void TSynch::BtParcoursRepRefClick()
{
    ui->EdCheminRepRef->clear();
    ui->EdCheminRepRef->setText(dialogs.chooseFolder(QStringLiteral("Sélection du répertoire référence")));
}

void TSynch::BtParcoursRepSauvClick()
{
    ui->EdCheminRepSauv->clear();
    ui->EdCheminRepSauv->setText(dialogs.chooseFolder(QStringLiteral("Sélection du répertoire de sauvegarde")));
}

void TSynch::BtLanceAnalyseClick()
{
    busy = true;
    const AnalysisOutcome outcome = synchro.BtLanceAnalyseClick(
        ui->EdCheminRepRef->text(), ui->EdCheminRepSauv->text(), ui->CbAnalyseSousRep->isChecked());
    busy = false;
    if (outcome == AnalysisOutcome::MissingField)
        return;
    ui->Label5->hide();
    // The actions follow the lists of this analysis: a refused one leaves
    // none, and an incomplete one (or one of an empty reference) no deletion.
    const bool done = outcome == AnalysisOutcome::Done;
    for (QWidget* w :
        std::initializer_list<QWidget*> {ui->CbCopieNonSauv, ui->RbVrac, ui->RbRespectArbor, ui->BtLancerActions})
        w->setEnabled(done);
    ui->CbFichiersManquants->setEnabled(synchro.deletionAllowed());
    if (!synchro.deletionAllowed())
        ui->CbFichiersManquants->setChecked(false);
    if (!done)
        return;
    ui->BtFermer->setEnabled(false);
    ui->BtFermer->hide();
    ui->BtLancerActions->show();
}

void TSynch::BtLancerActionsClick()
{
    const SyncActions actions {
        ui->CbCopieNonSauv->isChecked(), ui->RbRespectArbor->isChecked(), ui->CbFichiersManquants->isChecked()};
    busy = true;
    if (!actions.CbCopieNonSauv) {
        synchro.BtLancerActionsClick(actions);
        busy = false;
        emit actionsEnded();
        return;
    }
    deleteAfterCopy = actions.CbFichiersManquants;
    copying = synchro.startCopy(actions.RbRespectArbor);
    if (!copying) {
        endActions();
        return;
    }
    copyProgress = std::make_unique<PostedProgress>([this](int percent) {
        QMetaObject::invokeMethod(
            this, [this, percent] { setPosition(percent); }, Qt::QueuedConnection);
    });
    copyCaption(copying->caption());
    // From the loop: the copy window is shown, and "Arrêter" can be pressed,
    // before the first byte moves.
    QMetaObject::invokeMethod(this, &TSynch::copyNextFile, Qt::QueuedConnection);
}

void TSynch::copyNextFile()
{
    // What is left after "Arrêter" is only counted: no thread for that.
    while (copying->pending() && synchro.stop)
        copying->copyNext(nullptr);
    if (!copying->pending()) {
        synchro.endCopy(*copying);
        copying.reset();
        copyProgress.reset();
        endActions();
        return;
    }
    copyCaption(copying->caption());
    copier = startOffThread(
        this, [task = copying.get(), progress = copyProgress.get()] { task->copyNext(progress); },
        [this](std::exception_ptr) { copyNextFile(); });
}

void TSynch::endActions()
{
    if (deleteAfterCopy)
        synchro.deletionTask();
    busy = false;
    emit actionsEnded();
}

void TSynch::BtFermerClick()
{
    close();
}

void TSynch::closeEvent(QCloseEvent* event)
{
    if (busy) {
        event->ignore();
        return;
    }
    // The main window is enabled again when this window is destroyed.
    bringToFront(Form1);
    event->accept();
}

void TSynch::CocherTout(QObject* Sender)
{
    const bool nonSauv = Sender && Sender->objectName() == ui->PopCocherNonSauv->objectName();
    (nonSauv ? nonSauvModel : manquantsModel)->setAllChecked(true);
}

void TSynch::DeCocherTout(QObject* Sender)
{
    const bool nonSauv = Sender && Sender->objectName() == ui->PopDecocherNonSauv->objectName();
    (nonSauv ? nonSauvModel : manquantsModel)->setAllChecked(false);
}

void TSynch::listsAboutToChange()
{
    nonSauvModel->beginChange();
    manquantsModel->beginChange();
}

void TSynch::listsChanged()
{
    nonSauvModel->endChange();
    manquantsModel->endChange();
}

void TSynch::copyStarted()
{
    FCopieEnCours = new TFCopieEnCours(synchro.stop, this);
    FCopieEnCours->show();
}

void TSynch::copyCaption(const QString& caption)
{
    if (FCopieEnCours)
        FCopieEnCours->setWindowTitle(caption);
}

void TSynch::setPosition(int percent)
{
    if (FCopieEnCours)
        FCopieEnCours->setPosition(percent);
}

void TSynch::copyFinished()
{
    delete FCopieEnCours.data();
    bringToFront(this);
}

bool TSynch::confirmDeletion()
{
    TConfirmSuppr window(this);
    FConfirmSuppr = &window;
    const bool confirm = window.askOverOwner();
    FConfirmSuppr = nullptr;
    return confirm;
}

void TSynch::taskFinished()
{
    ui->Label5->show();
    ui->BtLancerActions->hide();
    ui->BtLancerActions->setEnabled(false);
    ui->BtFermer->show();
    ui->BtFermer->setEnabled(true);
}

} // namespace filmarch
