#include "CalWizardFixture.h"

#include <ostream>

namespace k730::test {

void PrintTo(const TSent& s, std::ostream* os) {
    *os << "cmd " << int(s.command) << " [" << HexText(s.data) << "]";
}

TBytes CalStatusFrame(uint16_t address, const TCalStatusFields& f) {
    TBytes data(63 - 8, 0);
    auto put32 = [&](size_t offset, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data[offset - 8 + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    data[0] = f.flags;
    data[21 - 8] = 1;
    data[22 - 8] = 1;
    put32(23, static_cast<uint32_t>(f.raw));
    put32(35, f.loopDac);
    data[39 - 8] = static_cast<uint8_t>(f.temperature);
    data[40 - 8] = static_cast<uint8_t>(f.temperature >> 8);
    put32(41, f.stored4mA);
    PutF32(data, 57 - 8, f.fullScale);
    data[61 - 8] = 0xFF;
    data[62 - 8] = 0xFF;
    return AnswerFrame(0x84, address, f.mode, data);
}

void CalWizardFixture::SetUp() {
    port.ports = {"none", "ttyS0"};
    ctl.Start(now);
    ctl.ChoosePort(1, now);
    Receive(IdentityAnswer(address));
    Receive(AnswerFrame(0x85, address, 0, {1}));
    Receive(AnswerFrame(0x86, address, 0, {1}));
    Receive(AnswerFrame(0x83, address, 0, {0x11}));
    Receive(AnswerFrame(0x87, address, 0, {3}));
    AnswerStatus();
    mark = served = port.sent.size();
}

void CalWizardFixture::OpenWizard(TLanguage lang, char decimal) {
    memory.FactorLabels = {"value forcing 4mA current: ", "current loop calibration factor:",
                           "result calibration factor:  ", "Calibration temperature:    "};
    ctl.SetCalibrationOpen(true);
    wizard = std::make_unique<TCalWizard>(1, 0, lang, decimal, link, memory, events);
    hooks.wizard = wizard.get();
    wizard->Open();
}

void CalWizardFixture::Receive(const TBytes& frame) {
    now += 20;
    ctl.OnReceive(frame, now);
}

void CalWizardFixture::AnswerStatus() {
    Receive(CalStatusFrame(address, meter));
}

void CalWizardFixture::AnswerMode(uint8_t mode) {
    meter.mode = mode;
    Receive(AnswerFrame(0x8A, address, mode));
}

void CalWizardFixture::AnswerForcing(uint32_t dac) {
    meter.loopDac = dac;
    TBytes data;
    AppendU32(data, dac);
    Receive(AnswerFrame(0x8B, address, meter.mode, data));
}

void CalWizardFixture::AnswerParameter(uint8_t index, uint32_t value) {
    if (index == 1) meter.stored4mA = value;
    TBytes data{index};
    AppendU32(data, value);
    Receive(AnswerFrame(0x8C, address, meter.mode, data));
}

void CalWizardFixture::Serve(int limit) {
    for (int n = 0; n < limit && served < port.sent.size(); ++n) {
        const TBytes request = port.sent[served++];
        const uint8_t command = request[3];
        const TBytes data(request.begin() + 7, request.end() - 1);
        switch (command) {
        case CMD_STATUS:
            AnswerStatus();
            break;
        case CMD_SET_MODE:
            AnswerMode(data[0]);
            break;
        case CMD_SET_FORCING_VALUE:
            AnswerForcing(ReadU32(data, 0));
            break;
        case CMD_SET_CAL_PARAMETER:
            AnswerParameter(data[0], ReadU32(data, 1));
            break;
        case CMD_SAVE_CALIBRATION:
            if (meter.mode == 1)
                Receive(AnswerFrame(0x8D, address, meter.mode, data));
            else
                Receive(AnswerFrame(0x7F, address, meter.mode, {CMD_SAVE_CALIBRATION}));
            break;
        default:
            break;
        }
    }
}

std::vector<TSent> CalWizardFixture::TakeSent() {
    std::vector<TSent> out;
    for (; mark < port.sent.size(); ++mark) {
        const TBytes& f = port.sent[mark];
        out.push_back(TSent{f[3], TBytes(f.begin() + 7, f.end() - 1)});
    }
    return out;
}

void CalWizardFixture::FinishStep1(const std::string& milliampere) {
    Serve();
    Type(cfDac0, milliampere);
    wizard->ApplyDac0();
    Serve();
    ASSERT_TRUE(wizard->Buttons().next);
}

void CalWizardFixture::FinishStep2(const std::string& reference, const std::string& loop) {
    wizard->Next();
    Serve();
    meter.loopDac = 0xB400; // what the loop driver uses for the reference light
    AnswerStatus();
    Type(cfE0, reference);
    Type(cfIL, loop);
    wizard->ApplyCal();
    Serve();
}

} // namespace k730::test
