#pragma once
// "Vérifier le catalogue…": a catalogue compared with the disk, each finding
// a line. Moved entries come ticked (they take their new path), gone ones
// unticked (ticked, they are removed); "Appliquer" rewrites the catalogue
// with the ticked lines only.
#include "scan/CatalogueCheck.h"

#include <QDialog>
#include <QPointer>
#include <QThread>
#include <functional>
#include <memory>

namespace Ui {
class VerifyWindow;
}

namespace filmarch {

class LongTaskNotice;

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
    // From "Vérifier" until its findings are shown (the check works on a thread of its own).
    bool checking() const { return checker != nullptr; }

public slots:
    void BtCatalogueClick();
    void BtDossierClick();
    void BtVerifierClick();
    void BtAppliquerClick();

    // Refused while a check works, as closing is.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void setChecking(bool on);
    void showCheck(const LongTaskNotice& notice);

    std::unique_ptr<Ui::VerifyWindow> ui;
    FileProbe probe;
    std::function<void(const QString&)> log;
    CatalogueCheck check;
    QString checkedCatalogue;
    bool rewritten = false;
    QPointer<QThread> checker; // while a check works
};

} // namespace filmarch
