#include "export/ui/ExportWindow.h"

#include "core/ScanProgress.h"
#include "core/ui/DesktopNotice.h"
#include "export/ExportCatalogue.h"
#include "platform/Error.h"
#include "platform/OffThread.h"
#include "ui_ExportWindow.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressBar>

#include <memory>

namespace filmarch {

// One export: what the window needs once it has ended.
struct ExportWindow::Run {
    ExportFormat format = ExportFormat::Html;
    QString target;
    int count = -1; // entries read; -1 while the catalogue is not
    ExportReport report;
    const LongTaskNotice notice;
};

namespace {

// The bar of the window, moved from the export's thread: every change is
// posted to the window's thread, and dropped once the bar is gone.
class WindowProgress : public ScanProgress {
public:
    explicit WindowProgress(QProgressBar* bar) : bar(bar) {}
    void setMaximum(int max) override
    {
        QMetaObject::invokeMethod(
            bar, [bar = bar, max] { bar->setMaximum(max); }, Qt::QueuedConnection);
    }
    void setPosition(int position) override
    {
        done = position;
        QMetaObject::invokeMethod(
            bar, [bar = bar, position] { bar->setValue(position); }, Qt::QueuedConnection);
    }
    int position() const override { return done; }
    void setFileName(const QString&) override {}
    void processEvents() override {} // the window's own loop goes on meanwhile

private:
    QProgressBar* bar;
    int done = 0;
};

} // namespace

ExportWindow::ExportWindow(const QString& catalogue, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ExportWindow>())
{
    ui->setupUi(this);
    ui->EdCatalogue->setText(catalogue);
    proposeDestination();

    chooseCatalogue = [this](const QString& current) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Catalogue à exporter"), current,
            QStringLiteral("Catalogues (*.amc *.xml);;Tous les fichiers (*)"));
    };
    chooseDestination = [this](ExportFormat format, const QString& current) {
        if (format == ExportFormat::Html)
            return QFileDialog::getExistingDirectory(
                this, QStringLiteral("Dossier de la page web (vide, ou un export précédent)"), current);
        // The window asks before replacing, whatever way the name was chosen.
        return QFileDialog::getSaveFileName(this, QStringLiteral("Fichier exporté"), current,
            format == ExportFormat::Tellico ? QStringLiteral("Collection Tellico (*.tc)")
                                            : QStringLiteral("Fichier CSV (*.csv)"),
            nullptr, QFileDialog::DontConfirmOverwrite);
    };
    showError = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
    askOpen = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
    };
    askReplace = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            == QMessageBox::Yes;
    };
    openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    connect(ui->BtCatalogue, &QPushButton::clicked, this, &ExportWindow::BtCatalogueClick);
    connect(ui->BtSortie, &QPushButton::clicked, this, &ExportWindow::BtSortieClick);
    connect(ui->BtExporter, &QPushButton::clicked, this, &ExportWindow::BtExporterClick);
    connect(ui->BtFermer, &QPushButton::clicked, this, &ExportWindow::reject);
    for (QRadioButton* button : {ui->RbPageWeb, ui->RbTellico, ui->RbCsv})
        connect(button, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                proposeDestination();
        });
    connect(ui->RbCsv, &QRadioButton::toggled, ui->CbCsvBrut, &QCheckBox::setEnabled);
    connect(ui->EdCatalogue, &QLineEdit::editingFinished, this, &ExportWindow::proposeDestination);
}

ExportWindow::~ExportWindow() = default;

ExportFormat ExportWindow::format() const
{
    if (ui->RbTellico->isChecked())
        return ExportFormat::Tellico;
    if (ui->RbCsv->isChecked())
        return ExportFormat::Csv;
    return ExportFormat::Html;
}

QString ExportWindow::defaultDestination(const QString& catalogue, ExportFormat format)
{
    if (catalogue.trimmed().isEmpty())
        return {};
    const QFileInfo info(catalogue);
    const QString base = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
    switch (format) {
    case ExportFormat::Html: return base + QStringLiteral(" - page web");
    case ExportFormat::Tellico: return base + QStringLiteral(".tc");
    case ExportFormat::Csv: return base + QStringLiteral(".csv");
    }
    return {};
}

void ExportWindow::proposeDestination()
{
    // A destination the user typed or chose stays; one the window proposed follows the choices.
    if (!ui->EdSortie->text().isEmpty() && ui->EdSortie->text() != proposed)
        return;
    proposed = defaultDestination(ui->EdCatalogue->text(), format());
    ui->EdSortie->setText(proposed);
}

void ExportWindow::BtCatalogueClick()
{
    const QString chosen = chooseCatalogue(ui->EdCatalogue->text());
    if (chosen.isEmpty())
        return;
    ui->EdCatalogue->setText(chosen);
    proposeDestination();
}

void ExportWindow::BtSortieClick()
{
    const QString chosen = chooseDestination(format(), ui->EdSortie->text());
    if (!chosen.isEmpty())
        ui->EdSortie->setText(chosen);
}

