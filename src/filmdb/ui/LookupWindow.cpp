#include "filmdb/ui/LookupWindow.h"

#include "core/UserDialogs.h"
#include "core/ui/OnScreen.h"
#include "filmdb/AllocineClient.h"
#include "platform/Error.h"
#include "platform/OffThread.h"
#include "ui_LookupWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>

namespace filmarch {

namespace {

const int perPage = 5;
const int windowHeight = 693;
const QRect detailsPlace(384, 50, 329, 581);

const QString validateCaption = QStringLiteral("Valider le film sélectionné");
const QString skipCaption = QStringLiteral("Passer au suivant");

// The places were drawn for Tahoma and Times New Roman; the faces of the same
// widths on Linux may need a few pixels more, which the place then takes
// (a centred text grows on both sides).
void growToText(QWidget* control)
{
    const int extra = control->sizeHint().width() - control->width();
    if (extra <= 0)
        return;
    const auto* label = qobject_cast<QLabel*>(control);
    const int left = label && (label->alignment() & Qt::AlignHCenter) ? extra / 2 : 0;
    control->setGeometry(control->x() - left, control->y(), control->width() + extra, control->height());
}

// Candidates Debut .. Fin in the order shown: the preferred one and the first
// of the list swap places.
QList<Candidate> pageOf(const QList<Candidate>& films, int bestitem, int Debut, int Fin)
{
    QList<Candidate> page;
    for (int i = 0; i <= Fin - Debut && i < perPage; ++i) {
        const QString& code = films[Debut + i].code;
        if (Debut == 0 && i == 0)
            page << films[bestitem];
        else if (!code.isEmpty() && code == films[bestitem].code)
            page << films[0];
        else
            page << films[Debut + i];
    }
    return page;
}

} // namespace

TFormAllocine::TFormAllocine(const AppPaths& paths, UserDialogs& dialogs, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFormAllocine>()), paths(paths), dialogs(dialogs)
{
    ui->setupUi(this);
    ListeBoutons = new QButtonGroup(this);
    ListeBoutons->setObjectName(QStringLiteral("ListeBoutons"));

    // The fixed places were drawn for these faces: stand-ins of the same widths come next.
    QFont tahoma = font();
    tahoma.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
        QStringLiteral("Nimbus Sans")});
    tahoma.setPixelSize(11);
    setFont(tahoma);
    QFont large = ui->LbEnCours->font();
    large.setFamilies(
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"), QStringLiteral("Nimbus Roman")});
    large.setPixelSize(36);
    ui->LbEnCours->setFont(large);
    for (QLabel* label : findChildren<QLabel*>())
        if (!label->wordWrap())
            growToText(label);
    for (QCheckBox* box : findChildren<QCheckBox*>())
        growToText(box);
    ui->LbEnCours->hide();
    setFixedSize(narrowWidth, windowHeight);

    connect(ui->BtRechercher, &QPushButton::clicked, this, &TFormAllocine::BtRechercherClick);
    connect(ui->CbAfficherDetails, &QCheckBox::clicked, this, &TFormAllocine::CbAfficherDetailsClick);
    connect(ui->BtValidFilm, &QPushButton::clicked, this, &TFormAllocine::BtValidFilmClick);
    connect(ui->BtArret, &QPushButton::clicked, this, &TFormAllocine::BtArretClick);
    connect(ListeBoutons, &QButtonGroup::idClicked, this, &TFormAllocine::PageButtonOnClick);
}

TFormAllocine::~TFormAllocine()
{
    // The request uses the source, which the window's owner may drop next.
    if (running)
        running->wait();
}

ManualLookupDecision TFormAllocine::lookUp(const ManualLookupRequest& request)
{
    startLookUp(request);
    // Searched once per file, when the window is up: coming back to it later keeps the pick.
    QTimer::singleShot(0, this, &TFormAllocine::BtRechercherClick);
    exec();
    return finishLookUp();
}

void TFormAllocine::startLookUp(const ManualLookupRequest& request)
{
    // The program's own source, kept between files: the session cookie goes with it.
    source = request.source;
    Feed_first.clear();
    Annee = request.Annee;
    place = request.place;
    decision = ManualLookupDecision();
    infosFilmAllo.fill(QString());
    // The details of the last film picked belong to the last file.
    delete MemoFilm;
    MemoFilm = nullptr;
    log = request.log;
    filesLeft = request.filesLeft;
    if (source)
        setWindowTitle(QStringLiteral("Recherche sur ") + source->name());
    ui->BtArret->setEnabled(true);
    ui->EdNomFilm->setText(request.NomFilm);
    // Never on Stop: a key meant for the previous film must not end the run.
    ui->EdNomFilm->setFocus();
    if (enableProgressStop)
        enableProgressStop(false);
    if (place && !place->isNull())
        move(*place);
    else if (progressTopLeft)
        move(progressTopLeft() + QPoint(560, 0));
    show();
    keepOnScreen(this);
}

