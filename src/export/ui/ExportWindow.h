#pragma once
// The export window: a catalogue, a form (web page, Tellico, CSV) and a
// destination; the export runs on a thread of its own with its progress shown
// (the window stays served) and the window then offers to open the result.
// The catalogue is only read.
#include "export/Exporter.h"

#include <QDialog>
#include <QUrl>
#include <exception>
#include <functional>
#include <memory>

namespace Ui {
class ExportWindow;
}

namespace filmarch {

class ExportWindow : public QDialog {
    Q_OBJECT
public:
    // `catalogue`: the one proposed (the catalogue being completed), may be empty.
    explicit ExportWindow(const QString& catalogue, QWidget* parent = nullptr);
    ~ExportWindow() override;

    // What the window asks of the user and of the desktop; tests script them.
    std::function<QString(const QString& current)> chooseCatalogue;
    std::function<QString(ExportFormat, const QString& current)> chooseDestination;
    std::function<void(const QString& text)> showError;
    std::function<bool(const QString& question)> askOpen;
    std::function<bool(const QString& question)> askReplace;
    std::function<void(const QUrl&)> openUrl;

    ExportFormat format() const;
    // The result proposed for a catalogue and a form: beside the catalogue.
    static QString defaultDestination(const QString& catalogue, ExportFormat format);

public slots:
    void BtCatalogueClick();
    void BtSortieClick();
    void BtExporterClick();
    void reject() override;

signals:
    // An export started by "Exporter" has ended, whatever its result, and
    // the window has said so.
    void exportEnded();

private:
    struct Run;
    void proposeDestination();
    void setWorking(bool working);
    void exportDone(const Run& run, std::exception_ptr failure);

    std::unique_ptr<Ui::ExportWindow> ui;
    bool working = false;
    QString proposed; // the destination last proposed, replaced while the user keeps it
};

} // namespace filmarch
