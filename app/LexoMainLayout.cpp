// The main window's controls: made from row tables in the order that is also their
// Tab order, with their names, places, captions and hints.
#include <initializer_list>
#include <variant>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolButton>

#include "CoolGauge.h"
#include "LexoMain.h"
#include "RichEditResultArea.h"
#include "UpDown.h"
#include "gui/Controls.h"
#include "gui/GuiSupport.h"

using gui::Guarded;

namespace {

constexpr int kSearchBoxMaxChars = 25;

using gui::MakeButton;
using gui::MakeLabel;
using gui::MakePanel;
using gui::MakeRadio;
using gui::SetFieldColours;
using gui::SetHint;
using gui::U;

// A row of the window's layout: the control made into the member `slot` points at,
// with its parent panel (the window when null), place and texts (UTF-8). The kind of
// control follows from the member's type; a label sizes itself to its caption, a panel
// is raised with a bevel or flat, a button runs `click` when pressed.
struct LayoutRow {
    std::variant<QFrame**, QLabel**, QRadioButton**, QPushButton**, QCheckBox**, QLineEdit**, TUpDown**> slot;
    QFrame* const* parent;
    const char* name;
    int x, y, w, h;
    const char* caption = nullptr;
    const char* hint = nullptr;
    bool bevel = false;
    void (TfMain::*click)() = nullptr;
};

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};

// The glyph of the history's clear button: a short list struck out in red.
QIcon ClearListIcon() {
    QPixmap pm(18, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QPen(QColor(64, 64, 64), 2));
    for (int y : {4, 9, 14}) p.drawLine(2, y, 15, y);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(208, 0, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(4, 3, 14, 15);
    p.drawLine(14, 3, 4, 15);
    return QIcon(pm);
}

}  // namespace

// ---- Layout ---------------------------------------------------------------------------

