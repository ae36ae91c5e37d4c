#include "fInfos.h"

#include <QCoreApplication>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>

#include "EmbeddedPage.h"
#include "Global.h"
#include "cp1252.h"
#include "UrlOpener.h"
#include "fHlpInfos.h"
#include "fwebBrowser.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

namespace {

std::string g_infoPagePath;

constexpr const char* kProgramPage = "http://www.lexorama.fr/";
constexpr const char* kLibraryPage = "http://www.lexorama.fr/fonctions/";
constexpr const char* kCheckHint = "Recherche d'une nouvelle version du dictionnaire";
constexpr const char* kCheckRunning = "Vérification en cours auprès du serveur, veuillez patienter";

// A link button: bold Arial 13, its hint shown; a screen reader says the caption, then the hint.
QPushButton* LinkButton(QWidget* parent, const char* name, int x, int y, int w, const char* caption, const char* hint) {
    QPushButton* b = gui::MakeButton(parent, name, x, y, w, 25, caption, hint);
    b->setFont(gui::ArialFont(13, true));
    b->setAccessibleName(gui::U(caption));
    b->setAccessibleDescription(gui::U(hint));
    return b;
}

QLabel* RightLabel(QWidget* parent, const char* name, int y, const char* caption) {
    QLabel* l = gui::MakeLabel(parent, name, 168, y, caption, gui::ArialFont(13, true));
    l->setFixedWidth(200);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return l;
}

}  // namespace

const std::string& TfrmInfos::InfoPagePath() { return g_infoPagePath; }

TfrmInfos::TfrmInfos(QWidget* parent) : QDialog(parent) {
    BuildComponents();
    OpenUrl = OpenWithUserProgram;
    OpenHelp = [this] { TfrmHlpInfos(this).exec(); };
    OpenWebWindow = [this] { TfrmWeb(this).exec(); };
    HttpCli1.OnWait = [] { gui::ProcessMessages(); };
    HttpCli1.Terminating = [this] { return abandoned_; };
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] {
        if (checking_) abandoned_ = true;
    });
    try {
        FormCreate();
    } catch (const std::exception& e) {
        // The window works without its page.
        gui::ReportException(e.what());
    }
}

TfrmInfos::~TfrmInfos() { FormClose(); }

