#include "fRelexo.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QThread>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>

#include "Global.h"
#include "Led.h"
#include "fHlpUp.h"
#include "net/HttpCli.h"
#include "SpecialFolder.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

using gui::Guarded;

using gui::U;

namespace {

constexpr uint32_t kGreen = 0x008000;

void SetTextColour(QWidget* w, uint32_t bgr) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, gui::BgrColor(bgr));
    pal.setColor(QPalette::Text, gui::BgrColor(bgr));
    w->setPalette(pal);
}

// The explanation box's writer: a new paragraph starts a new line at the end of the
// box, a text at the caret continues the current one, both in the current style.
class ExplanationWriter {
public:
    explicit ExplanationWriter(QTextEdit* box) : cursor_(box->document()) {
        cursor_.movePosition(QTextCursor::End);
        Style(false, false, gui::clBlack);
    }
    void Style(bool bold, bool underline, uint32_t colour) {
        format_.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        format_.setFontUnderline(underline);
        format_.setForeground(gui::BgrColor(colour));
    }
    void NewParagraph(const char* utf8) {
        if (!cursor_.document()->isEmpty()) cursor_.insertBlock();
        AtCaret(utf8);
    }
    // Line breaks (CR LF) inside the text start new lines.
    void AtCaret(const char* utf8) {
        const QStringList lines = U(utf8).split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0) cursor_.insertBlock();
            cursor_.insertText(lines[i], format_);
        }
    }
    void AtCaret(const QString& text) { cursor_.insertText(text, format_); }

private:
    QTextCursor cursor_;
    QTextCharFormat format_;
};

}  // namespace

// The procedure's progress on the step rows: each lamp change is painted at once, a
// label takes its new caption's size, a box waits for "Ok".
class TfrmRelexo::TStepRows : public IUpdateProgress {
public:
    explicit TStepRows(TfrmRelexo& w) : w_(w) {}
    void SetLamp(TUpdateStep step, TLampState state) override {
        TfrmRelexo::SetLamp(Lamp(step), state == TLampState::Done      ? kDone
                                        : state == TLampState::Running ? kRunning
                                                                       : kPending);
    }
    void SetLabel(TUpdateStep step, const std::string& caption) override {
        QLabel* label = Label(step);
        label->setText(gui::ToQt(caption));
        label->adjustSize();
    }
    void EnableStep(TUpdateStep step) override {
        Label(step)->setEnabled(true);
        if (step == TUpdateStep::Transfer) w_.lblTransfert2->setEnabled(true);
    }
    void ShowBox(const std::string& caption, const std::string& text) override {
        ShowMessageBox(caption, text, MB_ICONEXCLAMATION);
    }

private:
    TLed* Lamp(TUpdateStep step) const {
        TLed* const lamps[] = {w_.ledTeleCharge, w_.ledDezip,     w_.ledTri, w_.ledLexoDel, w_.ledNouveauxMots,
                               w_.ledVosMots,    w_.ledTransfert, w_.ledZip, w_.ledNet};
        return lamps[static_cast<int>(step)];
    }
    QLabel* Label(TUpdateStep step) const {
        QLabel* const labels[] = {w_.lblTeleCharge, w_.lblDezip,     w_.lblTri, w_.lblLexoDel, w_.lblNouveauxMots,
                                  w_.lblVosMots,    w_.lblTransfert, w_.lblZip, w_.lblNet};
        return labels[static_cast<int>(step)];
    }
    TfrmRelexo& w_;
};

TfrmRelexo::TfrmRelexo(QWidget* parent)
    : QDialog(parent), HttpCli1(std::make_unique<THttpCli>()), HttpCli2(std::make_unique<THttpCli>()) {
    BuildComponents();
    rows_ = std::make_unique<TStepRows>(*this);
    update_ = std::make_unique<TUpdateProcedure>(*rows_, *HttpCli1, *HttpCli2);
    for (THttpCli* http : {HttpCli1.get(), HttpCli2.get()}) {
        // The blocking requests keep the window painted; closing it is refused meanwhile
        // and its buttons are covered, so nothing re-enters the update.
        http->OnWait = [] { gui::ProcessMessages(); };
        http->Terminating = [] { return QCoreApplication::closingDown(); };
    }
    // The clients' events come to the window's handlers, which pass them on.
    HttpCli1->OnRequestDone = [this](THttpRequest, uint16_t errCode) { HttpCli1RequestDone(errCode); };
    HttpCli2->OnRequestDone = [this](THttpRequest, uint16_t errCode) { HttpCli2RequestDone(errCode); };
    OpenHelp = [this] {
        TfrmHlpUp help(this);
        help.exec();
    };
    StartDictionaryProgram = [](std::string& failureText) {
        return RelaunchLexorama(gui::FromQt(QCoreApplication::applicationDirPath()), failureText);
    };
}

