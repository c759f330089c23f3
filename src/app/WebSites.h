#pragma once
// The maker's web sites and the update-check server: the one place that names them.
#include <QString>

namespace framora {

// Host names as the start screen and the about box show them as link texts.
inline const QString EnglishWebSiteHost = QStringLiteral("www.framora.com");
inline const QString GermanWebSiteHost = QStringLiteral("www.framora.de");

// Host of the maker's site for a language value (0 German, anything else English).
inline QString WebSiteHost(int language) { return language != 0 ? EnglishWebSiteHost : GermanWebSiteHost; }
// Address of the maker's site for a language value: what `WebSiteUrl` holds.
inline QString WebSiteAddress(int language) { return QStringLiteral("https://") + WebSiteHost(language); }
// Donation pages of the about box.
inline QString DonationAddress(int language) {
  return language != 0 ? QStringLiteral("https://") + EnglishWebSiteHost + QStringLiteral("/donate.html")
                       : QStringLiteral("https://") + GermanWebSiteHost + QStringLiteral("/spenden.html");
}

} // namespace framora
