#include "service/RawCommand.h"

#include "protocol/MerBusFrames.h"
#include "service/ServiceNumbers.h"

#include <cstdio>

namespace k730 {

namespace {

constexpr size_t REQUEST_HEADER = 8; // start, length, command, 0x06, address, end

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool PrefixAt(std::string_view text, size_t at) {
    return at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X');
}

// Reads the tokens of a text one after the other.
class TTokens {
public:
    explicit TTokens(std::string_view text) : text_(text) {}

    bool AtEnd() {
        SkipBlanks();
        return at_ >= text_.size();
    }

    // "0x" and exactly `digits` digits; the run may go on and is cut there.
    std::optional<uint32_t> Word(size_t digits) {
        SkipBlanks();
        if (!PrefixAt(text_, at_) || at_ + 2 + digits > text_.size()) return std::nullopt;
        uint32_t value = 0;
        for (size_t i = 0; i < digits; ++i) {
            const int d = HexValue(text_[at_ + 2 + i]);
            if (d < 0) return std::nullopt;
            value = value << 4 | static_cast<uint32_t>(d);
        }
        at_ += 2 + digits;
        return value;
    }

    // Optional prefixes, then one or two digits up to a blank, the next "0x" or the end.
    std::optional<uint8_t> Byte() {
        SkipBlanks();
        size_t at = at_;
        while (PrefixAt(text_, at))
            at += 2;
        size_t end = at;
        while (end < text_.size() && !IsBlank(text_[end]) && !(end > at && PrefixAt(text_, end)))
            ++end;
        const size_t length = end - at;
        if (length < 1 || length > 2) return std::nullopt;
        unsigned value = 0;
        for (size_t i = at; i < end; ++i) {
            const int d = HexValue(text_[i]);
            if (d < 0) return std::nullopt;
            value = value << 4 | static_cast<unsigned>(d);
        }
        at_ = end;
        return static_cast<uint8_t>(value);
    }

private:
    void SkipBlanks() {
        while (at_ < text_.size() && IsBlank(text_[at_]))
            ++at_;
    }

