#include "fModif.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>

#include "Global.h"
#include "cp1252.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"
#include "gui/uMyMessageBox.h"

using gui::Guarded;

using gui::MakeButton;
using gui::MakeLabel;
using gui::MakePanel;
using gui::U;

namespace {

constexpr int kWidth = 471;
constexpr int kHeight = 589;

// One group box of form boxes; its boxes follow each other in the order of FormBoxCodes.
struct FormGroup {
    const char* name;
    const char* caption;
    int x, y, w, h;
    int firstBox;
    int boxCount;
};

constexpr FormGroup kGroups[] = {
    {"GroupBox1", "  Indicatif présent  ", 7, 5, 106, 164, 0, 6},
    {"GroupBox2", "  Indicatif imparfait", 119, 5, 106, 164, 6, 6},
    {"GroupBox3", "  Indic. passé simple", 231, 5, 106, 164, 12, 6},
    {"GroupBox4", "  Indic. futur simple  ", 343, 5, 106, 164, 18, 6},
    {"GroupBox5", "  Condit présent  ", 7, 174, 106, 164, 24, 6},
    {"GroupBox6", "  Subjonc. présent  ", 119, 174, 106, 164, 30, 6},
    {"GroupBox7", "  Subjonc. imparfait  ", 231, 174, 106, 164, 36, 6},
    {"GroupBox10", "  Impératif présent  ", 343, 174, 106, 102, 42, 3},
    {"GroupBox8", "  Participe présent  ", 343, 289, 106, 49, 45, 1},
    {"GroupBox9", "  Participe passé  ", 7, 342, 442, 73, 46, 4},
};

// Where each box of a group stands, and the label at its left (none for nullptr).
struct BoxPlace {
    int x, y;
    const char* label;
};

constexpr BoxPlace kPersons[] = {{30, 19, "je"},   {30, 43, "tu"},    {30, 67, "il"},
                                 {30, 91, "nous"}, {30, 115, "vous"}, {30, 139, "ils"}};
constexpr BoxPlace kImperative[] = {{30, 19, "tu"}, {30, 43, "nous"}, {30, 67, "vous"}};
constexpr BoxPlace kPresentParticiple[] = {{13, 19, nullptr}};
constexpr BoxPlace kPastParticiple[] = {{141, 19, "masculin singulier"},
                                        {325, 19, "masculin pluriel"},
                                        {141, 43, "féminin singulier"},
                                        {325, 43, "féminin pluriel"}};

const BoxPlace* PlacesOf(const FormGroup& g) {
    if (g.boxCount == 6) return kPersons;
    if (g.boxCount == 3) return kImperative;
    if (g.boxCount == 1) return kPresentParticiple;
    return kPastParticiple;
}

void SetTextColour(QWidget* w, uint32_t bgr) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, gui::BgrColor(bgr));
    pal.setColor(QPalette::ButtonText, gui::BgrColor(bgr));
    w->setPalette(pal);
}

// Panels other than the two silver ones keep the system's button face.
void SetButtonFace(QWidget* w) {
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    w->setPalette(pal);
}

QPushButton* EditorButton(QWidget* parent, const char* name, int x, int w, const char* caption) {
    QPushButton* b = MakeButton(parent, name, x, 4, w, 25, caption, nullptr);
    b->setFont(gui::ArialFont(11));
    return b;
}

std::string RefusedFormCaption() { return A("Inscrire - Modifier un mot"); }
std::string RefusedFormText() {
    return A(
        "Caractère illégal dans une forme du verbe :\r\n"
        "tabulation, retour à la ligne ou caractère inconnu du dictionnaire.\r\n"
        "Corrigez la forme avant de valider.");
}

std::string EntryGoneText() {
    return A(
        "Cette entrée n'est plus dans le dictionnaire telle qu'elle a été lue :\r\n"
        "le fichier a changé depuis. Rien n'a été modifié.\r\n"
        "Fermez l'éditeur et ouvrez-le de nouveau pour voir le mot tel qu'il est.");
}

}  // namespace

TfrmModif::TfrmModif(QWidget* parent) : QDialog(parent) {
    BuildComponents();
    FormCreate();
}

