#include "service/IdentityProgrammer.h"

#include "main/Cp1250.h"
#include "main/K730Fun.h"
#include "protocol/ByteOrder.h"
#include "protocol/MerBusCommands.h"
#include "service/ServiceEdits.h"

#include <algorithm>

namespace k730 {

namespace {

// The first `count` characters of a UTF-8 text: what a box of that length keeps.
std::string Limit(const std::string& text, size_t count) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == count)
            return text.substr(0, i);
    }
    return text;
}

std::string NumberOrEmpty(uint16_t value) {
    return value == NOT_PROGRAMMED ? std::string() : std::to_string(value);
}

bool KindChosen(int kind) {
    return kind >= 0 && kind < KIND_COUNT;
}

} // namespace

TIdentityProgrammer::TIdentityProgrammer(char decimalSeparator, TSpectralLists lists)
    : separator_(decimalSeparator), lists_(std::move(lists)) {
    Reset();
}

void TIdentityProgrammer::SetSpectralLists(TSpectralLists lists) {
    lists_ = std::move(lists);
}

const std::vector<std::string>& TIdentityProgrammer::SpectralItems() const {
    static const std::vector<std::string> none;
    return KindChosen(c_.kind) ? lists_[static_cast<size_t>(c_.kind)] : none;
}

void TIdentityProgrammer::Reset() {
    RearmFlags();
    programming_ = awaitingRun_ = false;
    read_ = {};
    c_ = {};
    shownDescriptor_.clear();
    identityRead_ = configRead_ = openEnabled_ = false;
    lastAngle_.clear();
    lumBeforeAmp_ = false;
}

void TIdentityProgrammer::RearmFlags() {
    expectIdentity_ = expectConfig_ = expectDefault_ = expectResults_ = true;
}

// --- answers ------------------------------------------------------------------

void TIdentityProgrammer::Identity(const TMeterInfo& info) {
    if (!expectIdentity_ || awaitingRun_) return;
    const TDescriptorFields fields = ParseDescriptor(info.ModelDescriptor);
    read_.MeterName = info.ModelDescriptor.substr(0, info.ModelDescriptor.find("\r\n"));
    read_.MeterKind = info.MeterKind;
    read_.Spectral = fields.spectral;
    read_.LumMode = info.LumMode;
    read_.Aperture = fields.aperture;
    for (size_t i = 0; i < 3; ++i)
        read_.Ranges[i] = i < info.RangeCount ? info.RangeFullScale[i] : 0.0f;
    read_.RangeCount = info.RangeCount;
    read_.Version = fields.version;
    read_.SerialNumber = info.SerialNumber;
    read_.ProductionYear = info.ProductionYear;
    read_.FirmwareVersion = info.FirmwareVersion;
    if (!programming_) {
        // What the meter holds goes into the boxes; typed values of a
        // programming run stay where they are.
        shownDescriptor_ = read_.MeterName;
        c_.serial = NumberOrEmpty(read_.SerialNumber);
        c_.year = NumberOrEmpty(read_.ProductionYear);
        c_.kind = read_.MeterKind >= 1 && read_.MeterKind <= KIND_COUNT ? read_.MeterKind - 1 : -1;
        c_.spectral = Limit(RemoveBlanks(read_.Spectral), SPECTRAL_BOX_LENGTH);
        lastAngle_ = Limit(WithSeparator(read_.Aperture, separator_), ANGLE_BOX_LENGTH);
        const bool lum = read_.LumMode != 0;
        lumBeforeAmp_ = lum;
        c_.lumMode = lum && c_.kind != KIND_INDEX_AMPEREMETER;
        c_.aperture = c_.lumMode ? lastAngle_ : std::string();
        for (size_t i = 0; i < 3; ++i)
            c_.ranges[i] = RangeValueText(read_.Ranges[i], separator_);
        c_.version = Limit(read_.Version, VERSION_BOX_LENGTH);
    }
    identityRead_ = true;
    expectIdentity_ = false;
    AfterAnswer();
}

