#include "app/ui/VerifyWindow.h"

#include "core/ui/DesktopNotice.h"
#include "platform/Error.h"
#include "platform/OffThread.h"
#include "ui_VerifyWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QThread>

namespace filmarch {

namespace {
// The position of the gone entry in `check.gone`, kept on its line.
constexpr int kGoneRole = Qt::UserRole;
} // namespace

VerifyWindow::VerifyWindow(
    const QString& catalogue, FileProbe fileProbe, std::function<void(const QString&)> logLine, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::VerifyWindow>()), probe(std::move(fileProbe)), log(std::move(logLine))
{
    ui->setupUi(this);
    ui->EdCatalogue->setText(catalogue);
    ui->LVConstats->header()->setSectionResizeMode(QHeaderView::Interactive);
    ui->LVConstats->setColumnWidth(0, 150);
    ui->LVConstats->setColumnWidth(1, 150);
    ui->LVConstats->setColumnWidth(2, 240);
    chooseCatalogue = [this](const QString& current) {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Catalogue à vérifier"), current,
            QStringLiteral("Catalogues (*.amc *.xml)"), nullptr, QFileDialog::DontUseNativeDialog);
    };
    chooseFolder = [this](const QString& current) {
        return QFileDialog::getExistingDirectory(
            this, QStringLiteral("Dossier où chercher les films"), current, QFileDialog::DontUseNativeDialog);
    };
    showMessage = [this](const QString& text) { QMessageBox::information(this, windowTitle(), text); };
    connect(ui->BtCatalogue, &QPushButton::clicked, this, &VerifyWindow::BtCatalogueClick);
    connect(ui->BtDossier, &QPushButton::clicked, this, &VerifyWindow::BtDossierClick);
    connect(ui->BtVerifier, &QPushButton::clicked, this, &VerifyWindow::BtVerifierClick);
    connect(ui->BtAppliquer, &QPushButton::clicked, this, &VerifyWindow::BtAppliquerClick);
    connect(ui->BtFermer, &QPushButton::clicked, this, &QDialog::accept);
    // A line ticked or unticked changes what "Appliquer" would do.
    connect(ui->LVConstats, &QTreeWidget::itemChanged, this, [this] {
        bool any = false;
        for (int i = 0; i < ui->LVConstats->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = ui->LVConstats->topLevelItem(i);
            any = any || (item->data(0, kGoneRole).isValid() && item->checkState(0) == Qt::Checked);
        }
        ui->BtAppliquer->setEnabled(any);
    });
}

VerifyWindow::~VerifyWindow()
{
    // The check reads the catalogue and measures files with the program's parts.
    if (checker)
        checker->wait();
}

