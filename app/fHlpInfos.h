// The help window of the information window (F1 there).
#pragma once

#include "gui/HelpWindow.h"

class TfrmHlpInfos : public gui::THelpWindow {
public:
    explicit TfrmHlpInfos(QWidget* parent = nullptr);
    static QStringList HelpText();
};