// After each search or page: the candidates take the keys, or the title
// field when there are none.
void TFormAllocine::focusCandidates()
{
    for (QRadioButton* radio : ListeRadioBoutons)
        if (radio) {
            radio->setFocus();
            return;
        }
    ui->EdNomFilm->setFocus();
}

ManualLookupDecision TFormAllocine::finishLookUp()
{
    if (isVisible())
        done(Rejected);
    // The progress window's Stop stays off until the run ends: in a manual
    // lookup, only this window's Stop ends the run.
    place = nullptr;
    log = nullptr;
    return decision;
}

void TFormAllocine::done(int result)
{
    // A request under way now belongs to a closed window: its answer is dropped.
    ++session;
    setRequesting(false);
    if (place)
        *place = pos();
    QDialog::done(result);
}

void TFormAllocine::setRequesting(bool on)
{
    busy = on;
    ui->BtRechercher->setEnabled(!on);
    ui->BtValidFilm->setEnabled(!on);
    for (QAbstractButton* button : ListeBoutons->buttons())
        button->setEnabled(!on);
    for (QRadioButton* radio : ListeRadioBoutons)
        if (radio)
            radio->setEnabled(!on);
    if (on)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void TFormAllocine::ask(std::function<void()> job, std::function<void()> answer)
{
    setRequesting(true);
    const int token = session;
    auto start = [this, token, job = std::move(job), answer = std::move(answer)] {
        if (stale(token))
            return;
        running = startOffThread(this, job, [this, token, answer](std::exception_ptr failure) {
            running = nullptr;
            if (!stale(token)) {
                setRequesting(false);
                if (failure)
                    showFailure(failure);
                else
                    answer();
            }
            if (waiting && !running)
                std::exchange(waiting, nullptr)();
        });
    };
    // The sources serve one window request at a time: a request the window
    // left behind (closed, or on to the next film) ends first.
    if (running)
        waiting = std::move(start);
    else
        start();
}

// Off the window's thread: touches only the source.
TFormAllocine::Thumbnails TFormAllocine::fetchThumbnails(LookupSource& source, const QList<Candidate>& page)
{
    Thumbnails thumbnails;
    try {
        for (const Candidate& film : page)
            thumbnails.paths << source.thumbnail(film);
    } catch (const Error& e) {
        thumbnails.error = e.message();
    }
    return thumbnails;
}

// What the sources do not turn into a message of their own.
void TFormAllocine::showFailure(std::exception_ptr failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Error& e) {
        dialogs.showError(e.message());
    } catch (const std::exception& e) {
        dialogs.showError(QString::fromLocal8Bit(e.what()));
    }
}

void TFormAllocine::BtRechercherClick()
{
    if (busy || !source)
        return;
    ui->BtValidFilm->setText(validateCaption);
    Rechercher(ui->EdNomFilm->text());
}

void TFormAllocine::removeCandidates()
{
    for (QRadioButton*& radio : ListeRadioBoutons) {
        delete radio;
        radio = nullptr;
    }
    for (QLabel*& picture : ListImage) {
        delete picture;
        picture = nullptr;
    }
}

void TFormAllocine::removePageButtons()
{
    // A button leaves its group when it is deleted.
    qDeleteAll(ListeBoutons->buttons());
}

void TFormAllocine::createPageButtons(int NbrPages)
{
    for (int k = 0; k < NbrPages; ++k) {
        auto* button = new QPushButton(QString::number(NbrPages - k), this);
        button->setAccessibleName(QStringLiteral("Page %1").arg(NbrPages - k));
        button->setAutoDefault(false);
        button->setGeometry(361 - 17 * k, 635, 17, 20);
        button->setEnabled(!busy);
        ListeBoutons->addButton(button, NbrPages - k);
        button->show();
    }
}

