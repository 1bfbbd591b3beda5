// The program's web pages: the product's home page and the manual, both opened with the
// desktop's default browser. The manual is HTML in the program folder's help/; until the
// product has a public site, its home page is the manual's About page (a page of its own,
// since xdg-open drops the #part of file addresses).
#pragma once

#include "platform/url_opener.h"

#include <QString>

namespace tools {

// The home page: an address with a scheme ("https://...") as it stands, anything else a
// page of the program folder.
inline constexpr char kHomePage[] = "help/about.html";
// The manual's first page, in the program folder.
inline constexpr char kManualPage[] = "help/index.html";

// The addresses the Homepage and Contents commands open, for the program folder given.
QString homePageAddress(const QString& programDir);
QString manualAddress(const QString& programDir);

// Opens the address (a URL, or the path of a local file) with the desktop's default
// handler. A local page that is missing, or an address nothing can open, ends the attempt
// quietly: nothing is shown, one line goes to standard error, and false comes back.
bool openAddress(platform::UrlOpener& opener, const QString& address);

} // namespace tools
