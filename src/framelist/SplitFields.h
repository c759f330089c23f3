#pragma once
#include <QChar>
#include <QString>
#include <QStringList>

namespace framora {

// Splits one line of a template into fields. Only the delimiter separates (blanks belong to
// the fields); a delimiter at the end gives a last empty field; an empty line gives none.
// A field starting with '"' runs to the next lone '"' ("" inside stands for one), a missing
// closing quote takes the rest of the line, and text after the closing quote up to the next
// delimiter is a field of its own. `fields` is emptied first.
void SplitFields(QChar delimiter, const QString& line, QStringList& fields);
QStringList SplitFields(QChar delimiter, const QString& line);

} // namespace framora
