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

// What spreadsheets read as the start of a formula (or of one hidden behind a tab or a line start).
bool startsFormula(const QString& value)
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    return !value.isEmpty() && starts.contains(value.front());
}

void appendRow(QByteArray& out, const QStringList& values, bool raw)
{
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ',';
        appendField(out, !raw && startsFormula(values[i]) ? QLatin1Char('\'') + values[i] : values[i]);
    }
    out += "\r\n";
}

} // namespace

QByteArray csvBytes(const ExportCatalogue& catalogue, bool raw)
{
    QByteArray out;
    appendRow(out, catalogue.columnNames, raw);
    if (raw)
        appendRow(out, catalogue.columns, raw);
    for (const ExportEntry& entry : catalogue.entries)
        appendRow(out, entry.values, raw);
    return out;
}

} // namespace filmarch