    std::string_view text_;
    size_t at_ = 0;
};

void AppendLittleEndian(TBytes& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

TRawRequest Failed(TRawError error) {
    TRawRequest r;
    r.error = error;
    return r;
}

} // namespace

std::optional<uint16_t> ParseRawAddress(std::string_view text) {
    std::string t(text.empty() ? "0" : text);
    if (!PrefixAt(t, 0)) t.insert(0, "0x");
    if (t.size() > 2)
        while (t.size() < 6)
            t.insert(2, "0");
    {
        TTokens tokens(t);
        if (const auto word = tokens.Word(4); word && tokens.AtEnd()) return static_cast<uint16_t>(*word);
    }
    TTokens tokens(t);
    uint16_t address = 0;
    for (int i = 0; i < 2 && !tokens.AtEnd(); ++i) {
        const auto byte = tokens.Byte();
        if (!byte) return std::nullopt;
        address = static_cast<uint16_t>(address | *byte << (8 * i));
    }
    if (!tokens.AtEnd()) return std::nullopt;
    return address;
}

std::optional<uint8_t> ParseRawByte(std::string_view text) {
    TTokens tokens(text);
    const auto byte = tokens.Byte();
    if (!byte || !tokens.AtEnd()) return std::nullopt;
    return byte;
}

std::optional<TBytes> ParseRawData(std::string_view text) {
    TTokens tokens(text);
    TBytes out;
    while (!tokens.AtEnd()) {
        if (const auto dword = tokens.Word(8)) {
            AppendLittleEndian(out, *dword, 4);
        } else if (const auto word = tokens.Word(4)) {
            AppendLittleEndian(out, *word, 2);
        } else if (const auto byte = tokens.Byte()) {
            out.push_back(*byte);
        } else {
            return std::nullopt;
        }
    }
    return out;
}

TRawRequest RawCommandRequest(std::string_view address, std::string_view command, std::string_view data) {
    const auto to = ParseRawAddress(address);
    if (!to) return Failed(reAddress);
    const auto code = ParseRawByte(command);
    // 0 would make the item a prebuilt frame, 0x80 and up are answer codes.
    if (!code || *code == 0 || *code >= MERBUS_ANSWER_BIT) return Failed(reCommand);
    const auto bytes = ParseRawData(data);
    if (!bytes) return Failed(reData);
    if (REQUEST_HEADER + bytes->size() > MERBUS_MAX_FRAME) return Failed(reTooLong);
    TRawRequest r;
    r.command = *code;
    r.item.bytes = {0, *code};
    AppendLittleEndian(r.item.bytes, *to, 2);
    r.item.bytes.insert(r.item.bytes.end(), bytes->begin(), bytes->end());
    return r;
}

TRawRequest RawFrameRequest(std::string_view buffer) {
    const auto bytes = ParseRawData(buffer);
    if (!bytes) return Failed(reData);
    const TBytes& f = *bytes;
    // A request: start byte, its own length, a command code, 0x06, an address and the end byte.
    if (f.size() < REQUEST_HEADER || !IsWholeMerBus1Frame(f) || f[3] == 0 || f[3] >= MERBUS_ANSWER_BIT ||
        f[4] != MERBUS_FIXED)
        return Failed(reNotFrame);
    TRawRequest r;
    r.command = f[3];
    r.item.bytes = {0, 0};
    r.item.bytes.insert(r.item.bytes.end(), f.begin(), f.end());
    return r;
}

// --- the exchange ------------------------------------------------------------------------

void TRawExchange::Invalid(TRawError error) {
    // Nothing went out: the last request's frames would only mislead.
    state_ = rsInvalid;
    error_ = error;
    sent_.clear();
    answer_.clear();
}

void TRawExchange::Sent(uint8_t command, TBytes frame) {
    state_ = rsWaiting;
    error_ = reOk;
    command_ = command;
    sent_ = std::move(frame);
    answer_.clear();
}

bool TRawExchange::Frame(const TBytes& frame) {
    if (state_ != rsWaiting || frame.size() < 6) return false;
    const uint8_t code = frame[3];
    const bool refused = code == MERBUS_REFUSAL && frame.size() > 8 && frame[8] == command_;
    if (code != (command_ | MERBUS_ANSWER_BIT) && !refused) return false;
    state_ = refused ? rsRefused : rsAnswered;
    answer_ = frame;
    return true;
}

void TRawExchange::NoAnswer() {
    if (state_ == rsWaiting) state_ = rsNoAnswer;
}

std::string TRawExchange::StatusText() const {
    char text[96];
    switch (state_) {
    case rsIdle:
        return {};
    case rsInvalid:
        switch (error_) {
        case reAddress:
            return "Nie wysłano: błędny adres.";
        case reCommand:
            return "Nie wysłano: błędne polecenie (0x01..0x7F).";
        case reNotFrame:
            return "Nie wysłano: bufor nie jest ramką zapytania.";
        case reTooLong:
            return "Nie wysłano: za dużo danych.";
        default:
            return "Nie wysłano: błędne dane.";
        }
    case rsWaiting:
        return "Oczekiwanie na odpowiedź...";
    case rsAnswered:
        return "Miernik wykonał polecenie.";
    case rsRefused:
        std::snprintf(text, sizeof text, "Miernik odrzucił polecenie 0x%02X.", command_);
        return text;
    case rsNoAnswer:
        return "Brak odpowiedzi miernika.";
    }
    return {};
}

std::string HexBytesText(const TBytes& bytes) {
    std::string out;
    for (uint8_t b : bytes) {
        if (!out.empty()) out += ' ';
        out += HexText(b, 2);
    }
    return out;
}

} // namespace k730