void TFormAllocine::Rechercher(const QString& NomFilm)
{
    if (busy || !source)
        return;
    removePageButtons();
    removeCandidates();
    ui->PanelFilms->clear();
    Feed_first.clear();
    NbrFilms = 0;

    struct Found {
        CandidateList list;
        Thumbnails thumbnails;
    };
    auto found = std::make_shared<Found>();
    ask(
        [found, asked = source, NomFilm, year = Annee] {
            found->list = asked->search(NomFilm, year);
            const QList<Candidate>& films = found->list.films;
            if (found->list.code == 0 && !films.isEmpty())
                found->thumbnails = fetchThumbnails(
                    *asked, pageOf(films, found->list.bestitem, 0, std::min<int>(films.size(), perPage) - 1));
        },
        [this, found] {
            showSearch(found->list, found->thumbnails);
            focusCandidates();
        });
}

void TFormAllocine::showSearch(const CandidateList& list, const Thumbnails& thumbnails)
{
    // An answer that could not be kept, or a refused key: the user is told why.
    if (!list.error.isEmpty())
        dialogs.showError(list.error);
    if (list.code != 0) {
        AfficheListe(0, 0, list.code);
        return;
    }
    if (list.films.isEmpty())
        return;
    Feed_first = list.films;
    NbrFilms = static_cast<int>(Feed_first.size());
    bestitem = list.bestitem;
    createPageButtons((NbrFilms + perPage - 1) / perPage);
    try {
        AfficheListe(0, std::min(NbrFilms, perPage) - 1, 0, thumbnails);
    } catch (const Error&) {
        AfficheListe(0, 0, 2);
    }
}

void TFormAllocine::AfficheListe(int Debut, int Fin, int Code, const Thumbnails& thumbnails)
{
    infosFilmAllo.fill(QString());
    ui->BtValidFilm->setText(skipCaption);
    if (Code == 1 || Code == 2) {
        ui->PanelFilms->setText(source->failureText(Code));
        return;
    }
    const QList<Candidate> page = pageOf(Feed_first, bestitem, Debut, Fin);
    for (int i = 0; i < page.size(); ++i) {
        auto* radio = new QRadioButton(ui->PanelFilms);
        radio->setGeometry(115, 60 + 110 * i, 250, 17);
        // The candidates come before the buttons under them in the Tab order.
        setTabOrder(i == 0 ? static_cast<QWidget*>(ui->CbAfficherDetails) : ListeRadioBoutons[i - 1], radio);
        setTabOrder(radio, ui->BtValidFilm);
        radio->setEnabled(!busy);
        const Candidate& film = page[i];
        if (!film.code.isEmpty()) {
            radio->setText(film.originalTitle);
            radio->setObjectName(QStringLiteral("C") + film.code);
        }
        connect(radio, &QRadioButton::clicked, this, &TFormAllocine::InfosFilmOnCLick);
        radio->show();
        ListeRadioBoutons[i] = radio;

        auto* picture = new QLabel(ui->PanelFilms);
        picture->setGeometry(8, 20 + 111 * i, 75, 105);
        picture->setScaledContents(true);
        picture->setAccessibleName(QStringLiteral("Affiche : ") + film.originalTitle);
        picture->show();
        ListImage[i] = picture;
        if (i >= thumbnails.paths.size())
            throw Error(thumbnails.error);
        const QString& path = thumbnails.paths[i];
        QPixmap thumbnail;
        if (!thumbnail.load(path))
            throw Error(QStringLiteral("Image illisible : ") + path);
        picture->setPixmap(thumbnail);
    }
}

void TFormAllocine::PageButtonOnClick(int NumeroPage)
{
    if (busy || !source || Feed_first.isEmpty())
        return;
    removeCandidates();
    const int a = perPage * NumeroPage;
    const int Debut = a - perPage;
    const int Fin = a - 1 < NbrFilms ? a - 1 : NbrFilms - 1;
    auto thumbnails = std::make_shared<Thumbnails>();
    ask([thumbnails, asked = source,
            page = pageOf(Feed_first, bestitem, Debut, Fin)] { *thumbnails = fetchThumbnails(*asked, page); },
        [this, thumbnails, Debut, Fin] {
            try {
                AfficheListe(Debut, Fin, 0, *thumbnails);
            } catch (const Error& e) {
                dialogs.showError(e.message());
            }
            focusCandidates();
        });
}

