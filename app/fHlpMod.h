// The help window of the word editor (F1 there).
#pragma once

#include "gui/HelpWindow.h"

class TfrmHlpMod : public gui::THelpWindow {
public:
    explicit TfrmHlpMod(QWidget* parent = nullptr);
    static QStringList HelpText();
};
