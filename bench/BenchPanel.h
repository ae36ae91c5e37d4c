// The letter draw's window for the benchmarks: it does nothing but, when asked,
// press "Arrêter" after a delay.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>

#include "Global.h"
#include "SearchDraw.h"

class BenchPanel : public IDrawPanel {
public:
    std::string minText = "2", maxText = "25";
    std::chrono::steady_clock::time_point stopAt = std::chrono::steady_clock::time_point::max();
    std::chrono::steady_clock::time_point pressed{};
    std::chrono::steady_clock::time_point last = std::chrono::steady_clock::now();
    double maxGapMs = 0;  // the longest the window went without its events
    long pumps = 0;

    std::string MinLengthText() const override { return minText; }
    std::string MaxLengthText() const override { return maxText; }
    void SetMaxLengthText(const std::string& s) override { maxText = s; }
    void ShowPanel(bool) override {}
    void SetGaugeColor(uint32_t) override {}
    void SetGaugeMin(int64_t) override {}
    void SetGaugeMax(int64_t) override {}
    void SetGaugeProgress(int64_t) override {}
    void SetGaugeText(const std::string&) override {}
    void SetTirageLabel(const std::string&) override {}
    void SetNMotsLabel(const std::string&) override {}
    void SetTimeLabel(const std::string&) override {}
    void RepaintResults() override {}
    void ProcessMessages() override {
        ++pumps;
        const auto now = std::chrono::steady_clock::now();
        maxGapMs = std::max(maxGapMs, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        if (!StopRequested && std::chrono::steady_clock::now() >= stopAt) {
            StopRequested = true;
            pressed = std::chrono::steady_clock::now();
        }
    }
    bool StopAsked() const override { return StopRequested; }
};
