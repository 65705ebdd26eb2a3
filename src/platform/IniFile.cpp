#include "platform/IniFile.h"

#include "platform/Error.h"
#include "platform/RegularFile.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>

namespace filmarch {

namespace {
bool sameName(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// A value that holds a line break would split its line on the next read.
QString singleLine(QString text)
{
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}
} // namespace

IniFile IniFile::load(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!isRegularFile(path))
        throw Error(QStringLiteral("Impossible de lire le fichier de paramètres %1 : ce n'est pas un fichier ordinaire")
                        .arg(QDir::toNativeSeparators(path)));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Impossible de lire le fichier de paramètres %1 : %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("Impossible de lire le fichier de paramètres %1 : %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    return parse(bytes);
}

IniFile IniFile::parse(const QByteArray& bytes)
{
    IniFile ini;
    ini.sections.append(Section {});
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    if (text.isEmpty())
        return ini;
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);

    for (QString raw : text.split(QLatin1Char('\n'))) {
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            ini.sections.append(Section {trimmed.mid(1, trimmed.size() - 2).trimmed(), {Line {raw, {}, {}}}});
            continue;
        }
        Line line {raw, {}, {}};
        const qsizetype eq = raw.indexOf(QLatin1Char('='));
        const bool comment = trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
        if (eq > 0 && !comment && !raw.left(eq).trimmed().isEmpty()) {
            line.key = raw.left(eq).trimmed();
            line.value = raw.mid(eq + 1);
        }
        ini.sections.last().lines.append(line);
    }
    return ini;
}

QByteArray IniFile::serialize() const
{
    QString out;
    for (const Section& section : sections)
        for (const Line& line : section.lines)
            out += line.text + QLatin1Char('\n');
    return out.toUtf8();
}

void IniFile::save(const QString& path) const
{
    try {
        replaceFile(path, serialize(), holdsSecret());
    } catch (const Error& e) {
        throw Error(QStringLiteral("Impossible d'enregistrer le fichier de paramètres %1 : %2")
                        .arg(QDir::toNativeSeparators(path), e.message()));
    }
}

bool IniFile::holdsSecret() const
{
    for (const Section& section : sections)
        for (const Line& line : section.lines)
            if (sameName(line.key, QStringLiteral("Cle")) && !line.value.trimmed().isEmpty())
                return true;
    return false;
}

const IniFile::Section* IniFile::findSection(const QString& name) const
{
    for (const Section& section : sections)
        if (!section.lines.isEmpty() && !section.name.isEmpty() && sameName(section.name, name))
            return &section;
    return nullptr;
}

IniFile::Section* IniFile::findSection(const QString& name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

std::optional<QString> IniFile::value(const QString& section, const QString& key) const
{
    if (const Section* s = findSection(section))
        for (const Line& line : s->lines)
            if (!line.key.isEmpty() && sameName(line.key, key))
                return line.value;
    return std::nullopt;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    const QString clean = singleLine(value);
    const Line entry {key + QLatin1Char('=') + clean, key.trimmed(), clean};

    Section* s = findSection(section);
    if (!s) {
        if (sections.isEmpty())
            sections.append(Section {});
        // Keep a blank line between the previous section and the new one.
        const Section& last = sections.last();
        if (!last.lines.isEmpty() && !last.lines.last().text.trimmed().isEmpty())
            sections.last().lines.append(Line {});
        sections.append(Section {section, {Line {QLatin1Char('[') + section + QLatin1Char(']'), {}, {}}}});
        s = &sections.last();
    }
    for (Line& line : s->lines)
        if (!line.key.isEmpty() && sameName(line.key, key)) {
            line = entry;
            return;
        }
    // New key: after the section's last non-blank line.
    qsizetype at = s->lines.size();
    while (at > 1 && s->lines[at - 1].text.trimmed().isEmpty())
        --at;
    s->lines.insert(at, entry);
}

void updateIniFile(const QString& path, const std::function<void(IniFile&)>& change)
{
    IniFile ini = IniFile::load(path);
    change(ini);
    ini.save(path);
}

} // namespace filmarch
