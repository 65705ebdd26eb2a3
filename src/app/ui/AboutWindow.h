#pragma once
// "A propos": the program's name, version and credits. A dialog owned by the
// main window, so that it stays above it; Escape and Enter close it.
#include <QDialog>
#include <memory>

namespace Ui {
class TFormAPropos;
}

namespace filmarch {

class TFormAPropos : public QDialog {
    Q_OBJECT
public:
    explicit TFormAPropos(QWidget* parent = nullptr);
    ~TFormAPropos() override;

private:
    std::unique_ptr<Ui::TFormAPropos> ui;
};

} // namespace filmarch
