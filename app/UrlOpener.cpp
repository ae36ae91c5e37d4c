#include "UrlOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

bool SomeProgramOpens(const QString& scheme) {
    const QString mime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (!mime.isEmpty()) {
        QProcess query;
        query.start(mime,
                    {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/") + scheme});
        if (query.waitForFinished(5000) && !query.readAllStandardOutput().trimmed().isEmpty()) return true;
    }
    // Without a handler of its own, the opener tries the browser the user named, then
    // the usual ones.
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    for (const char* browser : {"x-www-browser", "www-browser", "firefox", "firefox-esr", "chromium", "google-chrome",
                                "epiphany", "konqueror", "falkon"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(browser)).isEmpty()) return true;
    return false;
}

bool OpenWithUserProgram(const QUrl& url) { return SomeProgramOpens(url.scheme()) && QDesktopServices::openUrl(url); }

void ReportNoProgramFor(const QUrl& url) {
    ShowMessageBox(gui::FromQt(QStringLiteral("Lien")),
                   gui::FromQt(QStringLiteral("Aucun programme n'a pu ouvrir l'adresse :\r\n") + url.toDisplayString() +
                               QString::fromUtf8("\r\nInstallez un navigateur web ou un logiciel de courrier.")),
                   MB_ICONEXCLAMATION);
}
