#include "filmdb/ui/LookupWindow.h"

#include "core/UserDialogs.h"
#include "core/ui/OnScreen.h"
#include "filmdb/AllocineClient.h"
#include "platform/Error.h"
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
#include <QScopeGuard>
#include <QTimer>

#include <algorithm>

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

TFormAllocine::~TFormAllocine() = default;

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
    // Whatever runs in a nested loop now belongs to a closed window.
    ++session;
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
}

void TFormAllocine::BtRechercherClick()
{
    if (busy || !source)
        return;
    ui->BtValidFilm->setText(validateCaption);
    const int token = session;
    Rechercher(ui->EdNomFilm->text());
    if (!stale(token))
        focusCandidates();
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
    if (!source)
        return;
    const int token = session;
    setRequesting(true);
    const auto requestEnds = qScopeGuard([this] { setRequesting(false); });
    removePageButtons();
    removeCandidates();
    ui->PanelFilms->clear();
    Feed_first.clear();
    NbrFilms = 0;

    const CandidateList list = source->search(NomFilm, Annee);
    if (stale(token))
        return;
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
        AfficheListe(0, std::min(NbrFilms, perPage) - 1, 0);
    } catch (const Error&) {
        if (!stale(token))
            AfficheListe(0, 0, 2);
    }
}

// The preferred candidate and the first of the list swap places.
int TFormAllocine::candidateAt(int Debut, int i) const
{
    if (Debut == 0 && i == 0)
        return bestitem;
    const QString& code = Feed_first[Debut + i].code;
    if (!code.isEmpty() && code == Feed_first[bestitem].code)
        return 0;
    return Debut + i;
}

void TFormAllocine::AfficheListe(int Debut, int Fin, int Code)
{
    infosFilmAllo.fill(QString());
    ui->BtValidFilm->setText(skipCaption);
    if (Code == 1 || Code == 2) {
        ui->PanelFilms->setText(source->failureText(Code));
        return;
    }
    const int token = session;
    for (int i = 0; i <= Fin - Debut && i < perPage; ++i) {
        const int movie = candidateAt(Debut, i);
        auto* radio = new QRadioButton(ui->PanelFilms);
        radio->setGeometry(115, 60 + 110 * i, 250, 17);
        // The candidates come before the buttons under them in the Tab order.
        setTabOrder(i == 0 ? static_cast<QWidget*>(ui->CbAfficherDetails) : ListeRadioBoutons[i - 1], radio);
        setTabOrder(radio, ui->BtValidFilm);
        radio->setEnabled(!busy);
        const Candidate& film = Feed_first[movie];
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
        const QString path = source->thumbnail(film);
        if (stale(token))
            return;
        QPixmap thumbnail;
        if (!thumbnail.load(path))
            throw Error(QStringLiteral("Image illisible : ") + path);
        picture->setPixmap(thumbnail);
    }
}

void TFormAllocine::PageButtonOnClick(int NumeroPage)
{
    if (busy || Feed_first.isEmpty())
        return;
    const int token = session;
    {
        setRequesting(true);
        const auto requestEnds = qScopeGuard([this] { setRequesting(false); });
        removeCandidates();
        const int a = perPage * NumeroPage;
        try {
            AfficheListe(a - perPage, a - 1 < NbrFilms ? a - 1 : NbrFilms - 1, 0);
        } catch (const Error& e) {
            dialogs.showError(e.message());
        }
    }
    if (!stale(token))
        focusCandidates();
}

void TFormAllocine::InfosFilmOnCLick()
{
    auto* radio = qobject_cast<QRadioButton*>(sender());
    if (!radio || busy || !source)
        return;
    const int token = session;
    CodeFilm = radio->objectName().remove(QLatin1Char('C'), Qt::CaseInsensitive);
    InfosFilmAllo infos;
    QStringList logLines;
    try {
        setRequesting(true);
        const auto requestEnds = qScopeGuard([this] { setRequesting(false); });
        source->details(CodeFilm, infos, logLines);
        if (stale(token))
            return;
    } catch (const Error& e) {
        if (stale(token))
            return;
        // Half a film is never written: the entry falls back to the analysis data.
        infosFilmAllo.fill(QString());
        ui->BtValidFilm->setText(skipCaption);
        dialogs.showError(e.message());
        return;
    }
    infosFilmAllo = infos;
    // Logged when the film is picked, whatever the user decides next.
    if (log)
        for (const QString& line : std::as_const(logLines))
            log(line);
    delete MemoFilm;
    MemoFilm = nullptr;
    ui->BtValidFilm->setText(validateCaption);
    ui->CbAfficherDetails->setEnabled(true);
    showDetails();
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
