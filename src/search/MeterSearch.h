// TMeterSearch: looks for meters on every serial port at once. Each port gets
// its own serial component and walks through the line-setting combinations of
// the criteria, two identification attempts each, until a meter answers, the
// line echoes, the port turns out busy or absent, or the combinations run out.
// Runs on the owner's thread of the event loop it is given; the search dialog
// and k730-tool both drive it.
#pragma once

#include "comm/Comm32KX.h"
#include "protocol/ReceiveBuffer.h"
#include "search/SearchCriteria.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace k730 {

// One port's trial record.
struct TSearchPort {
    std::unique_ptr<TComm32KX> comm;
    std::string name;
    uint16_t listPosition = 0; // position in the sorted port list: the found-list key
    std::string foundText;     // descriptor, " ", serial "/" year of a meter that answered
    std::string line;          // the port's list line
    TBytes request;            // the bytes last sent, to recognise an echo
    TReceiveBuffer received;
    TLineSettings settings;
    int combination = 0;
    bool done = false;
    bool found = false;
    uint64_t deadline = 0; // tick at which the current attempt times out; 0 none
    int attempts = 0;
};

enum TSearchState {
    srSearching,
    srNoPort,       // "Serial port not found."
    srNothingFound, // "Meter not found."
    srOne,          // exactly one meter: the caller ends with it
    srSeveral,      // the user chooses from FoundPorts()
};

class TMeterSearch {
public:
    struct TEvents {
        std::function<void(size_t port)> onLineChanged; // a port's list line changed
        std::function<void(TSearchState)> onFinished;   // once, 250 ms after the last port is done
        std::function<void()> onPortStarted;            // a port made its first attempt (repaint)
        // Whether a list line still fits the list; a line that would not
        // restarts its progress dots. Always true when not set.
        std::function<bool(const std::string&)> lineFits;
    };

    // `portFactory` replaces the platform serial port in every component (tests).
    TMeterSearch(TCommEventLoop& loop, int language, const TSearchValues& values, TEvents events,
                 TComm32KX::TPortFactory portFactory = {});
    ~TMeterSearch();
    TMeterSearch(const TMeterSearch&) = delete;
    TMeterSearch& operator=(const TMeterSearch&) = delete;

    // Enumerates the ports and starts every one; srNoPort at once when there is none.
    TSearchState Start();
    // Closes every port and marks all done, so what was found so far is offered.
    void Stop();

    bool Finished() const { return finished_; }
    TSearchState Result() const { return result_; }
    const std::vector<TSearchPort>& Ports() const { return ports_; }
    // Indices into Ports() of the ports with a meter, in natural port order.
    std::vector<size_t> FoundPorts() const;
    // The list line of a found port: port name, ":  ", found text.
    std::string FoundLine(size_t port) const;
    // The status-bar text of a chosen port, e.g. " COM3:  9600 N 8 1".
    std::string ChoiceText(size_t port) const;

private:
    void StartCombination(TSearchPort& p, int k);
    void Attempt(TSearchPort& p);
    void GiveUp(TSearchPort& p, const std::string& reason);
    void Tick();
    void OnStatus(size_t index, int code, const std::string& text);
    void OnReceive(size_t index, const uint8_t* buf, uint32_t size);
    void MeterAnswered(size_t index, const TBytes& frame);
    void AddDot(TSearchPort& p);
    void SetLine(size_t index, std::string line);
    void TestCompletion();
    void Complete();
    size_t IndexOf(const TSearchPort& p) const { return static_cast<size_t>(&p - ports_.data()); }

    TCommEventLoop& loop_;
    const int language_;
    const TSearchValues values_;
    TEvents events_;
    TComm32KX::TPortFactory portFactory_;
    std::vector<TSearchPort> ports_;
    std::map<uint16_t, size_t> found_; // list position -> port index
    TCommEventLoop::TTimerId timer_ = 0;
    TCommEventLoop::TTimerId pause_ = 0;
    size_t dotTurn_ = 0;
    bool finished_ = false;
    TSearchState result_ = srSearching;
};

// Lower-case form of a status text for a port's list line ("Busy" -> "busy").
std::string LowerStatusText(std::string_view text);

} // namespace k730