void ExportWindow::setWorking(bool on)
{
    working = on;
    for (QWidget* control : {static_cast<QWidget*>(ui->GbCatalogue), static_cast<QWidget*>(ui->GbForme),
             static_cast<QWidget*>(ui->GbSortie), static_cast<QWidget*>(ui->BtExporter),
             static_cast<QWidget*>(ui->BtFermer)})
        control->setEnabled(!on);
}

void ExportWindow::BtExporterClick()
{
    const QString cataloguePath = ui->EdCatalogue->text().trimmed();
    const QString destination = ui->EdSortie->text().trimmed();
    if (cataloguePath.isEmpty() || destination.isEmpty()) {
        showError(QStringLiteral("Choisissez le catalogue à exporter et la destination."));
        return;
    }
    const QString catalogueFile = QFileInfo(cataloguePath).absoluteFilePath();
    const QString target = QDir::cleanPath(QFileInfo(destination).absoluteFilePath());
    const ExportFormat chosen = format();
    if (destinationInUse(target)) {
        const QString question = chosen == ExportFormat::Html
            ? QStringLiteral("Le dossier %1 contient un export précédent. Le remplacer ? Les fichiers que vous y "
                             "avez ajoutés sont gardés.")
            : QStringLiteral("Le fichier %1 existe déjà. Le remplacer ? Ce qu'il contient sera perdu.");
        if (!askReplace(question.arg(QDir::toNativeSeparators(target))))
            return;
    }
    // The user said yes above, or nothing is replaced.
    ExportOptions options;
    options.replaceExisting = true;
    options.rawCsv = chosen == ExportFormat::Csv && ui->CbCsvBrut->isChecked();
    setWorking(true);
    ui->ProgressBar->setValue(0);
    ui->LbEtat->setText(QStringLiteral("Lecture du catalogue…"));
    auto run = std::make_shared<Run>();
    run->format = chosen;
    run->target = target;
    auto progress = std::make_shared<WindowProgress>(ui->ProgressBar);
    QLabel* state = ui->LbEtat;
    startOffThread(
        this,
        [run, progress, state, catalogueFile, options] {
            const ExportCatalogue catalogue = ExportCatalogue::read(catalogueFile);
            run->count = int(catalogue.entries.size());
            QMetaObject::invokeMethod(
                state,
                [state, count = run->count] { state->setText(QStringLiteral("Export de %1 film(s)…").arg(count)); },
                Qt::QueuedConnection);
            run->report = writeExport(catalogue, catalogueFile, run->format, run->target, *progress, options);
        },
        [this, run](std::exception_ptr failure) { exportDone(*run, failure); });
}

void ExportWindow::exportDone(const Run& run, std::exception_ptr failure)
{
    setWorking(false);
    if (failure) {
        QString reason;
        try {
            std::rethrow_exception(failure);
        } catch (const Error& e) {
            reason = e.message();
        } catch (const std::exception& e) {
            reason = QString::fromLocal8Bit(e.what());
        }
        if (run.count < 0) {
            ui->LbEtat->setText(QStringLiteral("Le catalogue n'a pas pu être lu."));
            showError(reason);
        } else {
            ui->LbEtat->setText(QStringLiteral("L'export n'a pas pu être écrit."));
            run.notice.finished(ui->LbEtat->text(), run.target);
            showError(QStringLiteral("Export impossible : %1 (%2)").arg(run.target, reason));
        }
        emit exportEnded();
        return;
    }
    const int count = run.count;
    ui->LbEtat->setText(count > 1 ? QStringLiteral("Export terminé : %1 films.").arg(count)
                                  : QStringLiteral("Export terminé : %1 film.").arg(count));
    run.notice.finished(ui->LbEtat->text(), run.target);
    const ExportReport& report = run.report;
    const QString result =
        run.format == ExportFormat::Html ? QDir(run.target).filePath(QStringLiteral("index.html")) : run.target;
    QString question = run.format == ExportFormat::Html
        ? QStringLiteral("La page est écrite. L'ouvrir dans le navigateur ?")
        : QStringLiteral("Le fichier est écrit. L'ouvrir avec le programme associé ?");
    if (!report.kept.isEmpty())
        question.prepend(QStringLiteral("Vos fichiers ajoutés au dossier sont gardés : %1.\n\n")
                             .arg(report.kept.join(QStringLiteral(", "))));
    if (!report.badPictures.isEmpty())
        question.prepend(QStringLiteral("%1 image(s) n'ont pas pu être lues :\n%2\n\n")
                             .arg(report.badPictures.size())
                             .arg(report.badPictures.mid(0, 10).join(u'\n')
                                 + (report.badPictures.size() > 10 ? QStringLiteral("\n…") : QString())));
    if (askOpen(question))
        openUrl(QUrl::fromLocalFile(result));
    emit exportEnded();
}

void ExportWindow::reject()
{
    // No way out while the result is being written: the export ends first.
    if (!working)
        QDialog::reject();
}

} // namespace filmarch