TfrmRelexo::~TfrmRelexo() = default;

const char* TfrmRelexo::ContactAddress() { return kMakerMail; }

// ---- Layout ---------------------------------------------------------------------------

void TfrmRelexo::BuildComponents() {
    using gui::MakeLabel;
    using gui::MakePanel;
    setObjectName(QStringLiteral("frmRelexo"));
    // Fixed single border with the system menu and the minimise button only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(600, 443);
    setFont(gui::ArialFont(11));  // "MS Sans Serif", 8 points
    const QFont bold13 = gui::ArialFont(13, true);

    pnlInfo = MakePanel(this, "pnlInfo", 4, 4, 592, 271, true);
    reInfo = new QTextEdit(pnlInfo);
    reInfo->setObjectName(QStringLiteral("reInfo"));
    reInfo->setGeometry(4, 4, 584, 262);
    reInfo->setReadOnly(true);
    reInfo->setFont(gui::ArialFont(13));
    reInfo->setAccessibleName(U("Explication de la mise à jour"));
    // Read-only, but reachable by Tab and readable with the arrow keys.
    reInfo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    reInfo->setFocusPolicy(Qt::StrongFocus);

    pnlOuiNon = MakePanel(this, "pnlOuiNon", 4, 280, 594, 161, true);
    Label2 = MakeLabel(pnlOuiNon, "Label2", 94, 12, "La compilation des dictionnaires peut prendre un certain temps,",
                       bold13);
    Label3 = MakeLabel(pnlOuiNon, "Label3", 148, 30, "cette opération ne peut pas être interrompue.", bold13);
    cbEnvoi = new QCheckBox(pnlOuiNon);
    cbEnvoi->setObjectName(QStringLiteral("cbEnvoi"));
    cbEnvoi->setFont(bold13);
    cbEnvoi->setChecked(true);
    connect(cbEnvoi, &QCheckBox::clicked, this, [this] { Guarded([this] { cbEnvoiClick(); }); });
    Label1 = MakeLabel(pnlOuiNon, "Label1", 154, 92, "Voulez-vous procéder à cette mise à jour ?", bold13);
    btnOui = gui::MakeButton(pnlOuiNon, "btnOui", 223, 124, 60, 25, "Oui", nullptr);
    btnNon = gui::MakeButton(pnlOuiNon, "btnNon", 311, 124, 60, 25, "Non", nullptr);
    for (QPushButton* b : {btnOui, btnNon}) {
        b->setFont(bold13);
        // Enter presses the focused button, and "Non" when the focus is elsewhere.
        b->setAutoDefault(true);
    }
    btnNon->setDefault(true);
    connect(btnOui, &QPushButton::clicked, this, [this] { Guarded([this] { btnOuiClick(); }); });
    connect(btnNon, &QPushButton::clicked, this, [this] { Guarded([this] { btnNonClick(); }); });
    cbEnvoiClick();  // the checked box's caption, place and colour
    setTabOrder(cbEnvoi, btnOui);
    setTabOrder(btnOui, btnNon);
    setTabOrder(btnNon, reInfo);

    pnlAction = MakePanel(this, "pnlAction", 4, 4, 594, 437, true);
    pnlAction->hide();
    struct Row {
        TLed** led;
        QLabel** label;
        const char* ledName;
        const char* labelName;
        int top;
        const char* caption;
        bool enabled;
    };
    const Row rows[] = {
        {&ledTeleCharge, &lblTeleCharge, "ledTeleCharge", "lblTeleCharge", 30, "Téléchargement du dictionnaire", true},
        {&ledDezip, &lblDezip, "ledDezip", "lblDezip", 74, "Décompression du dictionnaire", true},
        {&ledTri, &lblTri, "ledTri", "lblTri", 118, "Tri alphabétique de votre dictionnaire", true},
        {&ledLexoDel, &lblLexoDel, "ledLexoDel", "lblLexoDel", 162,
         "Suppression des mots érronés de votre dictionnaire", true},
        {&ledNouveauxMots, &lblNouveauxMots, "ledNouveauxMots", "lblNouveauxMots", 206,
         "Recherche des nouveaux mots dans la mise à jour", true},
        {&ledVosMots, &lblVosMots, "ledVosMots", "lblVosMots", 250,
         "Recherche des nouveaux mots dans votre dictionnaire", true},
        {&ledTransfert, &lblTransfert, "ledTransfert", "lblTransfert", 296, "Enregistrement de LEXTRANS.TXT dans",
         false},
        {&ledZip, &lblZip, "ledZip", "lblZip", 338, "Envoi des mots trouvés à Lexorama", false},
        {&ledNet, &lblNet, "ledNet", "lblNet", 382, "Effacement des fichiers temporaires", true},
    };
    for (const Row& r : rows) {
        auto* led = new TLed(pnlAction);
        led->setObjectName(QString::fromLatin1(r.ledName));
        led->setGeometry(40, r.top, 24, 24);
        led->BrushColor = gui::clBlack;
        led->OnColor = kPending;
        led->OffColor = kPending;
        led->SetFlash(false);
        led->SetFlashInterval(200);
        led->SetStatus(true);
        *r.led = led;
        *r.label = MakeLabel(pnlAction, r.labelName, 80, r.top + 4, r.caption, bold13);
        (*r.label)->setEnabled(r.enabled);
        // A screen reader names the lamp by its step's text, which follows the version
        // shown, and tells its state as the description.
        (*r.label)->setBuddy(led);
        SetLamp(led, kPending);
    }
    lblTransfert2 = MakeLabel(pnlAction, "lblTransfert2", 80, 316, "Mes Documents", bold13);
    lblTransfert2->setEnabled(false);

    // Keys are seen by the window before the focused control: F1 wherever the focus is.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { Guarded([this] { FormKeyDown(Qt::Key_F1); }); });
    cbEnvoi->installEventFilter(this);
}