TfrmModif::~TfrmModif() = default;

bool TfrmModif::ShowModal(QWidget* parent, const std::function<void()>& openHelp) {
    if (!Dictionary) return false;
    TfrmModif editor(parent);
    editor.OpenHelp = openHelp;
    editor.exec();
    return true;
}

// ---- Layout ---------------------------------------------------------------------------

void TfrmModif::BuildComponents() {
    setObjectName(QStringLiteral("frmModif"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(kWidth, kHeight);
    setFont(gui::ArialFont(11));
    const QFont bold = gui::ArialFont(11, true);

    Panel12 = MakePanel(this, "Panel12", 2, 2, 466, 84, true);
    Label5 = MakeLabel(Panel12, "Label5", 7, 6,
                       "Choisissez le mot que vous désirez modifier, s'il s'agit d'une nouvelle inscription", bold);
    Label5->resize(452, Label5->height());
    Label4 = new QLabel(U("vérifiez qu'il soit correctement orthographié, caratères accentués compris, en "
                          "caractères minuscules et à l'infinitif pour un verbe."),
                        Panel12);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setGeometry(4, 20, 452, 30);
    Label4->setFont(bold);
    Label4->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Label4->setWordWrap(true);
    SetTextColour(Label4, gui::clRed);
    cbListe = new QComboBox(Panel12);
    cbListe->setObjectName(QStringLiteral("cbListe"));
    cbListe->setGeometry(6, 51, 454, 26);
    cbListe->setFont(gui::ArialFont(16));
    cbListe->setAccessibleName(Label5->text());
    cbListe->setAccessibleDescription(Label4->text());

    Panel3 = MakePanel(this, "Panel3", 2, 91, 466, 495, true);
    cbV = new QCheckBox(U("Verbe infinitif"), Panel3);
    cbV->setObjectName(QStringLiteral("cbV"));
    cbV->setGeometry(184, 8, 97, 17);
    cbV->setAccessibleName(cbV->text());

    pnlV = MakePanel(Panel3, "pnlV", 6, 30, 454, 421, true);
    SetButtonFace(pnlV);
    BuildFormBoxes();
    pnlV->hide();

    pnlListe = MakePanel(Panel3, "pnlListe", 95, 30, 275, 421, true);
    SetButtonFace(pnlListe);
    lbCarac = new QListWidget(pnlListe);
    lbCarac->setObjectName(QStringLiteral("lbCarac"));
    lbCarac->setGeometry(6, 6, 262, 408);
    lbCarac->setFont(bold);
    lbCarac->setSelectionMode(QAbstractItemView::SingleSelection);
    lbCarac->setAccessibleName(U("Catégorie grammaticale"));
    for (int row = 0; row < CategoryRowCount; ++row) {
        auto* item = new QListWidgetItem(gui::ToQt(CategoryRowText(row)), lbCarac);
        item->setSizeHint(QSize(0, 13));
    }
    lbCarac->installEventFilter(this);
    pnlListe->hide();

    // The three button panels share one place; each confirmation is drawn over the buttons.
    pnlCancel = MakePanel(Panel3, "pnlCancel", 6, 456, 454, 34, true);
    SetButtonFace(pnlCancel);
    btnValider = EditorButton(pnlCancel, "btnValider", 63, 80, "Valider");
    btnAnnuler = EditorButton(pnlCancel, "btnAnnuler", 187, 80, "Annuler");
    btnSupprimer = EditorButton(pnlCancel, "btnSupprimer", 311, 80, "Supprimer");
    btnSupprimer->setFont(bold);
    SetTextColour(btnSupprimer, gui::clRed);

    pnlValide = MakePanel(Panel3, "pnlValide", 6, 456, 454, 34, true);
    SetButtonFace(pnlValide);
    Label61 = MakeLabel(pnlValide, "Label61", 6, 10, "Valider  ", bold);
    lblValide = MakeLabel(pnlValide, "lblValide", 56, 10, "", font());
    gui::SetBackground(lblValide, gui::clLightIvory);
    btnOui = EditorButton(pnlValide, "btnOui", 315, 60, "Oui");
    btnNon = EditorButton(pnlValide, "btnNon", 387, 60, "Non");
    pnlValide->hide();

    pnlSupprimer = MakePanel(Panel3, "pnlSupprimer", 6, 456, 454, 34, true);
    SetButtonFace(pnlSupprimer);
    lblSupprime = MakeLabel(pnlSupprimer, "lblSupprime", 6, 10, "Confirmer la suppression de", bold);
    SetTextColour(lblSupprime, gui::clRed);
    lblToDelete = MakeLabel(pnlSupprimer, "lblToDelete", 168, 10, "", bold);
    gui::SetBackground(lblToDelete, gui::clLightIvory);
    btnOuiSupprime = EditorButton(pnlSupprimer, "btnOuiSupprime", 315, 60, "Oui");
    btnNonSupprime = EditorButton(pnlSupprimer, "btnNonSupprime", 387, 60, "Non");
    pnlSupprimer->hide();

    // Tab order: the entry list, the verb box, the forms, the categories, the buttons.
    std::vector<QWidget*> order{cbListe, cbV};
    order.insert(order.end(), FormBoxes.begin(), FormBoxes.end());
    order.insert(order.end(),
                 {lbCarac, btnValider, btnAnnuler, btnSupprimer, btnOui, btnNon, btnOuiSupprime, btnNonSupprime});
    for (std::size_t i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);

    const auto on = [this](auto* sender, auto signal, void (TfrmModif::*handler)()) {
        connect(sender, signal, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    on(cbListe, &QComboBox::currentIndexChanged, &TfrmModif::cbListeChange);
    on(cbV, &QCheckBox::toggled, &TfrmModif::cbVClick);
    on(btnValider, &QPushButton::clicked, &TfrmModif::btnValiderClick);
    on(btnAnnuler, &QPushButton::clicked, &TfrmModif::btnAnnulerClick);
    on(btnSupprimer, &QPushButton::clicked, &TfrmModif::btnSupprimerClick);
    on(btnOui, &QPushButton::clicked, &TfrmModif::btnOuiClick);
    on(btnNon, &QPushButton::clicked, &TfrmModif::btnNonClick);
    on(btnOuiSupprime, &QPushButton::clicked, &TfrmModif::btnOuiSupprimeClick);
    on(btnNonSupprime, &QPushButton::clicked, &TfrmModif::btnNonSupprimeClick);

    // Key preview: F1 wherever the focus is, whatever the shift keys (any of them, together too).
    auto* help = new QShortcut(this);
    QList<QKeySequence> f1Keys;
    for (int shift = 0; shift < 8; ++shift)
        f1Keys.append(
            QKeySequence(QKeyCombination(Qt::KeyboardModifiers((shift & 1 ? Qt::ShiftModifier : Qt::NoModifier) |
                                                               (shift & 2 ? Qt::ControlModifier : Qt::NoModifier) |
                                                               (shift & 4 ? Qt::AltModifier : Qt::NoModifier)),
                                         Qt::Key_F1)));
    help->setKeys(f1Keys);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { Guarded([this] { FormKeyDown(Qt::Key_F1); }); });

    gui::CentreOnScreen(this);
}

void TfrmModif::BuildFormBoxes() {
    for (std::size_t g = 0; g < std::size(kGroups); ++g) {
        const FormGroup& group = kGroups[g];
        auto* box = new QGroupBox(U(group.caption), pnlV);
        box->setObjectName(QString::fromLatin1(group.name));
        box->setGeometry(group.x, group.y, group.w, group.h);
        GroupBoxes[g] = box;
        const QString groupName = box->title().trimmed();
        const BoxPlace* places = PlacesOf(group);
        for (int k = 0; k < group.boxCount; ++k) {
            const int index = group.firstBox + k;
            const BoxPlace& place = places[k];
            auto* edit = new QLineEdit(box);
            edit->setObjectName(QStringLiteral("ed") +
                                QString::fromLatin1(FormBoxCodes[static_cast<std::size_t>(index)]));
            edit->setGeometry(place.x, place.y, 70, 21);
            gui::SetFieldColours(edit, false);
            QString name = groupName;
            if (place.label != nullptr) {
                QLabel* label = MakeLabel(box, "", 0, place.y + 4, place.label, font());
                label->setObjectName(QStringLiteral("lbl") + edit->objectName());
                label->move(place.x - 6 - label->width(), place.y + 4);
                label->setBuddy(edit);
                name += QStringLiteral(", ") + label->text();
            }
            edit->setAccessibleName(name);
            FormBoxes[static_cast<std::size_t>(index)] = edit;
        }
    }
}

// ---- Loading ---------------------------------------------------------------------------

void TfrmModif::FormCreate() {
    setWindowTitle(U("Lexorama v4.2 - Inscrire - Modifier un mot"));
    for (QWidget* w : {Panel3, Panel12}) {
        gui::SetBackground(w, gui::clSilver);
        // While a question is shown the controls are disabled: their texts stay readable.
        gui::KeepDisabledTextReadable(w);
    }
    gui::SetFieldColours(cbListe, false);
    // A list without typing is drawn as a button: its face takes the field's colour too.
    {
        QPalette pal = cbListe->palette();
        pal.setColor(QPalette::Button, gui::BgrColor(gui::clLightIvory));
        cbListe->setPalette(pal);
    }
    gui::SetFieldColours(lbCarac, false);

    const QString between = gui::ToQt(" " + EditedWord + " ");
    lblValide->setText(between);
    lblValide->adjustSize();
    lblToDelete->setText(between);
    lblToDelete->adjustSize();

    {
        const QSignalBlocker block(cbListe);
        for (const std::string& item : LoadEntryItems(*Dictionary, EditedWord)) {
            cbListe->addItem(gui::ToQt(item));
            cbListe->setItemData(cbListe->count() - 1, QSize(0, 18), Qt::SizeHintRole);
        }
        cbListe->setCurrentIndex(0);
    }
    cbListeChange();
    cbListe->setFocus();
}

int TfrmModif::SelectedRow() const {
    const QModelIndexList rows = lbCarac->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void TfrmModif::SelectRow(int row) {
    lbCarac->setCurrentRow(row);
    if (row < 0) {
        lbCarac->clearSelection();
        return;
    }
    lbCarac->scrollToItem(lbCarac->item(row));
}

void TfrmModif::cbListeChange() {
    cbV->hide();
    btnValider->move(125, 4);
    btnAnnuler->move(249, 4);
    btnSupprimer->hide();

    Shown = ShowEntry(*Dictionary, EditedWord, gui::FromQt(cbListe->currentText()));
    const TShownEntry& shown = Shown;
    for (int box = 0; box < FormBoxCount; ++box)
        if (const auto& form = shown.Forms[static_cast<std::size_t>(box)])
            FormBoxes[static_cast<std::size_t>(box)]->setText(gui::ToQt(*form));
    if (shown.IsNew) {
        pnlV->hide();
        pnlListe->show();
        cbV->setChecked(false);
        cbV->show();
        SelectRow(0);
        SelectRow(-1);
    } else {
        SelectRow(shown.Carac);
        pnlV->setVisible(shown.Infinitive);
        pnlListe->setVisible(!shown.Infinitive);
        btnValider->move(63, 4);
        btnAnnuler->move(187, 4);
        btnSupprimer->show();
    }
    ClearLeMot(BeforeLeMot);
    ReadLeMot(BeforeLeMot);
}

void TfrmModif::cbVClick() {
    pnlV->setVisible(cbV->isChecked());
    pnlListe->setVisible(!cbV->isChecked());
}

void TfrmModif::lbCaracEnter() {
    if (!cbV->isChecked() && SelectedRow() < 0) SelectRow(0);
}

void TfrmModif::ReadLeMot(TLeMot& r) const {
    r.Carac = SelectedRow();
    r.Verbe = cbV->isChecked();
    for (int box = 0; box < FormBoxCount; ++box)
        r.V[static_cast<std::size_t>(box)] = gui::FromQt(FormBoxes[static_cast<std::size_t>(box)]->text());
}

// ---- Confirmation flow -------------------------------------------------------------------

void TfrmModif::ShowConfirmation(QFrame* panel, bool shown) {
    // Enabled before the panel goes, so that the focus can move back into the window.
    for (QWidget* w : {static_cast<QWidget*>(cbListe), static_cast<QWidget*>(cbV), static_cast<QWidget*>(pnlV),
                       static_cast<QWidget*>(pnlListe)})
        w->setEnabled(!shown);
    pnlCancel->setVisible(!shown);
    panel->setVisible(shown);
    if (!shown) return;
    // The question is a label beside the buttons, which the focus never reaches: the
    // buttons carry it, so that a screen reader asks it with "Oui" and "Non".
    QString question;
    for (const QLabel* label : panel->findChildren<QLabel*>()) question += label->text() + QLatin1Char(' ');
    question = question.simplified() + QStringLiteral(" ?");
    for (QPushButton* button : panel->findChildren<QPushButton*>()) button->setAccessibleDescription(question);
}

void TfrmModif::btnValiderClick() {
    ClearLeMot(AfterLeMot);
    ReadLeMot(AfterLeMot);
    if (!LeMotDiffers(BeforeLeMot, AfterLeMot)) {
        close();
        return;
    }
    // A TAB, a line break or a character the dictionary's code page lacks (pasted text)
    // would break the file's lines or be written as another character.
    const bool verbShown = !pnlV->isHidden();
    for (int box = 0; box < FormBoxCount; ++box) {
        QLineEdit* edit = FormBoxes[static_cast<std::size_t>(box)];
        if (FormIsAppended(BeforeLeMot, AfterLeMot, box, verbShown) &&
            !IsWritableFormText(edit->text().toStdU32String())) {
            ShowMessageBox(RefusedFormCaption(), RefusedFormText(), MB_ICONEXCLAMATION);
            edit->setFocus();
            return;
        }
    }
    ShowConfirmation(pnlValide, true);
    btnOui->setFocus();
}

void TfrmModif::btnAnnulerClick() {
    if (!pnlValide->isHidden()) {
        ShowConfirmation(pnlValide, false);
        return;
    }
    close();
}

void TfrmModif::btnNonClick() {
    ShowConfirmation(pnlValide, false);
    cbListe->setFocus();
}

void TfrmModif::btnSupprimerClick() {
    ShowConfirmation(pnlSupprimer, true);
    btnNonSupprime->setFocus();
}

void TfrmModif::btnNonSupprimeClick() {
    ShowConfirmation(pnlSupprimer, false);
    cbListe->setFocus();
}

void TfrmModif::btnOuiClick() {
    WriteChange(pnlValide, CorrectionSteps(EditedWord, Shown, BeforeLeMot, AfterLeMot, !pnlV->isHidden()));
}

void TfrmModif::btnOuiSupprimeClick() {
    // Only the entry as it was shown counts: edits made since are not looked at.
    WriteChange(pnlSupprimer, DeletionSteps(Shown, BeforeLeMot, !pnlV->isHidden()));
}

void TfrmModif::WriteChange(QFrame* question, const std::vector<TEditStep>& steps) {
    TApplyResult result = TApplyResult::Done;
    try {
        const gui::HourglassCursor hourglass;
        result = ApplySteps(*Dictionary, steps);
    } catch (const std::exception& e) {
        // Nothing of the change is in the file: the question stays, and Oui tries again.
        gui::ReportException(e.what());
        return;
    }
    if (result == TApplyResult::Done) {
        accept();
        return;
    }
    // Another program, or another window of this one, changed the entry meanwhile.
    ShowConfirmation(question, false);
    ShowMessageBox(RefusedFormCaption(), EntryGoneText(), MB_ICONEXCLAMATION);
    cbListe->setFocus();
}

void TfrmModif::FormKeyDown(int key) {
    if (key == Qt::Key_F1 && OpenHelp) OpenHelp();
}

void TfrmModif::keyPressEvent(QKeyEvent* event) {
    // Escape is Annuler's: it closes the save confirmation, else the editor.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        Guarded([this] { btnAnnulerClick(); });
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TfrmModif::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lbCarac && event->type() == QEvent::FocusIn) Guarded([this] { lbCaracEnter(); });
    return QDialog::eventFilter(watched, event);
}
