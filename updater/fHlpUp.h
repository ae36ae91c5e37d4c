// The help window of the dictionary updater (F1 in the updater window).
#pragma once

#include "gui/HelpWindow.h"

class TfrmHlpUp : public gui::THelpWindow {
public:
    explicit TfrmHlpUp(QWidget* parent = nullptr);
    static QStringList HelpText();
};
