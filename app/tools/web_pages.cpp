#include "app/tools/web_pages.h"

#include "platform/program_folder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>

namespace tools {

namespace {

QString programPage(const QString& programDir, const QString& page) {
    const QUrl url(page);
    if (!url.scheme().isEmpty()) return page;
    return QUrl::fromLocalFile(platform::inFolder(programDir, page)).toString();
}

// The one line a failed attempt leaves on standard error.
void complain(const QString& what) {
    std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                 qPrintable(what));
    std::fflush(stderr);
}

} // namespace

QString homePageAddress(const QString& programDir) {
    return programPage(programDir, QString::fromLatin1(kHomePage));
}

QString manualAddress(const QString& programDir) {
    return programPage(programDir, QString::fromLatin1(kManualPage));
}

bool openAddress(platform::UrlOpener& opener, const QString& address) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty()) {
        complain(QStringLiteral("no address to open"));
        return false;
    }
    QUrl url(trimmed);
    if (url.scheme().isEmpty()) url = QUrl::fromLocalFile(QFileInfo(trimmed).absoluteFilePath());
    if (!url.isValid()) {
        complain(QStringLiteral("not an address: %1").arg(trimmed));
        return false;
    }
    if (url.isLocalFile() && !QFileInfo(url.toLocalFile()).isFile()) {
        complain(QStringLiteral("cannot open %1: no such file").arg(url.toLocalFile()));
        return false;
    }
    if (!opener.open(url)) {
        complain(QStringLiteral("no program to open %1 with (is xdg-open installed?)")
                     .arg(url.toDisplayString()));
        return false;
    }
    return true;
}

} // namespace tools
