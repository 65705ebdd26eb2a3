#pragma once
// "Vérifier le catalogue…": a catalogue compared with the disk, each finding
// a line. Moved entries come ticked (they take their new path), gone ones
// unticked (ticked, they are removed); "Appliquer" rewrites the catalogue
// with the ticked lines only.
#include "scan/CatalogueCheck.h"

#include <QDialog>
#include <functional>
#include <memory>

namespace Ui {
class VerifyWindow;
}

namespace filmarch {

class VerifyWindow : public QDialog {
    Q_OBJECT
public:
    // `catalogue`: the one proposed, may be empty. `probe` measures the files
    // no entry names; `log` is told what the rewrite changed.
    VerifyWindow(
        const QString& catalogue, FileProbe probe, std::function<void(const QString&)> log, QWidget* parent = nullptr);
    ~VerifyWindow() override;

    // What the window asks of the user; tests script them.
    std::function<QString(const QString& current)> chooseCatalogue;
    std::function<QString(const QString& current)> chooseFolder;
    std::function<void(const QString& text)> showMessage;

    // True once the catalogue was rewritten.
    bool changed() const { return rewritten; }
    QString catalogue() const;

public slots:
    void BtCatalogueClick();
    void BtDossierClick();
    void BtVerifierClick();
    void BtAppliquerClick();

private:
    std::unique_ptr<Ui::VerifyWindow> ui;
    FileProbe probe;
    std::function<void(const QString&)> log;
    CatalogueCheck check;
    QString checkedCatalogue;
    bool rewritten = false;
};

} // namespace filmarch
