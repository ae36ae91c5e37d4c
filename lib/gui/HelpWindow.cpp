#include "gui/HelpWindow.h"

#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/Controls.h"
#include "gui/GuiSupport.h"

namespace gui {

THelpWindow::THelpWindow(QWidget* parent, const char* objectName, const char* caption, int clientWidth,
                         int clientHeight, const QStringList& lines)
    : QDialog(parent) {
    setObjectName(QString::fromLatin1(objectName));
    // Single fixed border, system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(clientWidth, clientHeight);
    setFont(ArialFont(11));

    pnlMemo = MakePanel(this, "pnlMemo", 4, 4, 573, 301, true);
    pnlBouton = MakePanel(this, "pnlBouton", 4, 310, 573, 41, true);

    Memo1 = new QPlainTextEdit(pnlMemo);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(4, 4, 565, 293);
    Memo1->setReadOnly(true);
    // Read-only, yet the caret moves with the keys: the screen reader follows it line by
    // line. Tab leaves the memo for "Ok" instead of being typed.
    Memo1->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    Memo1->setTabChangesFocus(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    Memo1->installEventFilter(this);

    btnOk = MakeButton(pnlBouton, "btnOk", 261, 8, 50, 25, "Ok", nullptr);
    btnOk->setFont(ArialFont(11));
    // Enter on the focused "Ok" closes the window ("tabulation puis retour").
    btnOk->setAutoDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &THelpWindow::btnOkClick);

    setTabOrder(Memo1, btnOk);
    Memo1->setFocus();

    CentreOnScreen(this);

    FormCreate(U(caption));
}

void THelpWindow::FormCreate(const QString& caption) {
    setWindowTitle(caption);
    SetBackground(pnlMemo, clSilver);
    SetBackground(pnlBouton, clSilver);
    SetFieldColours(Memo1, false);
    // What the screen reader announces for the memo: the window's caption, and the
    // whole text for a reader that speaks descriptions.
    Memo1->setAccessibleName(caption);
    Memo1->setAccessibleDescription(Memo1->toPlainText());
}

void THelpWindow::btnOkClick() { reject(); }

bool THelpWindow::Memo1KeyPress(int key) {
    if (key == Qt::Key_Escape) {
        reject();
        return true;
    }
    // Enter does nothing in the text: it must not reach "Ok", which became the window's
    // default button when the window was shown.
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool THelpWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1 && event->type() == QEvent::KeyPress)
        return Memo1KeyPress(static_cast<QKeyEvent*>(event)->key());
    return QDialog::eventFilter(watched, event);
}

QStringList ComposeHelpText(std::initializer_list<const char*> intro, std::initializer_list<const char*> body) {
    QStringList lines{
        QString(),
        U("Bienvenue dans l'aide de Lexorama au non-voyants."),
        U("Aux voyants : cette page est volontairement écrite en lignes simples et sans mise en forme,"),
        U("car elle est destinée à être lue par une synthèse vocale."),
    };
    for (const char* line : intro) lines << U(line);
    lines << U("Pour sortir de cette page d'aide, appuyer sur escape ou tabulation puis retour.");
    for (const char* line : body) lines << U(line);
    lines << U("Fin de cette page d'aide.");
    return lines;
}

}  // namespace gui
