#pragma once
// A small INI file: "[Section]" headers and "key=value" lines. Sections and
// keys are matched without regard to letter case (and keys without regard to
// the spaces around them); every line we do not change is written back as it
// was, so other sections, comments and unknown keys survive a save. Text is
// UTF-8; values are kept exactly as written after the first "=".
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace filmarch {

class IniFile {
public:
    IniFile() = default;

    // A missing file gives an empty IniFile; a file that exists but cannot be
    // read throws Error with a French message.
    static IniFile load(const QString& path);
    static IniFile parse(const QByteArray& bytes);

    QByteArray serialize() const;
    // Writes beside the target and renames over it; throws Error on failure.
    // A file that holds a secret is its owner's alone (see holdsSecret).
    void save(const QString& path) const;
    // True when a key named "Cle" (the program's name for an access key) has a value.
    bool holdsSecret() const;

    std::optional<QString> value(const QString& section, const QString& key) const;
    void setValue(const QString& section, const QString& key, const QString& value);

private:
    struct Line {
        QString text; // the line as written
        QString key;  // trimmed key, empty for a comment or any other line
        QString value;
    };
    struct Section {
        QString name; // empty for the lines before the first header
        QList<Line> lines;
    };

    const Section* findSection(const QString& name) const;
    Section* findSection(const QString& name);

    QList<Section> sections;
};

// Loads the file, lets `change` edit it and saves it, keeping every other
// section and key. Throws Error (with a French message) on failure.
void updateIniFile(const QString& path, const std::function<void(IniFile&)>& change);

} // namespace filmarch
