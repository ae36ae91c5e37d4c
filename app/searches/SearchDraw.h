// The letter draw: every word of the dictionary that can be made from some of the
// letters of a draw, as combinations of the letters within the length limits.
#pragma once

#include <cstdint>
#include <string>

#include "ResultArea.h"
#include "ResultList.h"
#include "tabfile.h"

// What the letter draw needs of the main window besides the result area.
class IDrawPanel {
public:
    virtual ~IDrawPanel() = default;
    virtual std::string MinLengthText() const = 0;  // edtMinL's text
    virtual std::string MaxLengthText() const = 0;  // edtMaxL's text
    virtual void SetMaxLengthText(const std::string& s) = 0;
    virtual void ShowPanel(bool visible) = 0;      // pnlTirage
    virtual void SetGaugeColor(uint32_t bgr) = 0;  // cgGauge.ForeColor1
    virtual void SetGaugeMin(int64_t v) = 0;
    virtual void SetGaugeMax(int64_t v) = 0;
    virtual void SetGaugeProgress(int64_t v) = 0;
    virtual void SetGaugeText(const std::string& s) = 0;
    virtual void SetTirageLabel(const std::string& s) = 0;  // lblTirage
    virtual void SetNMotsLabel(const std::string& s) = 0;   // lblNMots
    virtual void SetTimeLabel(const std::string& s) = 0;    // lblTime
    virtual void RepaintResults() = 0;
    // Runs pending window events, the stop button's among them.
    virtual void ProcessMessages() = 0;
    // Whether the user asked to stop the search; the answer changes only inside
    // ProcessMessages.
    virtual bool StopAsked() const = 0;
    // Runs the pending window events other than the user's input (painting, timers, a
    // screen reader's questions), where the search takes no stop: a long listing.
    virtual void AnswerWithoutInput() {}
};

struct DrawOptions {
    bool alphabetical = true;
    bool longestFirst = false;
    bool shortestFirst = false;
    bool withAnalysis = false;
    bool properNouns = false;
};

// Optional timings of the two phases, for benchmarks.
struct DrawStats {
    uint32_t combinationsMs = 0;  // building and ordering the combinations
    uint32_t lookupMs = 0;        // looking the combinations up and writing the words
    int64_t combinations = 0;     // distinct combinations
    int64_t words = 0;            // words written
    bool stopped = false;
};

// Runs the letter draw of TEXT (the search box's text, at most 25 letters) over
// DICTIONARY, writing into AREA and, in the alphabetical order, into RESULTS.
// Throws std::invalid_argument, before any output, when a length box does not hold a
// whole number (or the draw has more than 25 letters).
// Calls panel.ProcessMessages() every few milliseconds while it works and returns at
// once when panel.StopAsked() says so, leaving the area's update block open (the stop
// button's handler ends it) and the panel shown.
// The window must block any re-entry (another search, a mode change, an edit of the
// dictionary, closing the window) while this runs: ProcessMessages delivers such
// events, and the search holds the dictionary's text, the list and the area until it
// returns.
void SearchDraw(const ITabStrings& dictionary, const std::string& text, const DrawOptions& options, ResultList& results,
                IResultArea& area, IDrawPanel& panel, DrawStats* stats = nullptr);
