#include "export/CsvExport.h"

#include "export/ExportCatalogue.h"

namespace filmarch {
namespace {

void appendField(QByteArray& out, const QString& value)
{
    const QByteArray bytes = value.toUtf8();
    const bool quoted = bytes.contains(',') || bytes.contains('"') || bytes.contains('\n') || bytes.contains('\r');
    if (!quoted) {
        out += bytes;
        return;
    }
    out += '"';
    for (const char c : bytes) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendRow(QByteArray& out, const QStringList& values)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ',';
        appendField(out, values[i]);
    }
    out += "\r\n";
}

} // namespace

QByteArray csvBytes(const ExportCatalogue& catalogue)
{
    QByteArray out;
    appendRow(out, catalogue.columns);
    for (const ExportEntry& entry : catalogue.entries)
        appendRow(out, entry.values);
    return out;
}

} // namespace filmarch