void TFormAllocine::InfosFilmOnCLick()
{
    auto* radio = qobject_cast<QRadioButton*>(sender());
    if (!radio || busy || !source)
        return;
    CodeFilm = radio->objectName().remove(QLatin1Char('C'), Qt::CaseInsensitive);
    struct Found {
        InfosFilmAllo infos;
        QStringList logLines;
        std::optional<QString> error;
    };
    auto found = std::make_shared<Found>();
    ask(
        [found, asked = source, code = CodeFilm] {
            try {
                asked->details(code, found->infos, found->logLines);
            } catch (const Error& e) {
                found->error = e.message();
            }
        },
        [this, found] {
            if (found->error) {
                // Half a film is never written: the entry falls back to the analysis data.
                infosFilmAllo.fill(QString());
                ui->BtValidFilm->setText(skipCaption);
                dialogs.showError(*found->error);
                return;
            }
            infosFilmAllo = found->infos;
            // Logged when the film is picked, whatever the user decides next.
            if (log)
                for (const QString& line : std::as_const(found->logLines))
                    log(line);
            delete MemoFilm;
            MemoFilm = nullptr;
            ui->BtValidFilm->setText(validateCaption);
            ui->CbAfficherDetails->setEnabled(true);
            showDetails();
        });
}

void TFormAllocine::showDetails()
{
    MemoFilm = new QPlainTextEdit(this);
    MemoFilm->setObjectName(QStringLiteral("MemoFilm"));
    MemoFilm->setReadOnly(true);
    MemoFilm->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    const QStringList captions = {
        QStringLiteral("Titre : "),
        QStringLiteral("Titre original : "),
        QStringLiteral("Date de sortie : "),
        QStringLiteral("Réalisé par : "),
        QStringLiteral("Année de production : "),
        QStringLiteral("Pays : "),
        QStringLiteral("Genre : "),
        QStringLiteral("Acteurs : "),
        QStringLiteral("Durée : "),
        QStringLiteral("Synopsis : "),
    };
    QStringList lines;
    for (int slot = 0; slot < captions.size(); ++slot)
        lines << captions[slot] + infosFilmAllo[slot] << QString();
    lines << QStringLiteral("Critiques presse : ") + infosFilmAllo[InfoNotePresse] + QStringLiteral("/5");
    lines << QStringLiteral("Critiques spectateurs : ") + infosFilmAllo[InfoNoteSpectateurs] + QStringLiteral("/5");
    MemoFilm->setPlainText(lines.join(QLatin1Char('\n')));
    if (ui->CbAfficherDetails->isChecked()) {
        setFixedSize(wideWidth, windowHeight);
        keepOnScreen(this);
        placeDetails();
    } else {
        setFixedSize(narrowWidth, windowHeight);
        MemoFilm->hide();
    }
}

void TFormAllocine::placeDetails()
{
    MemoFilm->setGeometry(detailsPlace);
    MemoFilm->show();
}

void TFormAllocine::CbAfficherDetailsClick()
{
    if (!ui->CbAfficherDetails->isChecked()) {
        setFixedSize(narrowWidth, windowHeight);
        return;
    }
    setFixedSize(wideWidth, windowHeight);
    keepOnScreen(this);
    if (MemoFilm)
        placeDetails();
}

void TFormAllocine::BtValidFilmClick()
{
    if (busy)
        return;
    ui->PanelFilms->hide();
    ui->LbEnCours->show();
    delete MemoFilm;
    MemoFilm = nullptr;
    setFixedSize(savingWidth, windowHeight);
    repaint();
    decision.kind = ManualLookupDecision::Validate;
    decision.infos = infosFilmAllo;
    if (source)
        DelDir(source->imageFolder());
    ui->LbEnCours->hide();
    ui->PanelFilms->show();
    done(Accepted);
}

void TFormAllocine::BtArretClick()
{
    // One key too many must not end a run that has films to come.
    if (filesLeft > 0) {
        QMessageBox question(QMessageBox::Question, windowTitle(),
            filesLeft == 1
                ? QStringLiteral("Arrêter le scan ? Le fichier suivant ne sera pas traité.")
                : QStringLiteral("Arrêter le scan ? Les %1 fichiers suivants ne seront pas traités.").arg(filesLeft),
            QMessageBox::NoButton, this);
        QPushButton* stop = question.addButton(QStringLiteral("&Arrêter le scan"), QMessageBox::AcceptRole);
        question.setDefaultButton(question.addButton(QStringLiteral("&Continuer"), QMessageBox::RejectRole));
        question.exec();
        if (question.clickedButton() != stop)
            return;
    }
    decision = ManualLookupDecision();
    decision.kind = ManualLookupDecision::Stop;
    ui->BtArret->setEnabled(false);
    done(Rejected);
}

} // namespace filmarch