void TIdentityProgrammer::Config(uint8_t config) {
    if (!expectConfig_ || awaitingRun_) return;
    read_.Config = config;
    if (!programming_) c_.config = config;
    configRead_ = true;
    expectConfig_ = false;
    AfterAnswer();
}

void TIdentityProgrammer::DefaultRange(uint8_t index) {
    if (!expectDefault_ || awaitingRun_) return;
    read_.DefaultRange = index;
    if (!programming_) c_.defaultRange = index < 3 ? index : -1;
    expectDefault_ = false;
    AfterAnswer();
}

void TIdentityProgrammer::Results() {
    expectResults_ = false;
}

// Once identity, configuration and default range are known the descriptor is
// the one the boxes make, and templates may be opened. Checked after each of
// the three answers, whichever comes last.
void TIdentityProgrammer::AfterAnswer() {
    if (expectIdentity_ || expectConfig_ || expectDefault_ || !identityRead_) return;
    Recompose();
    openEnabled_ = true;
}

// --- edits ----------------------------------------------------------------------

void TIdentityProgrammer::EditSerial(const std::string& text) {
    c_.serial = Limit(text, SERIAL_BOX_LENGTH);
}

void TIdentityProgrammer::EditYear(const std::string& text) {
    c_.year = Limit(text, YEAR_BOX_LENGTH);
}

void TIdentityProgrammer::ChooseKind(int index) {
    if (index < -1 || index >= KIND_COUNT) return;
    const int previous = c_.kind;
    c_.kind = index;
    // An amperemeter measures no luminance: the box is cleared while it is
    // chosen and gets its state back with any other kind.
    if (index == KIND_INDEX_AMPEREMETER && previous != KIND_INDEX_AMPEREMETER) {
        lumBeforeAmp_ = c_.lumMode;
        SwitchLumMode(false);
    } else if (previous == KIND_INDEX_AMPEREMETER && index != KIND_INDEX_AMPEREMETER) {
        SwitchLumMode(lumBeforeAmp_);
    }
    Recompose();
}

void TIdentityProgrammer::EditSpectral(const std::string& text) {
    c_.spectral = Limit(text, SPECTRAL_BOX_LENGTH);
    Recompose();
}

void TIdentityProgrammer::SwitchLumMode(bool on) {
    if (on && c_.kind == KIND_INDEX_AMPEREMETER) return;
    if (on == c_.lumMode) return;
    if (on) {
        c_.aperture = lastAngle_;
    } else {
        lastAngle_ = c_.aperture;
        c_.aperture.clear();
    }
    c_.lumMode = on;
    Recompose();
}

void TIdentityProgrammer::EditAngle(const std::string& text) {
    c_.aperture = AngleBoxText(Limit(text, ANGLE_BOX_LENGTH), separator_);
    Recompose();
}

void TIdentityProgrammer::AngleSign(std::string_view sign) {
    c_.aperture = AngleWithSign(c_.aperture, sign);
    Recompose();
}

void TIdentityProgrammer::EditRange(int index, const std::string& text) {
    if (index < 0 || index > 2) return;
    c_.ranges[static_cast<size_t>(index)] = RangeBoxText(text, separator_);
    Recompose();
}

void TIdentityProgrammer::TickDefaultRange(int index, bool ticked) {
    if (index < 0 || index > 2) return;
    // Radio buttons that cannot all be off: unticking the ticked box keeps it.
    if (ticked) c_.defaultRange = index;
}

void TIdentityProgrammer::SwitchConfigBit(int bit, bool on) {
    if (bit < 0 || bit > 7) return;
    const auto mask = static_cast<uint8_t>(1u << bit);
    c_.config = static_cast<uint8_t>(on ? c_.config | mask : c_.config & ~mask);
    Recompose();
}

void TIdentityProgrammer::EditVersion(const std::string& text) {
    c_.version = Limit(text, VERSION_BOX_LENGTH);
    Recompose();
}

// --- templates ----------------------------------------------------------------------

