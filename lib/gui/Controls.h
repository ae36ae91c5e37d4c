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

// The hint of a control: its tool tip and its accessible description. A screen reader
// announces a control by its caption (a button's, radio's or check box's text, which Qt
// reports as long as no other name is set, so that it follows caption changes); a
// control without a caption (an edit, a combo box, a picture button) is announced by its
// hint instead.
void SetHint(QWidget* w, const QString& hint);

// A push button in bold Arial 16 px; Enter in the window never falls to it by default,
// only to the button that holds the focus.
QPushButton* MakeButton(QWidget* parent, const char* name, int x, int y, int w, int h, const char* caption,
                        const char* hint);

// A label that sizes itself to its text, placed at its top-left corner.
QLabel* MakeLabel(QWidget* parent, const char* name, int x, int y, const char* caption, const QFont& font);

// A radio button in bold Arial 13 px.
QRadioButton* MakeRadio(QWidget* parent, const char* name, int x, int y, int w, int h, const char* caption,
                        const char* hint);

// A panel; raised with a one-pixel bevel, or flat.
QFrame* MakePanel(QWidget* parent, const char* name, int x, int y, int w, int h, bool bevel);

// A label whose text always shows whole inside the box the layout gives it: when a text
// is set that the design font cannot fit (one line, or the wrapped lines of a
// word-wrapping label), the pixel size steps down until it fits. The box never moves.
// Returns the pixel size chosen.
int FitLabelText(QLabel* label, const QString& text, int designPixelSize);

// Light ivory background of input fields and text areas; optionally red text.
void SetFieldColours(QWidget* w, bool redText);

}  // namespace gui
