#include "fwebBrowser.h"

#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

#include "EmbeddedPage.h"
#include "Global.h"
#include "cp1252.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"
#include "UrlOpener.h"
#include "gui/uMyMessageBox.h"

namespace fwebBrowser {
std::string WebPagePath;
}  // namespace fwebBrowser

using fwebBrowser::WebPagePath;

namespace {
constexpr int kMarginRight = 9;     // 671 - 4 - 662
constexpr int kBrowserBottom = 51;  // 492 - 4 - 441
constexpr int kButtonBottom = 44;   // 492 - 448
}  // namespace

TfrmWeb::TfrmWeb(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmWeb"));
    // Sizeable border with the system menu and the maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(gui::U(" Lexorama v4.2 - Les autres logiciels de www.lexorama.fr "));
    setFont(gui::ArialFont(11));
    resize(671, 492);

    pnlBrowser = gui::MakePanel(this, "pnlBrowser", 4, 4, 662, 441, true);
    pnlButton = gui::MakePanel(this, "pnlButton", 4, 448, 662, 41, true);

    WebBrowser1 = new TLinkPage(pnlBrowser, gui::U("Les autres logiciels de l'auteur de Lexorama"));
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(1, 1, 660, 439);
    // Links are followed here: those inside the page by the browser, the others by the
    // user's own programs.
    WebBrowser1->setOpenLinks(false);
    connect(WebBrowser1, &QTextBrowser::anchorClicked, this, &TfrmWeb::LinkClicked);
    OpenExternal = OpenWithUserProgram;

    btnOk = gui::MakeButton(pnlButton, "btnOk", 301, 8, 60, 25, "Fermer", "Quitter la fenêtre");
    btnOk->setFont(gui::ArialFont(13, true));
    connect(btnOk, &QPushButton::clicked, this, &TfrmWeb::btnOkClick);
    setTabOrder(WebBrowser1, btnOk);

    gui::CentreOnScreen(this);
}

TfrmWeb::~TfrmWeb() { FormClose(); }

bool TfrmWeb::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QDialog::event(e);
}

void TfrmWeb::FormActivate() {
    gui::SetBackground(pnlBrowser, gui::clSilver);
    gui::SetBackground(pnlButton, gui::clSilver);
    WebPagePath = GetTempFolder() + "TAVOK.HTM";

    std::string error;
    if (!WriteEmbeddedPage("TAVOK", WebPagePath, error)) {
        // The activation stops with the error, shown as every uncaught error is.
        ReportOnce([&error] { gui::ReportException(error); });
        return;
    }
    const QString path = QFile::decodeName(WebPagePath.c_str());
    if (!QFile::exists(path)) {
        ReportOnce([] {
            ShowMessageBox("Erreur", A("Le fichier d'aide n'a pas pu être extrait\r\ndans votre répertoire temporaire"),
                           MB_ICONEXCLAMATION);
        });
        return;
    }
    const QUrl url = QUrl::fromLocalFile(path);
    if (WebBrowser1->source() == url)
        WebBrowser1->reload();
    else
        WebBrowser1->setSource(url);
    WebBrowser1->verticalScrollBar()->setValue(0);
}

void TfrmWeb::ReportOnce(const std::function<void()>& report) {
    if (reported_) return;
    reported_ = true;
    report();
}

void TfrmWeb::FormClose() {
    // A file only: whatever else stands under that name is not ours.
    if (!WebPagePath.empty()) QFile::remove(QFile::decodeName(WebPagePath.c_str()));
}

void TfrmWeb::FormResize() {
    pnlBrowser->setGeometry(4, 4, width() - kMarginRight, height() - kBrowserBottom);
    pnlButton->setGeometry(4, height() - kButtonBottom, width() - kMarginRight, 41);
    // The browser fills its panel inside the panel's bevel.
    WebBrowser1->setGeometry(1, 1, pnlBrowser->width() - 2, pnlBrowser->height() - 2);
    btnOk->move(pnlButton->width() / 2 - btnOk->width() / 2, btnOk->y());
}

void TfrmWeb::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    FormResize();
}

void TfrmWeb::btnOkClick() { reject(); }

void TfrmWeb::keyPressEvent(QKeyEvent* e) {
    // "Fermer" is no cancel button: the dialog's own Escape would close the window.
    if (e->matches(QKeySequence::Cancel)) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

void TfrmWeb::done(int r) {
    FormClose();
    reported_ = false;
    QDialog::done(r);
}

void TfrmWeb::LinkClicked(const QUrl& url) {
    if (url.isRelative() || url.isLocalFile()) {
        WebBrowser1->setSource(WebBrowser1->source().resolved(url));
        return;
    }
    if (OpenExternal && !OpenExternal(url)) ReportNoProgramFor(url);
}