bool TIdentityProgrammer::ApplyTemplate(const TTemplateRec& t) {
    const bool validKind = IsValidTemplateKind(t.MeterKind);
    if (validKind) ChooseKind((t.MeterKind & KIND_MASK) - 1);
    EditSpectral(t.Spectral);
    SwitchLumMode(t.LumMode != 0);
    if (c_.lumMode) EditAngle(t.Aperture);
    for (int i = 0; i < 3; ++i) {
        const float r = t.Ranges[static_cast<size_t>(i)];
        EditRange(i, RangeValueText(r > 0 ? r : 0.0, separator_));
    }
    c_.defaultRange = t.DefaultRange < 3 ? t.DefaultRange : -1;
    c_.config = t.Config;
    EditVersion(t.Version);
    return validKind && !t.MeterName.empty();
}

TTemplateRec TIdentityProgrammer::CurrentTemplate() const {
    TTemplateRec t;
    t.MeterName = ComposeDescriptor(Parts());
    t.MeterKind = static_cast<uint8_t>((c_.kind + 1) | (c_.lumMode ? KIND_LUMINANCE_BIT : 0));
    t.Spectral = c_.spectral;
    t.LumMode = c_.lumMode ? 1 : 0;
    t.Aperture = c_.aperture;
    const auto values = RangeValues(c_.ranges);
    for (size_t i = 0; i < 3; ++i)
        t.Ranges[i] = static_cast<float>(values[i]);
    t.DefaultRange = static_cast<uint8_t>(std::max(c_.defaultRange, 0));
    t.Config = c_.config;
    t.Version = c_.version;
    return t;
}

// --- programming ------------------------------------------------------------------------

std::optional<std::vector<TQueueItem>> TIdentityProgrammer::Program() {
    // Service writes to the broadcast address would reprogram every meter on the line.
    if (!Enabled().program || address_ == MERBUS_BROADCAST) return std::nullopt;
    programming_ = true;
    Recompose();
    std::vector<TQueueItem> items;
    items.push_back({{CMD_SVC_CONFIG, c_.config}, {}});
    if (KindChosen(c_.kind))
        items.push_back({{CMD_SVC_KIND, static_cast<uint8_t>((c_.kind + 1) | (c_.lumMode ? 0x80 : 0))}, {}});
    TBytes descriptor{CMD_SVC_DESCRIPTOR};
    for (char ch : Utf8ToCp1250(shownDescriptor_))
        descriptor.push_back(static_cast<uint8_t>(ch));
    descriptor.push_back(0);
    items.push_back({std::move(descriptor), {}});
    const auto serial = ParseInteger(c_.serial);
    const auto year = ParseInteger(c_.year);
    if (serial && year) {
        TBytes item{CMD_SVC_SERIAL_YEAR};
        AppendU16(item, static_cast<uint16_t>(*serial));
        AppendU16(item, static_cast<uint16_t>(*year));
        items.push_back({std::move(item), {}});
    }
    if (std::all_of(c_.ranges.begin(), c_.ranges.end(),
                    [](const std::string& r) { return ParseNumber(r); })) {
        TBytes item{CMD_SVC_RANGES};
        for (double v : RangeValues(c_.ranges))
            AppendF32(item, static_cast<float>(v));
        items.push_back({std::move(item), {}});
    }
    items.push_back({{CMD_DEFAULT_RANGE, static_cast<uint8_t>(std::max(c_.defaultRange, 0))}, {}});
    RearmFlags();
    awaitingRun_ = true;
    return items;
}

void TIdentityProgrammer::RunAnswered() {
    awaitingRun_ = false;
    RearmFlags();
}

// --- what the page shows ---------------------------------------------------------------

TDescriptorParts TIdentityProgrammer::Parts() const {
    TDescriptorParts p;
    p.spectral = c_.spectral;
    p.lumMode = c_.lumMode;
    p.aperture = c_.aperture;
    p.ranges = RangeValues(c_.ranges);
    const auto valid = ValidateRanges(c_.ranges);
    p.rangesValid = valid[0] && valid[1] && valid[2];
    p.config = c_.config;
    p.version = c_.version;
    return p;
}

void TIdentityProgrammer::Recompose() {
    shownDescriptor_ = ComposeDescriptor(Parts());
}

