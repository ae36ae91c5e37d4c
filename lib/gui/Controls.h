// The builders every window uses to lay out its controls at their pixel positions,
// with the fonts, colours and hints of the program's layouts. Captions and hints are
// UTF-8 literals of the source.
#pragma once

#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;

namespace gui {

// A QString from a UTF-8 literal of the source.
inline QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// The hint of a control: its tool tip, and what a screen reader announces for it.
void SetHint(QWidget* w, const QString& hint);

// A push button in bold Arial 16 px; Enter in the window never falls to it by default.
// A button without a hint is announced by its caption.
QPushButton* MakeButton(QWidget* parent, const char* name, int x, int y, int w, int h,
                        const char* caption, const char* hint);

// A label that sizes itself to its text, placed at its top-left corner.
QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, const char* caption,
                  const QFont& font);

// A radio button in bold Arial 13 px.
QRadioButton* MakeRadio(QWidget* parent, const char* name, int x, int y, int w, int h,
                        const char* caption, const char* hint);

// A panel; raised with a one-pixel bevel, or flat.
QFrame* MakePanel(QWidget* parent, const char* name, int x, int y, int w, int h, bool bevel);

// Light ivory background of input fields and text areas; optionally red text.
void SetFieldColours(QWidget* w, bool redText);

}  // namespace gui
