#include "platform/name_order.h"

#include <algorithm>

namespace platform {

namespace {

constexpr unsigned char lowerAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

bool isAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool fileListOrder(const QString& a, const QString& b) {
    int c = QString::compare(a, b, Qt::CaseInsensitive);
    return c != 0 ? c < 0 : a < b;
}

bool fileListOrderUtf8(std::string_view a, std::string_view b) {
    // Plain ASCII names, the common case, compare without a conversion: case folding of
    // ASCII is its lower case, and UTF-16 code units of ASCII order as the bytes do.
    if (isAscii(a) && isAscii(b)) {
        const size_t n = std::min(a.size(), b.size());
        for (size_t i = 0; i < n; ++i) {
            const unsigned char x = lowerAscii(static_cast<unsigned char>(a[i]));
            const unsigned char y = lowerAscii(static_cast<unsigned char>(b[i]));
            if (x != y) return x < y;
        }
        if (a.size() != b.size()) return a.size() < b.size();
        return a < b;
    }
    return fileListOrder(QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size())),
                         QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size())));
}

} // namespace platform