bool TIdentityProgrammer::Programmed(TSvcField field) const {
    const auto number = [](const std::string& box, uint16_t read) {
        const auto v = ParseInteger(box);
        return v && *v == read;
    };
    switch (field) {
    case sfName:
        return shownDescriptor_ == read_.MeterName;
    case sfSerial:
        return number(c_.serial, read_.SerialNumber);
    case sfYear:
        return number(c_.year, read_.ProductionYear);
    case sfKind:
        return c_.kind + 1 == read_.MeterKind;
    case sfSpectral:
        return RemoveBlanks(c_.spectral) == RemoveBlanks(read_.Spectral);
    case sfLumMode:
        return c_.lumMode == (read_.LumMode != 0);
    case sfAngle:
        // The descriptor carries the field with "."; the box the locale's separator.
        return WithSeparator(c_.aperture, '.') == WithSeparator(read_.Aperture, '.');
    case sfRange0:
    case sfRange1:
    case sfRange2: {
        const int i = field - sfRange0;
        const auto v = ParseNumber(c_.ranges[static_cast<size_t>(i)]);
        if (!v || (i == 0 ? *v <= 0 : *v < 0) || !SameRangeValue(*v, read_.Ranges[static_cast<size_t>(i)]))
            return false;
        return c_.defaultRange != i || read_.DefaultRange == i;
    }
    case sfDefaultRange:
        return c_.defaultRange == read_.DefaultRange;
    case sfConfig:
        return c_.config == read_.Config;
    case sfVersion:
        return c_.version == read_.Version;
    default:
        return false;
    }
}

bool TIdentityProgrammer::Valid(TSvcField field) const {
    switch (field) {
    case sfName:
        return !shownDescriptor_.empty();
    case sfSerial:
        return IsValidSerialText(c_.serial);
    case sfYear:
        return IsValidYearText(c_.year);
    case sfKind:
        return KindChosen(c_.kind);
    case sfSpectral:
        return IsValidSpectralText(c_.spectral);
    case sfLumMode:
        return !c_.lumMode || IsValidMeasuringField(c_.aperture);
    case sfAngle:
        return IsValidMeasuringField(c_.aperture);
    case sfRange0:
    case sfRange1:
    case sfRange2:
        return ValidateRanges(c_.ranges)[static_cast<size_t>(field - sfRange0)];
    case sfDefaultRange:
        return c_.defaultRange >= 0 && c_.defaultRange < 3 &&
               RangeValues(c_.ranges)[static_cast<size_t>(c_.defaultRange)] != 0;
    case sfVersion:
        return IsValidVersionText(c_.version);
    default:
        return true; // the configuration takes any value
    }
}

bool TIdentityProgrammer::AllValid() const {
    for (int f = sfName; f < SVC_FIELD_COUNT; ++f)
        if (f != sfAngle && !Valid(static_cast<TSvcField>(f))) return false;
    return true;
}

TFieldState TIdentityProgrammer::Field(TSvcField field) const {
    const TSettingsEnabled on = Enabled();
    TFieldState s;
    s.programmed = Programmed(field);
    s.valid = Valid(field);
    s.statusVisible = identityRead_;
    s.markVisible = identityRead_;
    switch (field) {
    case sfSpectral: {
        const auto& items = SpectralItems();
        s.unknown = s.valid && std::find(items.begin(), items.end(), c_.spectral) == items.end();
        break;
    }
    case sfLumMode:
        s.markVisible = on.lumBox;
        break;
    case sfAngle:
        s.statusVisible = s.markVisible = on.angle;
        break;
    case sfDefaultRange:
        s.statusVisible = false; // told by the range rows
        break;
    case sfConfig:
        s.statusVisible = s.markVisible = configRead_;
        break;
    default:
        break;
    }
    return s;
}

TSettingsEnabled TIdentityProgrammer::Enabled() const {
    TSettingsEnabled e;
    e.fields = identityRead_;
    e.lumBox = identityRead_ && c_.kind != KIND_INDEX_AMPEREMETER;
    e.angle = e.lumBox && c_.lumMode;
    e.config = configRead_;
    e.program = identityRead_ && AllValid();
    e.open = openEnabled_;
    return e;
}

} // namespace k730