void TfMain::BuildComponents() {
    setObjectName(QStringLiteral("fMain"));
    // Fixed single border with the system menu and the minimise button only.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(824, 564);
    setFont(gui::ArialFont(11));

    const QFont bold13 = gui::ArialFont(13, true);
    const QFont bold16 = gui::ArialFont(16, true);

    // The controls are made in the order of the rows, which is also the Tab order.
    QLineEdit* lastBox = nullptr;
    const auto build = [&](std::initializer_list<LayoutRow> rows) {
        for (const LayoutRow& r : rows) {
            QWidget* parent = r.parent ? static_cast<QWidget*>(*r.parent) : this;
            std::visit(
                Overloaded{
                    [&](QFrame** p) { *p = MakePanel(parent, r.name, r.x, r.y, r.w, r.h, r.bevel); },
                    [&](QLabel** p) { *p = MakeLabel(parent, r.name, r.x, r.y, r.caption, bold13); },
                    [&](QRadioButton** p) { *p = MakeRadio(parent, r.name, r.x, r.y, r.w, r.h, r.caption, r.hint); },
                    [&](QPushButton** p) {
                        *p = MakeButton(parent, r.name, r.x, r.y, r.w, r.h, r.caption, r.hint);
                        if (r.click)
                            connect(*p, &QPushButton::clicked, this,
                                    [this, f = r.click] { Guarded([this, f] { (this->*f)(); }); });
                    },
                    [&](QCheckBox** p) {
                        *p = new QCheckBox(U(r.caption), parent);
                        (*p)->setObjectName(QString::fromLatin1(r.name));
                        (*p)->setGeometry(r.x, r.y, r.w, r.h);
                        (*p)->setFont(bold13);
                        SetHint(*p, U(r.hint));
                    },
                    [&](QLineEdit** p) {
                        *p = lastBox = new QLineEdit(QStringLiteral("0"), parent);
                        (*p)->setObjectName(QString::fromLatin1(r.name));
                        (*p)->setGeometry(r.x, r.y, r.w, r.h);
                        (*p)->setFont(bold16);
                        (*p)->setMaxLength(2);
                        SetFieldColours(*p, true);
                        SetHint(*p, U(r.hint));
                    },
                    // A spinner steps the length box made just before it.
                    [&](TUpDown** p) {
                        *p = new TUpDown(parent);
                        (*p)->setObjectName(QString::fromLatin1(r.name));
                        (*p)->setGeometry(r.x, r.y, r.w, r.h);
                        (*p)->SetMin(0);
                        (*p)->SetMax(99);
                        (*p)->SetAssociate(lastBox);
                        (*p)->SetHint(U(r.hint));
                    },
                },
                r.slot);
        }
    };
    const char* const sortHint = "Type de classement de la recherche";
    const char* const displayHint = "Type d'affichage de la recherche";
    const char* const minHint = "Longueur minimale des mots dans la recherche";
    const char* const maxHint = "Longueur maximale des mots dans la recherche";
    const auto click = [](void (TfMain::*f)()) { return f; };

    // clang-format off
    // Top panel: the five modes, the information and saving buttons, the options.
    build({
        {&pnlBtn,       nullptr,    "pnlBtn",       4,   4,  816, 84, nullptr, nullptr, true},
        {&btnMot,       &pnlBtn,    "btnMot",       8,   8,  120, 25, "Mot", "Recherche - Inscription - Correction - Suppression d'un mot"},
        {&btnAna,       &pnlBtn,    "btnAna",       143, 8,  120, 25, "Anagramme", "Recherche d'anagramme"},
        {&btnCon,       &pnlBtn,    "btnCon",       279, 8,  120, 25, "Conjugaison", "Conjugaison d'un verbe"},
        {&btnMasque,    &pnlBtn,    "btnMasque",    414, 8,  120, 25, "Mots masqués", "Recherche de mots masqués"},
        {&btnTirage,    &pnlBtn,    "btnTirage",    550, 8,  120, 25, "Tirage", "Tirage à partir des lettres données"},
        {&btnInfos,     &pnlBtn,    "btnInfos",     686, 8,  120, 25, "Infos / MaJ", "Informations et mise à jour", false, click(&TfMain::btnInfosClick)},
        {&btnSauve,     &pnlBtn,    "btnSauve",     686, 48, 120, 25, "Sauvegarder", "Sauvegarder le résultat de la recherche", false, click(&TfMain::btnSauveClick)},
        {&pnlTri,       &pnlBtn,    "pnlTri",       8,   34, 617, 26},
        {&Label1,       &pnlTri,    "Label1",       0,   3,  0,   0,  "Classement :"},
        {&rbAlpha,      &pnlTri,    "rbAlpha",      87,  4,  106, 17, "Alphabétique", sortHint},
        {&rbLong,       &pnlTri,    "rbLong",       213, 4,  188, 17, "Du plus long au plus court", sortHint},
        {&rbCourt,      &pnlTri,    "rbCourt",      423, 4,  188, 17, "Du plus court au plus long", sortHint},
        {&pnlListe,     &pnlBtn,    "pnlListe",     8,   57, 417, 25},
        {&Label2,       &pnlListe,  "Label2",       0,   3,  0,   0,  "Affichage :"},
        {&rbMotSeul,    &pnlListe,  "rbMotSeul",    87,  4,  113, 17, "Mots seuls", displayHint},
        {&rbMotAnalyse, &pnlListe,  "rbMotAnalyse", 213, 4,  203, 17, "Mots multiples avec analyse", displayHint},
        {&cbNP,         &pnlBtn,    "cbNP",         432, 60, 201, 17, "Inclure les noms propres", "Inclusion des noms propres dans la recherche"},
        // Lower panel: the search line and the result area.
        {&pnlAffiche,   nullptr,    "pnlAffiche",   4,   91, 816, 470, nullptr, nullptr, true},
    });
    // clang-format on
    int tag = 1;
    for (QPushButton* b : {btnMot, btnAna, btnCon, btnMasque, btnTirage}) {
        b->setProperty("tag", tag++);
        connect(b, &QPushButton::clicked, this, [this, b] { Guarded([this, b] { btnMot2Click(b); }); });
    }
    rbAlpha->setChecked(true);
    rbMotSeul->setChecked(true);

    cboChercheMot = new QComboBox(pnlAffiche);
    cboChercheMot->setObjectName(QStringLiteral("cboChercheMot"));
    cboChercheMot->setEditable(true);
    // The history is kept by the search request itself, never by the box.
    cboChercheMot->setInsertPolicy(QComboBox::NoInsert);
    cboChercheMot->setDuplicatesEnabled(true);
    cboChercheMot->setGeometry(8, 8, 200, 27);
    cboChercheMot->setFont(bold16);
    cboChercheMot->lineEdit()->setMaxLength(kSearchBoxMaxChars);
    // What the user typed is what gets searched: the history stays in the drop-down list
    // and never completes the text being typed.
    cboChercheMot->setCompleter(nullptr);
    SetHint(cboChercheMot, U("Ecrire le mot recherché"));
    SetHint(cboChercheMot->lineEdit(), U("Ecrire le mot recherché"));
    cboChercheMot->installEventFilter(this);
    cboChercheMot->lineEdit()->installEventFilter(this);
    connect(cboChercheMot, &QComboBox::editTextChanged, this, [this] { Guarded([this] { edChercheMotChange(); }); });

    btnClearcbo = new QToolButton(pnlAffiche);
    btnClearcbo->setObjectName(QStringLiteral("btnClearcbo"));
    btnClearcbo->setGeometry(212, 8, 29, 29);
    btnClearcbo->setIcon(ClearListIcon());
    btnClearcbo->setIconSize(QSize(18, 18));
    SetHint(btnClearcbo, U("Effacer la liste des recherches"));
    connect(btnClearcbo, &QToolButton::clicked, this, [this] { Guarded([this] { btnClearcboClick(); }); });

    // clang-format off
    build({
        {&lblL1,      &pnlAffiche, "lblL1",      245, 13, 0,   0,  "de"},
        {&edtMinL,    &pnlAffiche, "edtMinL",    263, 9,  24,  27, nullptr, minHint},
        {&UpDown1,    &pnlAffiche, "UpDown1",    287, 9,  15,  27, nullptr, minHint},
        {&lblL2,      &pnlAffiche, "lblL2",      305, 13, 0,   0,  "à"},
        {&edtMaxL,    &pnlAffiche, "edtMaxL",    315, 9,  24,  27, nullptr, maxHint},
        {&UpDown2,    &pnlAffiche, "UpDown2",    339, 9,  15,  27, nullptr, maxHint},
        {&lblL3,      &pnlAffiche, "lblL3",      357, 13, 0,   0,  "lettres"},
        {&btnAction,  &pnlAffiche, "btnAction",  401, 8,  200, 29, "Chercher Mot", "Exécuter l'action sélectionnée", false, click(&TfMain::btnActionClick)},
        {&btnInscrip, &pnlAffiche, "btnInscrip", 606, 8,  200, 29, "Inscrire - Corriger un mot", "Inscrire - Corriger - Supprimer un mot", false, click(&TfMain::btnInscripClick)},
    });
    // clang-format on
    connect(edtMinL, &QLineEdit::textChanged, this, [this] { Guarded([this] { edtMinLChange(); }); });
    connect(edtMaxL, &QLineEdit::textChanged, this, [this] { Guarded([this] { edtMaxLChange(); }); });
    for (QLineEdit* box : {edtMinL, edtMaxL})
        connect(box, &QLineEdit::editingFinished, this, [this] {
            Guarded([this] {
                lengths_.Normalise();
                ShowLengths();
            });
        });
    for (QWidget* w : std::initializer_list<QWidget*>{lblL1, edtMinL, UpDown1, lblL2, edtMaxL, UpDown2, lblL3})
        w->hide();

    RichEdit1 = new RichEditResultArea(pnlAffiche);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(8, 45, 800, 418);
    RichEdit1->setAccessibleName(U("Résultat de la recherche"));

    // The letter draw's progress panel, over the result area.
    build({
        {&pnlTirage, &pnlAffiche, "pnlTirage", 223, 232, 371, 201, nullptr, nullptr, true},
        {&pnlTirageInterne, &pnlTirage, "pnlTirageInterne", 8, 8, 358, 185, nullptr, nullptr, true},
    });
    pnlTirage->setAutoFillBackground(true);
    const auto progressLabel = [&](QLabel*& label, const char* name, QRect place, bool centred) {
        label = new QLabel(pnlTirageInterne);
        label->setObjectName(QString::fromLatin1(name));
        label->setGeometry(place);
        label->setFont(bold13);
        if (centred) label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    };
    progressLabel(lblTirage, "lblTirage", QRect(29, 16, 300, 51), true);
    lblTirage->setWordWrap(true);
    cgGauge = new TCoolGauge(pnlTirageInterne);
    cgGauge->setObjectName(QStringLiteral("cgGauge"));
    cgGauge->setGeometry(29, 74, 300, 20);
    cgGauge->SetStyle(sSolid);
    cgGauge->SetText("%d%%");
    cgGauge->setFont(bold13);
    cgGauge->setAccessibleName(U("Progression"));
    progressLabel(lblNMots, "lblNMots", QRect(29, 100, 300, 17), true);
    progressLabel(lblTime, "lblTime", QRect(141, 122, 75, 16), false);
    gui::FitLabelText(lblTime, QStringLiteral("00:00:00:000"), kProgressFontPixels);
    build({{&btnArreter, &pnlTirageInterne, "btnArreter", 139, 145, 80, 29, "Arrêter", nullptr, false,
            click(&TfMain::btnArreterClick)}});
    pnlTirage->raise();
    pnlTirage->hide();
    // While the draw runs, Tab from the action button reaches its stop button at once.
    setTabOrder(btnAction, btnArreter);
    // The result is saved right after it is read.
    setTabOrder(RichEdit1, btnSauve);

    // Key preview: F1 works wherever the focus is in the window.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { Guarded([this] { FormKeyDown(Qt::Key_F1); }); });

    // Centred on the desktop; a stored position replaces this when the settings are read.
    gui::CentreOnScreen(this);
}
