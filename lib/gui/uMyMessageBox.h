// The program's own modal message window, with French buttons and Windows flag values.
#pragma once

#include <string>

#include "MessageBoxFlags.h"

// Caption and text are Windows-1252; lines of the text are separated by CR LF.
// Returns the pressed button's value, 2 when the window is closed by its close box.
int ShowMessageBox(const std::string& caption, const std::string& text, int flags);

#include <cstdint>
#include <vector>

#include <QDialog>

class QKeyEvent;
class QLabel;
class QPushButton;
class QTextEdit;

// The message window. ShowMessageBox creates one per call; tests may create it directly,
// fill the three fields and show it.
//
// Sizes: the window's Width and Height below are the size of the dialog widget itself
// (its client area); the window manager draws the frame around it.
class TfrmMessageBox : public QDialog {
    Q_OBJECT

public:
    explicit TfrmMessageBox(QWidget* parent = nullptr);

    std::string MessageCaption;  // Windows-1252
    std::string MessageText;     // Windows-1252, lines separated by CR LF
    int32_t MessageFlags = 0;

    QLabel* imgICONINFORMATION;
    QLabel* imgICONEXCLAMATION;
    QLabel* imgICONSTOP;
    QLabel* imgICONQUESTION;
    QTextEdit* MemoBox;
    QPushButton* btnYes;
    QPushButton* btnNO;
    QPushButton* btnAbort;
    QPushButton* btnRetry;
    QPushButton* btnOk;
    QPushButton* btnCancel;
    QPushButton* btniGNORE;

    // The text area wraps at this width (its design width), whatever its final width.
    static constexpr int TextWrapWidth = 399;

    // The layout worked out from the flags, the widths of the displayed lines (after
    // wrapping) and the caption's width, all in pixels of the window's font.
    struct Layout {
        int iconTag = 0;  // 0 (none), 0x10, 0x20, 0x30 or 0x40
        int iconTop = 8;
        int textLeft = 8, textTop = 8, textWidth = 0, textHeight = 0;
        int buttonTop = 0;
        int width = 0, height = 0;
        std::vector<int> buttons;  // result values, left to right
        int firstButtonLeft = 0;
    };
    static Layout ComputeLayout(int32_t flags, const std::vector<int>& lineWidths, int captionWidth);

    // The widths of the text area's displayed lines (a final empty line not counted).
    std::vector<int> DisplayedLineWidths() const;

    // Lays the window out from the three fields; done once, when first shown, before
    // anything is drawn.
    void FormShow();

    // Lays the window out (FormShow) before it is first made visible, so that the
    // platform window is created with its final size and place.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    // The close box (and Escape where Annuler is shown) end the window with 2.
    void reject() override;

private:
    QPushButton* ButtonOf(int result) const;
    bool laidOut_ = false;
};

// Lets tests run windows that ask questions without showing anything and without waiting.
// Answers given here are used by ShowMessageBox before any window is made; every box so
// answered is recorded in the log.
namespace MessageBoxTesting {

struct Shown {
    std::string caption, text;  // Windows-1252, as passed
    int flags;
};

// The next ShowMessageBox call returns `result` (answers queue up in order).
void PushAnswer(int result);
// While on, every ShowMessageBox call without a queued answer returns `result`.
void SetAutoAnswer(bool on, int result = IDOK);
const std::vector<Shown>& Log();
void ClearLog();

}  // namespace MessageBoxTesting
