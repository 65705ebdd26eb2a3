#pragma once
// What a scan shows while it works: the progress window's bar and file label,
// and the chance for the window to handle pending events between files.
#include <QString>

namespace filmarch {

class ScanProgress {
public:
    virtual ~ScanProgress() = default;
    virtual void setMaximum(int max) = 0;
    virtual void setPosition(int position) = 0;
    virtual int position() const = 0;
    void advance() { setPosition(position() + 1); }
    virtual void setFileName(const QString& name) = 0; // LbNomFilm
    // The file about to be examined, film or not (the window shows films only).
    virtual void startFile(const QString&) {}
    virtual void processEvents() = 0; // between files
};

// Progress that goes nowhere (tests, benchmarks).
class NullProgress : public ScanProgress {
public:
    void setMaximum(int m) override { max = m; }
    void setPosition(int p) override { pos = p; }
    int position() const override { return pos; }
    void setFileName(const QString& n) override { fileName = n; }
    void processEvents() override {}
    int max = 0, pos = 0;
    QString fileName;
};

} // namespace filmarch
