#include "search/MeterSearch.h"

#include "comm/CommTexts.h"
#include "main/K730Fun.h"
#include "protocol/MerBusAnswers.h"
#include "protocol/MerBusCommands.h"
#include "search/SearchTexts.h"

#include <algorithm>

namespace k730 {

namespace {

constexpr uint32_t TICK_MS = 100;
constexpr uint32_t COMPLETION_PAUSE_MS = 250;

std::string Text(const TText& text, int language) {
    return std::string(text(language));
}

} // namespace

std::string LowerStatusText(std::string_view text) {
    // The status texts are ASCII apart from Polish letters, whose capitals
    // are two UTF-8 bytes one code point below (or, for a few, one byte apart).
    static constexpr std::pair<std::string_view, std::string_view> polish[] = {
        {"Ą", "ą"}, {"Ć", "ć"}, {"Ę", "ę"}, {"Ł", "ł"}, {"Ń", "ń"},
        {"Ó", "ó"}, {"Ś", "ś"}, {"Ź", "ź"}, {"Ż", "ż"}};
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [upper, lower] : polish)
            if (text.substr(i, upper.size()) == upper) {
                out += lower;
                i += upper.size();
                replaced = true;
                break;
            }
        if (replaced) continue;
        const char c = text[i++];
        out += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out;
}

TMeterSearch::TMeterSearch(TCommEventLoop& loop, int language, const TSearchValues& values, TEvents events,
                           TComm32KX::TPortFactory portFactory)
    : loop_(loop), language_(language), values_(values), events_(std::move(events)),
      portFactory_(std::move(portFactory)) {}

TMeterSearch::~TMeterSearch() {
    loop_.StopTimer(timer_);
    loop_.StopTimer(pause_);
    for (auto& p : ports_)
        if (p.comm) {
            p.comm->OnReceive = nullptr;
            p.comm->OnCOMStatus = nullptr;
        }
    ports_.clear(); // each component closes its port and joins its threads
}

TSearchResult TMeterSearch::Start() {
    std::vector<std::string> names;
    TComm32KX::GetSerialPortList(names, language_);
    if (names.empty()) {
        finished_ = true;
        result_ = srNoPort;
        return result_;
    }
    ports_.resize(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        TSearchPort& p = ports_[i];
        p.name = names[i];
        p.listPosition = static_cast<uint16_t>(i + 1); // the list is headed by the no-port entry
        p.line = p.name + ": ";
        StartCombination(p, 0);
    }
    for (size_t i = 0; i < ports_.size(); ++i) {
        TSearchPort& p = ports_[i];
        p.comm = std::make_unique<TComm32KX>(loop_, language_, portFactory_);
        p.comm->OnReceive = [this, i](TComm32KX&, const uint8_t* buf, uint32_t size) {
            OnReceive(i, buf, size);
        };
        p.comm->OnCOMStatus = [this, i](TComm32KX&, int code, const std::string& text) {
            OnStatus(i, code, text);
        };
        p.comm->SetRTSState(true);
        p.comm->SetDTRState(true);
        if (!p.done) Attempt(p);
        if (events_.onPortStarted) events_.onPortStarted();
    }
    timer_ = loop_.StartTimer(TICK_MS, [this] { Tick(); });
    TestCompletion();
    return result_;
}

void TMeterSearch::StartCombination(TSearchPort& p, int k) {
    if (k < 0 || static_cast<size_t>(k) >= values_.Combinations()) {
        GiveUp(p, Text(SEARCH_PORT_WITHOUT_METER, language_));
        return;
    }
    p.combination = k;
    p.attempts = 0;
    p.received.Clear();
    p.settings = Combination(values_, static_cast<size_t>(k));
}

void TMeterSearch::GiveUp(TSearchPort& p, const std::string& reason) {
    if (p.comm) p.comm->ClosePort();
    p.request.clear();
    p.done = true;
    p.deadline = 0;
    SetLine(IndexOf(p), p.name + SEARCH_LINE_SEPARATOR + reason);
}

void TMeterSearch::Attempt(TSearchPort& p) {
    if (p.done || finished_) return;
    if (p.combination >= 2 && p.comm->PortIndex() == 0) {
        // The port went away under us: nothing would ever end this port's
        // trials, so give it up instead of waiting for ever.
        GiveUp(p, Text(SEARCH_PORT_WITHOUT_METER, language_));
        return;
    }
    p.deadline = 0;
    const TLineSettings& s = p.settings;
    std::optional<std::string> port;
    if (p.comm->COMPort() != p.name) port = p.name;
    p.comm->ApplySearchSettings(port, s.baud, s.stopBits, s.dataBits, s.parity);
    if (p.done) // opening failed and the status event already gave the port up
        return;
    const uint32_t answerTime = 2 * (TransferTimeMsFor(s, 255) + p.comm->TimeOut());
    p.comm->SetFixedAnswerTime(answerTime);
    p.request = BuildIdentify(MERBUS_BROADCAST);
    p.comm->Send(p.request);
    p.attempts += 1;
    p.deadline = loop_.TickMs() + 2ull * answerTime;
    AddDot(p);
}

