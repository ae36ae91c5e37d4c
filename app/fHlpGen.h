// The general help window of the dictionary program (F1 in the main window).
#pragma once

#include "gui/HelpWindow.h"

class TfrmHlpGen : public gui::THelpWindow {
public:
    explicit TfrmHlpGen(QWidget* parent = nullptr);
    static QStringList HelpText();
};
