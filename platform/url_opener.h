// Opening an address with the desktop's default handler for it: a web browser for web
// pages and HTML files. Windows take the interface, so tests can see what would be opened
// without starting a browser.
#pragma once

class QUrl;

namespace platform {

class UrlOpener {
  public:
    virtual ~UrlOpener() = default;
    // Hands the address on and returns at once; false when nothing could be started for it.
    virtual bool open(const QUrl& url) = 0;
};

// The desktop's own way: QDesktopServices, that is xdg-open and the XDG associations, and
// xdg-open itself under a platform plugin without desktop services. Qt's warning when
// nothing is there is left to the caller to word.
class DesktopUrlOpener final : public UrlOpener {
  public:
    bool open(const QUrl& url) override;
};

} // namespace platform
