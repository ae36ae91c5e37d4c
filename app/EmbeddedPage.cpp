#include "EmbeddedPage.h"

#include <system_error>

#include <QFile>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

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

TLinkPage::TLinkPage(QWidget* parent, const QString& name) : QTextBrowser(parent), pageName_(name) {
    setAccessibleName(name);
    // A new page (a link inside the page followed, the page shown afresh) chooses no link.
    connect(this, &QTextEdit::textChanged, this, [this] { Announce(); });
}

bool TLinkPage::focusNextPrevChild(bool next) {
    // The browser moves its selection to the next link without a signal of its own.
    const bool stays = QTextBrowser::focusNextPrevChild(next);
    Announce();
    return stays;
}

void TLinkPage::focusInEvent(QFocusEvent* e) {
    QTextBrowser::focusInEvent(e);
    Announce();
}

void TLinkPage::focusOutEvent(QFocusEvent* e) {
    QTextBrowser::focusOutEvent(e);
    Announce();
}

void TLinkPage::Announce() {
    QString name = pageName_;
    QString description;
    const QTextCursor chosen = textCursor();
    if (chosen.hasSelection() && hasFocus()) {
        // The format of a character inside the selection: the cursor's own is that of the
        // character before it, outside the link when Shift+Tab chose it.
        QTextCursor inside(document());
        inside.setPosition(chosen.selectionStart() + 1);
        const QTextCharFormat format = inside.charFormat();
        const QString text = chosen.selectedText().simplified();
        if (format.isAnchor() && !text.isEmpty()) {
            name = text;
            description = QStringLiteral("Lien vers ") + source().resolved(QUrl(format.anchorHref())).toDisplayString();
        }
    }
    if (name != accessibleName()) setAccessibleName(name);
    if (description != accessibleDescription()) setAccessibleDescription(description);
}
