// The web page window: the page about the maker's other software, embedded in the
// program, written to the temporary folder and shown in a browser. The information
// window opens it modally.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

class QEvent;
class QFrame;
class QKeyEvent;
class QPushButton;
class QResizeEvent;
class QTextBrowser;
class QUrl;

namespace fwebBrowser {
// The page's file: the temporary folder + "TAVOK.HTM"; set on every activation.
extern std::string WebPagePath;
}  // namespace fwebBrowser

class TfrmWeb : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWeb(QWidget* parent = nullptr);
    ~TfrmWeb() override;

    QFrame* pnlBrowser;
    QFrame* pnlButton;
    QPushButton* btnOk;
    QTextBrowser* WebBrowser1;

    // Every time the window becomes the active window: the page is written afresh and
    // shown from its top.
    void FormActivate();
    // Deletes the page's file.
    void FormClose();
    // Keeps the browser filling its panel and "Fermer" centred under it.
    void FormResize();
    void btnOkClick();

    // Opens a link that leads out of the page (web address, mail link); the user's own
    // browser or mail program unless replaced.
    std::function<bool(const QUrl&)> OpenExternal;

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void done(int r) override;
    // Escape does not close this window: only "Fermer" and the close box do.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void LinkClicked(const QUrl& url);
    // Shows a failure to put the page on screen, once per opening of the window: closing
    // the report activates the window again, which would retry and report for ever.
    void ReportOnce(const std::function<void()>& report);

    bool reported_ = false;
};
