// A stand-in for the window in page fetch tests: it records the status texts, keeps a
// gauge with the window's rules, and can act as the user would when progress shows.
#pragma once

#include "core/page_fetch.h"

#include <functional>
#include <string>
#include <vector>

class RecordingDisplay : public FetchDisplay {
public:
    std::vector<std::string> MainStatus;
    int GaugeMax = 100;
    int GaugeValue = 0;
    int Pumps = 0;
    std::function<void(int value)> OnProgress;

    void ShowMainStatus(const std::string& text) override { MainStatus.push_back(text); }
    void ShowMainKeywordStatus(const std::string&) override {}
    void ShowRowCountStatus(const std::string&) override {}
    void SetGaugeMaxValue(int maximum) override
    {
        GaugeMax = maximum < 0 ? 0 : maximum;
        GaugeValue = GaugeValue > GaugeMax ? GaugeMax : GaugeValue;
    }
    void SetGaugeProgress(int value) override
    {
        GaugeValue = value < 0 ? 0 : (value > GaugeMax ? GaugeMax : value);
        if (OnProgress)
            OnProgress(value);
    }
    int GaugeMaxValue() const override { return GaugeMax; }
    void PumpMessages() override { ++Pumps; }
};
