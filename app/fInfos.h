// The information window: the program's description page, links to the maker's pages,
// and the check of the server's dictionary version, whose newer version, once the user
// agreed, is handed back in ServerVersion.
#pragma once

#include <functional>
#include <string>

#include <QDialog>

#include "HttpCli.h"
#include "VersionCheck.h"

class QFrame;
class QLabel;
class QPushButton;
class QTextBrowser;
class QUrl;

class TfrmInfos : public QDialog {
    Q_OBJECT

public:
    explicit TfrmInfos(QWidget* parent = nullptr);
    ~TfrmInfos() override;

    QFrame* pnlButtons;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QFrame* pnlRE;
    QPushButton* btnWeb2;
    QPushButton* btnLexo2;
    QPushButton* btnFonct2;
    QPushButton* btnMail2;
    QPushButton* Button1;
    QFrame* pnlMiseAJour;
    QPushButton* btnLexoUpdate;
    THttpCli HttpCli1;
    QTextBrowser* WebBrowser1;

    // The server's version when the user accepted to update to it; empty otherwise.
    std::string ServerVersion;

    // The help window (F1) and the web page window, shown modally (tests put their own).
    std::function<void()> OpenHelp;
    std::function<void()> OpenWebWindow;
    // Opens an address of a link button with the user's programs; false when none could.
    std::function<bool(const QUrl&)> OpenUrl;

    // The description page's file in the temporary folder; empty before the first opening.
    static const std::string& InfoPagePath();

    void FormCreate();
    void FormClose();
    void FormKeyDown(int key);
    void btnLexoUpdateClick();
    void btnWeb2Click();
    void btnLexo2Click();
    void btnFonct2Click();
    void btnMail2Click();
    // Opens the address, or says that no program could.
    void Open(const QUrl& url);
    void Button1Click();

    // True while a version check waits for the server.
    bool Checking() const { return checking_; }
    const TVersionCheck& VersionCheck() const { return check_; }

public slots:
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildComponents();
    TVersionCheck check_{HttpCli1};
    bool checking_ = false;
    bool abandoned_ = false;  // the window closed (or the program quits) during a check
};
