#pragma once
// Text conversions with the rules the program's files and edits have always had.
#include <QString>

#include <optional>

namespace framora {

// Removes leading and trailing blanks and control characters (everything up to U+0020).
QString trimBlanks(const QString& s);

// A whole text as a 32-bit integer: optional leading blanks, an optional sign, then decimal
// digits or "$"/"0x" followed by hex digits, nothing after. Trailing blanks do not convert.
std::optional<int> toInt(const QString& s);

// The message a failed integer conversion shows.
QString invalidIntegerMessage(const QString& s);

} // namespace framora
