#include "EmbeddedPage.h"

#include <system_error>

#include <QFile>
#include <QString>

#include "cp1252.h"
#include "platform/TempFile.h"

// The pages live in a static library: their registration must be pulled in by name, or
// the linker drops it.
static void InitPages() { Q_INIT_RESOURCE(pages); }

bool WriteEmbeddedPage(const char* name, const std::string& path, std::string& error) {
    static const bool registered = (InitPages(), true);
    (void)registered;

    QFile page(QStringLiteral(":/pages/") + QString::fromLatin1(name));
    if (!page.open(QIODevice::ReadOnly)) {
        error = A("La page ") + name + A(" est absente du programme.");
        return false;
    }
    const QByteArray bytes = page.readAll();

    // A new file of the run's own temporary folder: a link found under that name is
    // removed, never followed, and nothing is flushed to disk for a page that goes when
    // the program ends.
    try {
        TTemporaryFile::WriteAll(path, bytes.toStdString());
    } catch (const std::system_error&) {
        error = A("Impossible de créer le fichier ") + path;
        return false;
    }
    return true;
}
