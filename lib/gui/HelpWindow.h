// The help windows of both programs, written for blind users who work with a screen
// reader: one family with one layout. A silver panel holds a read-only memo with the
// window's fixed text, a second panel holds the "Ok" button. Escape closes the window
// from the memo and from the button; Tab then Enter closes it through "Ok"; every other
// key only moves the caret in the text, which is what the screen reader reads aloud.
#pragma once

#include <initializer_list>

#include <QDialog>
#include <QString>
#include <QStringList>

class QEvent;
class QFrame;
class QPlainTextEdit;
class QPushButton;

namespace gui {

class THelpWindow : public QDialog {
    Q_OBJECT
public:
    // A window of clientWidth x clientHeight pixels named objectName, centred on the
    // desktop, showing lines (UTF-8 literals of the source, one memo line each).
    THelpWindow(QWidget* parent, const char* objectName, const char* caption, int clientWidth, int clientHeight,
                const QStringList& lines);

    QFrame* pnlMemo;
    QFrame* pnlBouton;
    QPushButton* btnOk;
    QPlainTextEdit* Memo1;

    // Caption and colours.
    void FormCreate(const QString& caption);
    void btnOkClick();
    // Key typed in the memo: Escape closes the window; true when the key is used up.
    bool Memo1KeyPress(int key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// A help text of the family: an empty line, the welcome, the two-line note to sighted
// readers, the lines of `intro`, the rule for leaving the page, then `body`, and the
// closing line "Fin de cette page d'aide.".
QStringList ComposeHelpText(std::initializer_list<const char*> intro, std::initializer_list<const char*> body);

}  // namespace gui
