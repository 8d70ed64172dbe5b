// libFuzzer: lines typed on the simulator's control channel, one per input
// line, for two meters. Every line gets a reply, and the meters keep answering
// whole frames whatever was set.
#include "protocol/MerBusFrames.h"
#include "sim/SimControl.h"

#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace k730;
    using namespace k730::sim;
    TSimMeter one(DefaultEeprom(1), TSimDetector(), 0), two(DefaultEeprom(2), TSimDetector(), 0);
    TSimChannel lineOne("SIM1", one, sim::TLineSettings{}, 3, nullptr, 1);
    TSimChannel lineTwo("SIM2", two, sim::TLineSettings{}, 3, nullptr, 2);
    TSimControl control({&lineOne, &lineTwo});
    std::vector<TSimPortRequest> requests;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    int64_t nowUs = 1'000'000;
    for (std::string line; std::getline(in, line) && !control.QuitRequested();) {
        if (control.Execute(line, nowUs, requests).empty()) std::abort();
        nowUs += 250'000;
        for (TSimMeter* meter : {&one, &two})
            for (const uint8_t command : {CMD_IDENTIFY, CMD_STATUS})
                if (const auto answer =
                        meter->Handle(BuildRequest(command, MERBUS_BROADCAST, {}, false), nowUs / 1000);
                    answer && !answer->empty() && !IsWholeMerBus1Frame(*answer))
                    std::abort();
        lineOne.Receive(BuildRequest(CMD_STATUS, MERBUS_BROADCAST, {}, false), sim::TLineSettings{}, nowUs);
        (void)lineOne.Due(nowUs + 2'000'000);
    }
    return 0;
}
