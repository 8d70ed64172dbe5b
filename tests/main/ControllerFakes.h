// A fake serial port and recording hooks for the connection controller
// tests, and builders for the meter's answers.
#pragma once

#include "main/ControllerHooks.h"
#include "main/MeterController.h"
#include "main/MeterPort.h"

#include <cstring>
#include <string>
#include <vector>

namespace k730::test {

// Everything the controller does, in order, as short texts ("send 68 08 ...").
using TEventLog = std::vector<std::string>;

std::string HexText(const TBytes& bytes);

class TFakePort : public IMeterPort {
public:
    explicit TFakePort(TEventLog& log) : log_(log) {}

    std::vector<std::string> ports = {"none"};
    int index = 0;
    std::vector<TBytes> sent;
    std::vector<int> statuses;
    int hold = 0;
    int maxHold = 0;
    TLineSettings line;

    bool Send(const TBytes& frame, bool) override {
        sent.push_back(frame);
        log_.push_back("send " + HexText(frame));
        return index > 0;
    }
    void ClearQueue() override {}
    std::vector<std::string> PortList() const override { return ports; }
    int PortIndex() const override { return index; }
    void SelectPort(const std::string& name) override {
        index = 0;
        for (size_t i = 0; i < ports.size(); ++i)
            if (ports[i] == name) index = static_cast<int>(i);
        log_.push_back("select " + name);
    }
    TLineSettings LineSettings() const override { return line; }
    void ApplyLineSettings(const std::string& port, const TLineSettings& l) override {
        line = l;
        log_.push_back("line " + port);
    }
    void ApplySearchSettings(const std::string& port, const TLineSettings& l) override {
        line = l;
        SelectPort(port);
    }
    TPortTimes Times() const override { return {}; }
    void HoldReceive() override { maxHold = std::max(maxHold, ++hold); }
    void ReleaseReceive() override { --hold; }
    void ClearWaitingForAnswer() override {}
    void SetStatus(int code) override { statuses.push_back(code); }
    void RepeatStatus() override {}

private:
    TEventLog& log_;
};

class TRecordingHooks : public TControllerHooks {
public:
    explicit TRecordingHooks(TEventLog& log) : log_(log) {}

    std::vector<TDeferredMessage> messages;
    std::vector<std::string> rangeItems;
    std::vector<std::string> portItems;
    std::string title, displayText, meterName, meterNumber;
    int clearMinMaxAv = 0, clearDisplay = 0, statusShown = 0, wakes = 0, stale = 0, infoCleared = 0;
    std::vector<int> settingsRefreshes;
    std::vector<uint32_t> pauses;

    void Pause(uint32_t ms) override {
        pauses.push_back(ms);
        log_.push_back("pause " + std::to_string(ms));
    }
    void ShowPortChooser(const std::vector<std::string>& items, int) override { portItems = items; }
    void SetTitle(const std::string& t) override { title = t; }
    void ShowMeterName(const std::string& name, const std::string& number) override {
        meterName = name;
        meterNumber = number;
    }
    void ReadingStale() override { ++stale; }
    void MeterInfoCleared() override { ++infoCleared; }
    void RefreshSettingsDialog(int code) override { settingsRefreshes.push_back(code); }
    void ClearDisplay() override { ++clearDisplay; }
    void ShowStatus(const TMeterInfo&, const TStatusAnswer&) override { ++statusShown; }
    void ShowDisplayText(const std::string& text) override { displayText = text; }
    void ShowRangeList(const std::vector<std::string>& items) override { rangeItems = items; }
    void ClearMinMaxAv() override { ++clearMinMaxAv; }
    void PostMessage(const TDeferredMessage& m) override {
        messages.push_back(m);
        log_.push_back("message " + m.text);
    }
    void WakeTrigger() override { ++wakes; }

private:
    TEventLog& log_;
};

// Answer frame: 68 L L code 06 address mode data 16.
TBytes AnswerFrame(uint8_t code, uint16_t address, uint8_t mode, const TBytes& data = {});

// Identity answer of a luxmeter with ranges 2, 20 and 200 (kind byte 1).
TBytes IdentityAnswer(uint16_t address, float range0 = 2, float range1 = 20, float range2 = 200);

// Status answer (64 bytes) with the given flags, value and conversion count.
TBytes StatusAnswer(uint16_t address, uint8_t mode, uint8_t flags = 0, float value = 1.5f,
                    uint8_t conversions = 3, float fullScale = 20);

void PutF32(TBytes& bytes, size_t offset, float value);

} // namespace k730::test
