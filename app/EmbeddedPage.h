// The two HTML pages compiled into the program (resources/pages): the program's
// description "LEXOEXPL" and the page about the maker's other software "TAVOK". The
// windows that show them copy them, byte for byte, into a file of the temporary folder
// and point their browser at that file.
#pragma once

#include <string>

#include <QString>
#include <QTextBrowser>

// Copies the embedded page `name` into the file at `path`, replacing any file of that
// name. On failure (the page is missing or the file cannot be written) returns false and
// sets `error` to a French message, in Windows-1252.
bool WriteEmbeddedPage(const char* name, const std::string& path, std::string& error);

// The browser that shows such a page. Tab stops on the page, then on each of its links in
// turn before it leaves it, and Enter follows the chosen link. The links are no controls
// of their own, so a screen reader would name the page at every stop: while a link is
// chosen, the page's accessible name is the link's text and its description the link's
// address, and the page's own name comes back once no link is chosen.
class TLinkPage : public QTextBrowser {
public:
    // `name`: what a screen reader calls the page when no link is chosen.
    TLinkPage(QWidget* parent, const QString& name);

protected:
    bool focusNextPrevChild(bool next) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    // Names the page after the link chosen, if any; the setters tell the screen reader.
    void Announce();

    QString pageName_;
};