void TMeterSearch::AddDot(TSearchPort& p) {
    std::string line = p.line + SEARCH_PROGRESS_DOT;
    if (events_.lineFits && !events_.lineFits(line)) line = p.name + SEARCH_LINE_SEPARATOR + "\u2022";
    SetLine(IndexOf(p), std::move(line));
}

void TMeterSearch::SetLine(size_t index, std::string line) {
    ports_[index].line = std::move(line);
    if (events_.onLineChanged && ports_[index].comm) events_.onLineChanged(index);
}

void TMeterSearch::Tick() {
    if (finished_) return;
    const uint64_t now = loop_.TickMs();
    for (size_t i = 0; i < ports_.size(); ++i) {
        const TSearchPort& p = ports_[i];
        if (!p.done && p.deadline != 0 && now >= p.deadline)
            OnStatus(i, csNoAnswer, std::string(CommStatusText(language_, csNoAnswer)));
    }
    if (values_.Combinations() == 1 && !ports_.empty()) {
        for (size_t n = 0; n < ports_.size(); ++n) {
            TSearchPort& p = ports_[dotTurn_++ % ports_.size()];
            if (!p.done) {
                AddDot(p);
                break;
            }
        }
    }
}

void TMeterSearch::OnStatus(size_t index, int code, const std::string& text) {
    TSearchPort& p = ports_[index];
    if (code <= csDisconnected || p.found || p.done || finished_) return;
    p.deadline = 0;
    if (code == csBusy || code == csPortNotFound) {
        p.attempts = 2;
        GiveUp(p, LowerStatusText(text));
    } else {
        if (p.attempts > 1) StartCombination(p, p.combination + 1);
        if (!p.done) Attempt(p);
    }
    TestCompletion();
}

void TMeterSearch::OnReceive(size_t index, const uint8_t* buf, uint32_t size) {
    TSearchPort& p = ports_[index];
    if (p.done || finished_) return;
    p.received.Append(std::span<const uint8_t>(buf, size));
    const size_t length = p.received.ExtractFrame();
    if (length == 0) return;
    const TBytes frame = p.received.TakeFrame(length);
    if (frame == p.request)
        StartCombination(p, -1); // the line echoes what we send: no meter behind it
    else
        MeterAnswered(index, frame);
    TestCompletion();
}

void TMeterSearch::MeterAnswered(size_t index, const TBytes& frame) {
    TSearchPort& p = ports_[index];
    p.comm->ClosePort();
    p.done = true;
    p.found = true;
    p.deadline = 0;
    if (frame.size() > 3 && frame[3] == (CMD_IDENTIFY | MERBUS_ANSWER_BIT))
        if (const auto id = DecodeIdentity(std::span<const uint8_t>(frame)))
            p.foundText = id->DescriptorUtf8() + " " + SerialNumberText(id->serialNumber) + "/" +
                          ProductionYearText(id->productionYear);
    found_[p.listPosition] = index;
    SetLine(index, FoundLine(index));
}

void TMeterSearch::Stop() {
    if (finished_) return;
    for (auto& p : ports_) {
        if (p.comm) p.comm->ClosePort();
        p.done = true;
        p.deadline = 0;
    }
    TestCompletion();
}

void TMeterSearch::TestCompletion() {
    if (finished_ || !std::all_of(ports_.begin(), ports_.end(), [](const TSearchPort& p) { return p.done; }))
        return;
    finished_ = true;
    loop_.StopTimer(timer_);
    timer_ = 0;
    pause_ = loop_.StartTimer(COMPLETION_PAUSE_MS, [this] { Complete(); });
}

void TMeterSearch::Complete() {
    loop_.StopTimer(pause_);
    pause_ = 0;
    result_ = found_.empty() ? srNothingFound : found_.size() == 1 ? srOne : srSeveral;
    if (events_.onFinished) events_.onFinished(result_);
}

std::vector<size_t> TMeterSearch::FoundPorts() const {
    std::vector<size_t> list;
    for (const auto& [position, index] : found_)
        list.push_back(index);
    return list;
}

std::string TMeterSearch::FoundLine(size_t port) const {
    return ports_[port].name + SEARCH_LINE_SEPARATOR + ports_[port].foundText;
}

std::string TMeterSearch::ChoiceText(size_t port) const {
    const TSearchPort& p = ports_[port];
    const TLineSettings& s = p.settings;
    return " " + p.name + SEARCH_LINE_SEPARATOR + std::to_string(BaudValue(s.baud)) + " " +
           std::string(PARITY_LETTERS[s.parity]) + " " + std::string(DATA_BIT_TEXTS[s.dataBits]) + " " +
           std::string(STOP_BIT_TEXTS[s.stopBits]);
}

} // namespace k730