void TfrmInfos::BuildComponents() {
    using gui::U;
    setObjectName(QStringLiteral("frmInfos"));
    // Fixed single border, the system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(767, 603);
    setFont(gui::ArialFont(11, true));

    pnlRE = gui::MakePanel(this, "pnlRE", 4, 4, 760, 359, true);
    WebBrowser1 = new TLinkPage(pnlRE, U("Présentation de Lexorama"));
    WebBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    WebBrowser1->setGeometry(4, 4, 750, 350);
    WebBrowser1->setFont(gui::ArialFont(13));  // the page's own text, not the window's bold
    // Links inside the page are followed by the browser; those that lead out of it go to
    // the user's programs as the link buttons' addresses do, with the same box when none can.
    WebBrowser1->setOpenLinks(false);
    connect(WebBrowser1, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.isRelative() || url.isLocalFile())
            WebBrowser1->setSource(WebBrowser1->source().resolved(url));
        else
            Open(url);
    });

    pnlMiseAJour = gui::MakePanel(this, "pnlMiseAJour", 4, 368, 760, 41, true);
    btnLexoUpdate = LinkButton(pnlMiseAJour, "btnLexoUpdate", 170, 8, 420,
                               "Vérifier la disponibilité d'une nouvelle version du dictionnaire", kCheckHint);

    pnlButtons = gui::MakePanel(this, "pnlButtons", 4, 415, 760, 185, true);
    btnWeb2 =
        LinkButton(pnlButtons, "btnWeb2", 290, 8, 180, "Les autres logiciels", "Les logiciels de www.lexorama.fr");
    Label1 = RightLabel(pnlButtons, "Label1", 54, "Dernière version de Lexorama :");
    btnLexo2 = LinkButton(pnlButtons, "btnLexo2", 377, 48, 180, "www.lexorama.fr", "Visiter le site www.lexorama.fr");
    Label2 = RightLabel(pnlButtons, "Label2", 86, "Portions de code :");
    btnFonct2 = LinkButton(pnlButtons, "btnFonct2", 377, 80, 180, "Fonctions de Lexorama",
                           "Le code des fonctions qu'utilise Lexorama");
    Label3 = RightLabel(pnlButtons, "Label3", 118, "Contacts :");
    btnMail2 = LinkButton(pnlButtons, "btnMail2", 377, 112, 180, kMakerMail, "Envoyer un mail à l'auteur");
    Button1 = LinkButton(pnlButtons, "Button1", 350, 150, 60, "Fermer", "Quitter la fenêtre");

    setTabOrder(WebBrowser1, btnLexoUpdate);
    setTabOrder(btnLexoUpdate, btnWeb2);
    setTabOrder(btnWeb2, btnLexo2);
    setTabOrder(btnLexo2, btnFonct2);
    setTabOrder(btnFonct2, btnMail2);
    setTabOrder(btnMail2, Button1);

    connect(btnLexoUpdate, &QPushButton::clicked, this, [this] { btnLexoUpdateClick(); });
    connect(btnWeb2, &QPushButton::clicked, this, [this] { btnWeb2Click(); });
    connect(btnLexo2, &QPushButton::clicked, this, [this] { btnLexo2Click(); });
    connect(btnFonct2, &QPushButton::clicked, this, [this] { btnFonct2Click(); });
    connect(btnMail2, &QPushButton::clicked, this, [this] { btnMail2Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    // Key preview: F1 reaches the window whichever control has the focus.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);

    gui::CentreOnScreen(this, gui::Centring::MiddlePixel);
}

void TfrmInfos::FormCreate() {
    setWindowTitle(gui::U(" Lexorama v4.2 - Infos "));
    for (QFrame* p : {pnlRE, pnlMiseAJour, pnlButtons}) gui::SetBackground(p, gui::clSilver);
    g_infoPagePath = GetTempFolder() + "INFOS.HTM";

    std::string error;
    if (!WriteEmbeddedPage("LEXOEXPL", g_infoPagePath, error)) throw std::runtime_error(error);
    const QString path = QFile::decodeName(g_infoPagePath.c_str());
    if (QFile::exists(path)) {
        WebBrowser1->setSource(QUrl::fromLocalFile(path));
    } else {
        ShowMessageBox("Erreur", A("Le fichier d'aide n'a pas pu être extrait\r\ndans votre répertoire temporaire"),
                       MB_ICONEXCLAMATION);
    }
}

void TfrmInfos::FormClose() {
    // A file only: a folder standing under that name (the page could not be written) is not ours.
    if (!g_infoPagePath.empty()) QFile::remove(QFile::decodeName(g_infoPagePath.c_str()));
}

void TfrmInfos::done(int result) {
    // Closing during a check ends the check: the window goes now, and no box follows it.
    if (checking_) abandoned_ = true;
    FormClose();
    QDialog::done(result);
}

void TfrmInfos::FormKeyDown(int key) {
    // Also during a check: the request goes on in the help window's loop.
    if (key == Qt::Key_F1 && OpenHelp) OpenHelp();
}

bool TfrmInfos::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        FormKeyDown(Qt::Key_F1);
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmInfos::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_F1: FormKeyDown(Qt::Key_F1); break;
        case Qt::Key_Escape: Button1->click(); break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // No default button: Enter presses the focused button and nothing else.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
            break;
        default: QDialog::keyPressEvent(event); return;
    }
    event->accept();
}

void TfrmInfos::btnLexoUpdateClick() {
    // A click while the check waits (the window keeps working meanwhile) is ignored.
    if (checking_) return;
    checking_ = true;
    abandoned_ = false;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } running{checking_};

    ServerVersion.clear();
    // A server setting without its port would only end in "Connection refused".
    if (const std::string problem = MakerServerProblem(); !problem.empty()) {
        ShowMessageBox("Erreur", problem, MB_ICONEXCLAMATION);
        return;
    }
    std::string found;
    {
        // The hourglass is for the eyes: while the server is awaited, the button's hint
        // says so, and a screen reader, told of the change, says it of the focused button.
        struct Waiting {
            QPushButton* button;
            explicit Waiting(QPushButton* b) : button(b) { gui::SetHint(button, gui::U(kCheckRunning)); }
            ~Waiting() { gui::SetHint(button, gui::U(kCheckHint)); }
        } waiting(btnLexoUpdate);
        gui::HourglassCursor hourglass;
        found = check_.Fetch(MakerServer());
    }
    if (abandoned_) return;
    ServerVersion = check_.Answer(DictionaryVersion, found);
    if (!ServerVersion.empty()) accept();
}

void TfrmInfos::btnWeb2Click() {
    if (OpenWebWindow) OpenWebWindow();
}

void TfrmInfos::Open(const QUrl& url) {
    // Without a browser or a mail program the click would do nothing at all.
    if (OpenUrl && !OpenUrl(url)) ReportNoProgramFor(url);
}

void TfrmInfos::btnLexo2Click() { Open(QUrl(QString::fromLatin1(kProgramPage))); }

void TfrmInfos::btnFonct2Click() { Open(QUrl(QString::fromLatin1(kLibraryPage))); }

void TfrmInfos::btnMail2Click() {
    Open(QUrl(QStringLiteral("mailto:") + QString::fromLatin1(kMakerMail) +
              QStringLiteral("?subject=Lexorama v4.2 [Pgm]")));
}

void TfrmInfos::Button1Click() { close(); }
