#pragma once
// The film-database lookup window. Created hidden at start-up; a manual
// lookup shows it modally for each film and hands the user's decision back.
#include "core/AppPaths.h"
#include "filmdb/LookupSource.h"
#include "filmdb/ManualLookup.h"

#include <QDialog>
#include <QList>
#include <QPointer>

#include <array>
#include <exception>
#include <functional>
#include <memory>

class QButtonGroup;
class QLabel;
class QPlainTextEdit;
class QRadioButton;
class QThread;

namespace Ui {
class TFormAllocine;
}

namespace filmarch {

class UserDialogs;

class TFormAllocine : public QDialog, public ManualLookup {
    Q_OBJECT
public:
    // `paths` are the program's folders (each request names the film database
    // to ask, which keeps its own answers and thumbnails); `dialogs` shows the
    // failures the user must see.
    TFormAllocine(const AppPaths& paths, UserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormAllocine() override;

    // Modal: searches once when shown, returns when the window closes.
    ManualLookupDecision lookUp(const ManualLookupRequest& request) override;

    // The same steps without the modal loop, for a caller that drives the
    // window itself: prepare and show, act, then read the decision.
    void startLookUp(const ManualLookupRequest& request);
    ManualLookupDecision finishLookUp();

    // Set by the program: where the progress window stands (its frame's top
    // left) and a switch for its Stop button, turned off when this window
    // shows (the end of the run turns it on again).
    std::function<QPoint()> progressTopLeft;
    std::function<void(bool)> enableProgressStop;

    // True while a request or a thumbnail download of the film in hand is
    // under way (or waits for one the window left behind to end).
    bool requesting() const { return busy; }

    // Made for each film or page shown; the rest of the window is its form's.
    QPlainTextEdit* MemoFilm = nullptr;
    std::array<QRadioButton*, 5> ListeRadioBoutons {};
    std::array<QLabel*, 5> ListImage {};

    InfosFilmAllo infosFilmAllo;
    int NbrFilms = 0;
    int bestitem = 0;
    QString CodeFilm;

    // Client widths of the window: details hidden, shown, after a validation.
    static constexpr int narrowWidth = 384;
    static constexpr int wideWidth = 715;
    static constexpr int savingWidth = 389;

public slots:
    void BtRechercherClick();
    void Rechercher(const QString& NomFilm);
    void PageButtonOnClick(int NumeroPage);
    void InfosFilmOnCLick();
    void CbAfficherDetailsClick();
    void BtValidFilmClick();
    void BtArretClick();

    void done(int result) override;

private:
    // The thumbnails of a page, had in order until one could not be.
    struct Thumbnails {
        QStringList paths;
        QString error; // why the next one could not be had
    };
    static Thumbnails fetchThumbnails(LookupSource& source, const QList<Candidate>& page);

    // Asks the source off the window's thread: `job` must not touch the
    // window; `answer` shows what it found, on the window's thread, unless the
    // window moved on meanwhile. One request runs at a time: one asked while
    // a request the window left behind still runs waits for it to end.
    void ask(std::function<void()> job, std::function<void()> answer);
    void showSearch(const CandidateList& list, const Thumbnails& thumbnails);
    void showFailure(std::exception_ptr failure);
    // Shows candidates Debut .. Fin with their thumbnails, or the message of
    // Code 1 or 2. Throws Error when a thumbnail could not be had.
    void AfficheListe(int Debut, int Fin, int Code, const Thumbnails& thumbnails = {});
    void removeCandidates();
    void removePageButtons();
    void createPageButtons(int NbrPages);
    void showDetails();
    void placeDetails();
    void setRequesting(bool on);
    void focusCandidates();
    bool stale(int token) const { return token != session; }

    std::unique_ptr<Ui::TFormAllocine> ui;
    QButtonGroup* ListeBoutons; // the page buttons, each with its page number as id
    const AppPaths paths;
    UserDialogs& dialogs;
    LookupSource* source = nullptr; // the film database of the file in hand
    QList<Candidate> Feed_first;
    QString Annee;
    QPoint* place = nullptr;
    std::function<void(const QString&)> log; // the run's log
    ManualLookupDecision decision;
    int filesLeft = 0;
    bool busy = false;
    int session = 0;               // moves on when the window closes: late answers are dropped
    QPointer<QThread> running;     // the request under way, whoever asked it
    std::function<void()> waiting; // starts the request that waits for it
};

} // namespace filmarch
