#include "ResultArea.h"

void IResultArea::WriteCount(int64_t n) {
    SetColor(rcRed);
    WriteRun(std::to_string(n));
    SetColor(rcBlack);
}
