// The order in which lists of names are shown: names compared without case, then with
// case, so that the order is the same on every run. One rule for QString names and for
// names still in UTF-8 as the file system gave them.
#pragma once

#include <QString>

#include <string_view>

namespace platform {

bool fileListOrder(const QString& a, const QString& b);
// The same order for UTF-8 names (valid UTF-8 expected).
bool fileListOrderUtf8(std::string_view a, std::string_view b);

} // namespace platform
