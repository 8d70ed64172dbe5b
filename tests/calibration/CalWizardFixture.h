// The calibration wizard on the real connection controller with a fake port:
// the controller hands the answers over as it would to the window, and every
// request the wizard queues comes out as bytes on the fake port.
#pragma once

#include "calibration/CalOpening.h"
#include "calibration/CalWizard.h"
#include "main/ControllerFakes.h"
#include "protocol/ByteOrder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace k730::test {

// The controller's hand-overs go to the wizard, as the session does.
class TWizardHooks : public TRecordingHooks {
public:
    using TRecordingHooks::TRecordingHooks;
    TCalWizard* wizard = nullptr;
    int closed = 0;
    std::vector<std::string> savedComments;

    void CalStatus(const TBytes& frame) override { wizard->OnStatus(frame); }
    void CalModeSet() override { wizard->OnModeSet(); }
    void CalForcingValue(uint32_t dac) override { wizard->OnForcingValue(dac); }
    void CalParameter(const TBytes& frame) override { wizard->OnParameter(frame); }
    void CalSuperviseMode(uint8_t mode) override { wizard->SuperviseMode(mode); }
    void CalClose() override { ++closed; }
    std::string CalSaved(const TCalibrationSavedAnswer&, const std::string& comment) override {
        savedComments.push_back(comment);
        return "saved";
    }
};

class TWizardEvents : public TCalWizardEvents {
public:
    std::vector<TCalMessage> messages;
    std::vector<TCalField> focus;
    int closeMessages = 0;
    void ShowMessage(const TCalMessage& m) override { messages.push_back(m); }
    void CloseMessages() override { ++closeMessages; }
    void Focus(TCalField f) override { focus.push_back(f); }
};

// One request as the test reads it: the command and its data bytes.
struct TSent {
    uint8_t command = 0;
    TBytes data;
    bool operator==(const TSent&) const = default;
};
void PrintTo(const TSent& s, std::ostream* os);

// A status answer with the fields the wizard reads.
struct TCalStatusFields {
    uint8_t mode = 0;
    uint8_t flags = 0x40; // current loop on
    int32_t raw = 0x600000;
    uint32_t loopDac = 0x4000;
    uint16_t temperature = 0x022C;
    uint32_t stored4mA = 0x4000;
    float fullScale = 2000;
};
TBytes CalStatusFrame(uint16_t address, const TCalStatusFields& f);

class CalWizardFixture : public ::testing::Test {
protected:
    static constexpr uint16_t address = 0x0003;

    TEventLog log;
    TFakePort port{log};
    TWizardHooks hooks{log};
    TMeterController ctl{port, hooks, TControllerConfig{langEnglish, ',', "", true, true, 1000}};
    uint32_t now = 1000;
    TControllerCalLink link{ctl, [this] { return now; }};
    TCalMemory memory;
    TWizardEvents events;
    std::unique_ptr<TCalWizard> wizard;
    TCalStatusFields meter; // what the next status answer says
    size_t mark = 0;        // requests taken by TakeSent
    size_t served = 0;      // requests answered by Serve

    void SetUp() override;
    // The wizard opened on an identified, polled meter, as the session does.
    void OpenWizard(TLanguage lang = langEnglish, char decimal = ',');

    void Receive(const TBytes& frame);
    void AnswerStatus();
    void AnswerMode(uint8_t mode);
    void AnswerForcing(uint32_t dac);
    void AnswerParameter(uint8_t index, uint32_t value);
    // Answers every request queued, as a meter that does what it is told.
    void Serve(int limit = 20);

    // The requests sent since the last call.
    std::vector<TSent> TakeSent();
    void Type(TCalField field, const std::string& text) { wizard->EditChanged(field, text); }

    // Step I done: the operator's entry applied and confirmed by the meter.
    void FinishStep1(const std::string& milliampere = "3,96");
    // Step II applied and all four values echoed.
    void FinishStep2(const std::string& reference = "1000", const std::string& loop = "12,1");
};

} // namespace k730::test
