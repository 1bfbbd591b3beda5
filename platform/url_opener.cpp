#include "platform/url_opener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <cstdio>

namespace platform {

namespace {

// Drops the warnings of this thread while a scope lives; everything else passes on.
class QuietWarnings {
  public:
    QuietWarnings() {
        quiet = true;
        previous = qInstallMessageHandler(filter);
    }
    ~QuietWarnings() {
        qInstallMessageHandler(previous);
        quiet = false;
    }
    QuietWarnings(const QuietWarnings&) = delete;
    QuietWarnings& operator=(const QuietWarnings&) = delete;

  private:
    static void filter(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (quiet && type == QtWarningMsg) return;
        if (previous)
            previous(type, context, text);
        else
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    static inline thread_local bool quiet = false;
    static inline QtMessageHandler previous = nullptr;
};

} // namespace

bool DesktopUrlOpener::open(const QUrl& url) {
    QuietWarnings quiet;
    if (QDesktopServices::openUrl(url)) return true;
    // Platform plugins without desktop services (offscreen, eglfs, vnc) leave it to us.
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !xdgOpen.isEmpty() &&
           QProcess::startDetached(xdgOpen, {QString::fromLatin1(url.toEncoded())});
}

} // namespace platform
