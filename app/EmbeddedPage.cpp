#include "EmbeddedPage.h"

#include <system_error>

#include <QFile>
#include <QString>

#include "cp1252.h"
#include "platform/ReplacingFile.h"

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

    // The page takes its name whole, and a link found under that name is replaced,
    // never followed.
    try {
        TReplacingFile out(path, false);
        out.Write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        out.Commit();
    } catch (const std::system_error&) {
        error = A("Impossible de créer le fichier ") + path;
        return false;
    }
    return true;
}
