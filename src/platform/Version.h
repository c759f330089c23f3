#pragma once
// The program's four-part version, compiled in from the build's project version.
#include <QString>

namespace framora {

inline const QString NoVersionInformation = QStringLiteral("No version information");

// Version text of the running program: "major.minor.patch.tweak", e.g. "1.2.1.0", or
// "No version information" when the build carried none. The file name is accepted for the
// callers' sake (they always pass the running executable); the version is the compiled one.
QString GetFileVersionText(const QString& fileName = {});

// The same four numbers from a dotted text such as the build's project version: missing
// parts count as 0; a part that is not a number from 0 to 65535 (one word each, as in a
// version resource) or more than four parts give "No version information".
QString VersionTextFromDotted(const QString& dotted);

} // namespace framora
