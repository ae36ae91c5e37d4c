#include "EmbeddedPage.h"

#include <QFile>
#include <QString>

#include "cp1252.h"

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

    QFile out(QFile::decodeName(path.c_str()));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size() ||
        !out.flush()) {
        error = A("Impossible de créer le fichier ") + path;
        out.close();
        return false;
    }
    return true;
}