// ---- Show -----------------------------------------------------------------------------

void TfrmRelexo::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        Guarded([this] { FormShow(); });
        gui::CentreOnScreen(this, gui::Centring::MiddlePixel);
        cbEnvoi->setFocus();  // first in the tab order
    }
    QDialog::showEvent(event);
}

void TfrmRelexo::FormShow() {
    CloseAllowed = false;
    for (QWidget* p :
         {static_cast<QWidget*>(pnlInfo), static_cast<QWidget*>(pnlOuiNon), static_cast<QWidget*>(pnlAction)}) {
        gui::SetBackground(p, gui::clSilver);
        // The steps not taken (7 and 8 without the upload) are greyed, not hidden.
        gui::KeepDisabledTextReadable(p);
    }
    const QString version = gui::ToQt(UpdateVersion);
    lblTeleCharge->setText(U("Téléchargement de ") + version + QStringLiteral(".ZIP"));
    lblTeleCharge->adjustSize();
    lblDezip->setText(U("Décompression de ") + version + QStringLiteral(".ZIP"));
    lblDezip->adjustSize();
    lblTransfert2->setText(gui::ToQt(GetSpecialFolderPath(CSIDL_PERSONAL)));
    lblTransfert2->adjustSize();
    setWindowTitle(U(" Lexorama v4.0   ~   Mise à jour du dictionnaire   ~   ") +
                   QString::fromLatin1(ContactAddress()));
    gui::SetFieldColours(reInfo, false);
    FillExplanation();
    reInfo->moveCursor(QTextCursor::Start);
}