void VerifyWindow::setChecking(bool on)
{
    for (QWidget* control : {static_cast<QWidget*>(ui->BtVerifier), static_cast<QWidget*>(ui->BtCatalogue),
             static_cast<QWidget*>(ui->BtDossier), static_cast<QWidget*>(ui->BtFermer)})
        control->setEnabled(!on);
    ui->EdCatalogue->setReadOnly(on);
    ui->EdDossier->setReadOnly(on);
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void VerifyWindow::reject()
{
    // Escape waits for the check's end, as the close button does.
    if (!checker)
        QDialog::reject();
}

void VerifyWindow::closeEvent(QCloseEvent* event)
{
    if (checker)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

QString VerifyWindow::catalogue() const
{
    return ui->EdCatalogue->text();
}

void VerifyWindow::BtCatalogueClick()
{
    const QString chosen = chooseCatalogue(ui->EdCatalogue->text());
    if (!chosen.isEmpty())
        ui->EdCatalogue->setText(chosen);
}

void VerifyWindow::BtDossierClick()
{
    const QString chosen = chooseFolder(ui->EdDossier->text());
    if (!chosen.isEmpty())
        ui->EdDossier->setText(chosen);
}

void VerifyWindow::BtVerifierClick()
{
    ui->LVConstats->clear();
    ui->BtAppliquer->setEnabled(false);
    ui->LbResume->clear();
    check = {};
    checkedCatalogue = QFileInfo(ui->EdCatalogue->text()).absoluteFilePath();
    QStringList folders;
    if (!ui->EdDossier->text().isEmpty()) {
        const QString folder = QDir::cleanPath(QFileInfo(ui->EdDossier->text()).absoluteFilePath());
        if (!QFileInfo(folder).isDir()) {
            showMessage(QStringLiteral("Le dossier à comparer n'existe pas : ") + folder);
            return;
        }
        folders << folder;
    }
    // The check works on a thread of its own: the window keeps answering.
    auto found = std::make_shared<CatalogueCheck>();
    auto notice = std::make_shared<const LongTaskNotice>();
    setChecking(true);
    checker = startOffThread(
        this,
        [found, path = checkedCatalogue, folders, measure = probe] { *found = checkCatalogue(path, folders, measure); },
        [this, found, notice](std::exception_ptr failure) {
            checker = nullptr;
            setChecking(false);
            try {
                if (failure)
                    std::rethrow_exception(failure);
            } catch (const Error& e) {
                checkedCatalogue.clear();
                showMessage(e.message());
                return;
            } catch (const std::exception& e) {
                checkedCatalogue.clear();
                showMessage(QStringLiteral("Vérification impossible : ") + QString::fromLocal8Bit(e.what()));
                return;
            }
            check = std::move(*found);
            showCheck(*notice);
        });
}

void VerifyWindow::showCheck(const LongTaskNotice& notice)
{
    const QSignalBlocker quiet(ui->LVConstats);
    int moved = 0;
    for (int g = 0; g < int(check.gone.size()); ++g) {
        const CatalogueCheck::Gone& gone = check.gone[size_t(g)];
        const CheckedEntry& e = check.entries[size_t(gone.entry)];
        auto* item = new QTreeWidgetItem(ui->LVConstats);
        const bool found = !gone.newPath.isEmpty();
        moved += found;
        item->setText(0, found ? QStringLiteral("Déplacé") : QStringLiteral("Absent (retirer)"));
        item->setText(1, e.title);
        item->setText(2, e.url);
        item->setText(3, gone.newPath);
        item->setData(0, kGoneRole, g);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, found ? Qt::Checked : Qt::Unchecked);
    }
    const auto plainLine = [this](const QString& what, const QString& path, int column) {
        auto* item = new QTreeWidgetItem(ui->LVConstats);
        item->setText(0, what);
        item->setText(column, path);
        item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        item->setForeground(0, palette().brush(QPalette::Disabled, QPalette::Text));
    };
    for (const QString& url : std::as_const(check.notChecked))
        plainLine(QStringLiteral("Non vérifié"), url, 2);
    for (const QString& file : std::as_const(check.newFiles))
        plainLine(QStringLiteral("Nouveau"), file, 3);
    ui->BtAppliquer->setEnabled(moved > 0);

    QString resume = QStringLiteral("%1 entrée(s) vérifiée(s) : %2 déplacée(s), %3 absente(s), %4 film(s) nouveau(x).")
                         .arg(check.entries.size())
                         .arg(moved)
                         .arg(int(check.gone.size()) - moved)
                         .arg(check.newFiles.size());
    if (!check.unreadableFolders.isEmpty())
        resume += QStringLiteral(" Dossier(s) illisible(s), leurs entrées ne sont pas vérifiées : ")
            + check.unreadableFolders.join(QStringLiteral(", "));
    ui->LbResume->setText(resume);
    notice.finished(QStringLiteral("Vérification terminée"), resume);
}

void VerifyWindow::BtAppliquerClick()
{
    std::vector<CheckDecision> decisions;
    for (int i = 0; i < ui->LVConstats->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = ui->LVConstats->topLevelItem(i);
        if (!item->data(0, kGoneRole).isValid() || item->checkState(0) != Qt::Checked)
            continue;
        const CatalogueCheck::Gone& g = check.gone.at(size_t(item->data(0, kGoneRole).toInt()));
        const CheckedEntry& e = check.entries[size_t(g.entry)];
        decisions.push_back({e.index, e.url, g.newPath});
    }
    if (decisions.empty())
        return;
    if (const std::optional<QString> failure = applyCheck(checkedCatalogue, decisions, log)) {
        showMessage(QStringLiteral("Le catalogue n'a pas été modifié : ") + *failure);
        return;
    }
    rewritten = true;
    showMessage(QStringLiteral("Le catalogue a été mis à jour (%1 entrée(s)). Une copie de l'ancien se trouve à "
                               "côté, en .bak.")
                    .arg(decisions.size()));
    BtVerifierClick();
}

} // namespace filmarch
