#pragma once
// The synchronisation tool without its window: the analysis of a reference
// folder against a backup folder, then the copy of the ticked reference files
// and the deletion of the ticked backup files, with their log lines. The
// window and the command line show it through SyncView.
#include "core/AppPaths.h"
#include "platform/FileCopy.h"
#include "sync/CopyTask.h"
#include "sync/SyncList.h"
#include "sync/SyncPaths.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace filmarch {

class Journal;
class UserDialogs;
struct UnreadablePath;

// What the tool shows while it works. The progress calls are the copy
// window's bar.
class SyncView : public CopyProgress {
public:
    // The lists change between these two calls; no event is handled between them.
    virtual void listsAboutToChange() {}
    virtual void listsChanged() {}
    // The copy window is shown (the tool window takes no input) until
    // copyFinished.
    virtual void copyStarted() {}
    virtual void copyCaption(const QString&) {}
    virtual void copyFinished() {}
    // The confirmation window: true when the user confirmed.
    virtual bool confirmDeletion() = 0;
    // A task ran: "Terminé !", and "Fermer" in place of "Lancer".
    virtual void taskFinished() {}
    void setPosition(int) override {}
    void processEvents() override {}
};

// What the tool needs from the program around it. Pointers are not owned.
struct SyncContext {
    AppPaths paths;
    UserDialogs* dialogs = nullptr;
    Journal* journal = nullptr;
    SyncView* view = nullptr;
};

enum class AnalysisOutcome {
    MissingField,  // a folder field is empty: nothing changed
    InvalidFolder, // the lists were emptied, no analysis
    NestedFolders, // one folder lies in the other: the lists were emptied, no analysis
    Done,          // also when incomplete: see listingComplete()
};

struct SyncActions {
    bool CbCopieNonSauv = false;
    bool RbRespectArbor = false; // otherwise "En vrac"
    bool CbFichiersManquants = false;
};

class SyncTool {
public:
    explicit SyncTool(SyncContext context);

    // "Lancer l'analyse des répertoires".
    AnalysisOutcome BtLanceAnalyseClick(
        const QString& EdCheminRepRef, const QString& EdCheminRepSauv, bool CbAnalyseSousRep);
    // "Lancer": the copy task, then the deletion task, as ticked.
    void BtLancerActionsClick(const SyncActions& actions);

    // Copies the ticked entries of LVFichiersNonSauv into the backup folder
    // and takes them out of the list. Nothing ticked: its message, count 0.
    CopyReport copyTask(bool keepTree);
    // The same task in steps, for a window that copies each file on a thread
    // of its own: the task of the ticked entries (none when nothing is
    // ticked: the message is said) with the copy window shown, its files
    // (CopyTask::copyNext, the caption shown before each), and its end (the
    // list, the log, the copy window closed).
    std::unique_ptr<CopyTask> startCopy(bool keepTree);
    CopyReport endCopy(const CopyTask& task);
    // Deletes the ticked entries of LVFichiersManquants once confirmed.
    // Returns the number of files deleted.
    int deletionTask();

    // False when the last analysis could not read every folder: the lists
    // lack what those hold, and LVFichiersManquants was left empty.
    bool listingComplete() const { return complete; }
    // False after an analysis whose reference folder held no file (every
    // backup file then looks absent from the reference), after an incomplete
    // one, and after a refused one.
    bool deletionAllowed() const { return analysed && complete && !referenceEmpty; }

    void EcritureLog(const QString& Mes);

    SyncList LVFichiersNonSauv;   // reference files the backup lacks
    SyncList LVFichiersManquants; // backup files the reference lacks
    QString FichierLog;
    std::atomic<bool> stop {false}; // "Arrêter": abandons the copy task, from any thread
    // The folders of the last analysis: the actions work on these.
    QString reference;
    QString backup;

private:
    void changeLists(const std::function<void()>& change);
    bool refuseNestedFolders(const QString& reference, const QString& backup);
    void showNesting(Nesting nesting);
    void reportLinks(const SyncList& referenceLinks, const SyncList& backupLinks);
    void reportUnreadable(const std::vector<UnreadablePath>& unreadable);
    void endTask();

    SyncContext ctx;
    bool analysed = false;
    bool complete = true;
    bool referenceEmpty = false;
};

} // namespace filmarch