void TfrmRelexo::FillExplanation() {
    reInfo->clear();
    ExplanationWriter w(reInfo);
    w.NewParagraph("\r\n  Ce programme va télécharger la version ");
    w.AtCaret(gui::ToQt(UpdateVersion));
    w.AtCaret(" du dictionnaire de Lexorama.\r\n");
    w.Style(true, false, kGreen);
    w.AtCaret(
        "                               "  // 31 blanks
        "!!!   VOTRE DICTIONNAIRE NE SERA PAS EFFACE  !!!");
    w.Style(false, false, gui::clBlack);
    w.NewParagraph(
        "\r\n  Après décompression du fichier téléchargé, votre dictionnaire va être enrichi "
        "des nouveaux mots");
    w.NewParagraph("  présents dans la mise à jour et expurgé des mots erronés.");
    w.NewParagraph(
        "\r\n  De même, les mots présents dans votre dictionnaire et encore inconnus de la mise "
        "à jour peuvent");
    w.NewParagraph("  être envoyés à  Lexorama  et une copie des données envoyées sera déposée dans votre");
    w.NewParagraph("  répertoire ");
    w.Style(true, false, gui::clBlue);
    w.AtCaret("Mes Documents");
    w.Style(false, false, gui::clBlack);
    w.AtCaret("  sous le nom  ");
    w.Style(true, true, gui::clBlack);
    w.AtCaret("LEXTRANS.TXT");
    w.Style(true, false, gui::clRed);
    w.NewParagraph(
        "\r\n\r\n           "  // 11 blanks
        "Cette opération peut prendre plusieurs minutes sur des machines lentes et");
    w.NewParagraph(
        "                                           "  // 43 blanks
        "NE PEUT ETRE INTERROMPUE !!!!!! ");
}

void TfrmRelexo::cbEnvoiClick() {
    const bool allowed = cbEnvoi->isChecked();
    cbEnvoi->setText(allowed ? U("J'autorise Lexorama à envoyer des données au serveur")
                             : U("Je n'autorise pas Lexorama à envoyer des données au serveur"));
    cbEnvoi->setGeometry(allowed ? 113 : 91, 62, allowed ? 367 : 412, 17);
    SetTextColour(cbEnvoi, allowed ? kGreen : gui::clRed);
    cbEnvoi->setAccessibleName(cbEnvoi->text());
}

void TfrmRelexo::SetLamp(TLed* led, uint32_t colour) {
    led->OnColor = colour;
    led->setAccessibleDescription(colour == kDone      ? U("terminé")
                                  : colour == kRunning ? U("en cours")
                                                       : U("en attente"));
    led->repaint();
}

// ---- Keys and closing -----------------------------------------------------------------

void TfrmRelexo::FormKeyDown(int key) {
    if (key == Qt::Key_F1 && OpenHelp) OpenHelp();
}

bool TfrmRelexo::eventFilter(QObject* watched, QEvent* event) {
    // The check box takes no Enter of its own: Enter there presses "Non".
    if (watched == cbEnvoi && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (btnNon->isVisible() && btnNon->isEnabled()) btnNon->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmRelexo::reject() {
    // Escape is "Non" only while the confirmation shows; once the update runs the
    // buttons are covered and no key may start the relaunch.
    if (pnlOuiNon->isVisible() && pnlOuiNon->isEnabled() && !pnlAction->isVisible()) btnNon->click();
}

void TfrmRelexo::closeEvent(QCloseEvent* event) {
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    // Not QDialog's own handling, which would take the close for an Escape.
    event->accept();
}

// ---- The update -----------------------------------------------------------------------

void TfrmRelexo::btnOuiClick() {
    // Step 0: the progress view covers the confirmation, whose buttons and keys are off
    // from now on.
    pnlOuiNon->setEnabled(false);
    pnlAction->show();
    pnlAction->raise();
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    cursorSet_ = true;
    update_->Run(UpdateVersion, GetSpecialFolderFileName(CSIDL_PERSONAL), cbEnvoi->isChecked());
    Clean();
}

void TfrmRelexo::HttpCli1RequestDone(uint16_t errCode) { update_->DownloadRequestDone(errCode); }

void TfrmRelexo::HttpCli2RequestDone(uint16_t errCode) { update_->UploadRequestDone(errCode); }

// ---- End of every run -----------------------------------------------------------------

void TfrmRelexo::Clean() {
    update_->Clean();
    QThread::msleep(500);  // no events meanwhile: the green lamp shows, then the beep
    gui::Beep(0);
    btnNonClick();
}

void TfrmRelexo::btnNonClick() {
    std::string failure;
    if (StartDictionaryProgram && !StartDictionaryProgram(failure) && !failure.empty())
        ShowMessageBox("Erreur", failure, MB_ICONEXCLAMATION);
    CloseAllowed = true;
    if (cursorSet_) {
        QGuiApplication::restoreOverrideCursor();
        cursorSet_ = false;
    }
    close();
}
