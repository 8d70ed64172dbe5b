// TIdentityProgrammer: the rules of the service window's settings page, which
// programs a meter's identity memory (kind, spectral response, luminance
// measurement and measuring field, ranges, default range, configuration,
// version, serial number and year). It holds what the boxes show, what the
// meter reported, which answers are still awaited, the editing aids, the
// status of each field against the meter, the validity checks, the template
// mapping and the requests of a programming run. Toolkit-free: the page shows
// Controls() and Field() and forwards every edit here.
#pragma once

#include "files/TemplateLib.h"
#include "main/MeterInfo.h"
#include "protocol/RequestScheduler.h"
#include "service/ServiceDescriptor.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace k730 {

// What the meter reported, filled when its identity arrives after a refresh
// or a programming run.
struct TMeterSettings {
    std::string MeterName;         // descriptor: first line of the identity text
    uint8_t MeterKind = 0;         // kind 1..4 (the luminance bit is LumMode)
    std::string Spectral;          // descriptor field 2
    uint8_t LumMode = 0;           // luminance flag as reported
    std::string Aperture;          // measuring field from descriptor field 4
    std::array<float, 3> Ranges{}; // full scales; missing ranges are 0
    uint8_t RangeCount = 0;
    uint8_t DefaultRange = 0;
    uint8_t Config = 0;
    std::string Version; // descriptor field 6
    uint16_t SerialNumber = 0;
    uint16_t ProductionYear = 0;
    std::string FirmwareVersion;
};

// The fields of the page, each with a status label and a validity mark.
enum TSvcField : uint8_t {
    sfName,
    sfSerial,
    sfYear,
    sfKind,
    sfSpectral,
    sfLumMode,
    sfAngle,
    sfRange0,
    sfRange1,
    sfRange2,
    sfDefaultRange,
    sfConfig,
    sfVersion,
    SVC_FIELD_COUNT
};

// Index of the amperemeter in the kind list (kinds 1..4 at indices 0..3).
constexpr int KIND_INDEX_AMPEREMETER = 3;
constexpr int KIND_COUNT = 4;

// What the boxes of the page hold.
struct TSettingsControls {
    std::string serial;
    std::string year;
    int kind = -1; // index into the kind list, -1 = none chosen
    std::string spectral;
    bool lumMode = false;
    std::string aperture;
    std::array<std::string, 3> ranges;
    int defaultRange = -1; // the ticked default-range box, -1 = none
    uint8_t config = 0;    // box i = bit i
    std::string version;
};

// How one field is shown.
struct TFieldState {
    bool statusVisible = false; // "zaprogramowane" / "niezaprogramowane"
    bool programmed = false;    // the box equals what the meter reported
    bool markVisible = false;
    bool valid = false;
    bool unknown = false; // valid, but not one of the known values ("?")
};

struct TSettingsEnabled {
    bool fields = false;  // serial, year, kind, spectral, ranges, default range, version
    bool lumBox = false;  // not for an amperemeter
    bool angle = false;   // measuring field and its unit buttons
    bool config = false;  // the eight configuration boxes
    bool program = false; // "Programuj" and "Dopisz"
    bool open = false;    // "Otwórz..." and the last-template entry
};

class TIdentityProgrammer {
public:
    TIdentityProgrammer(char decimalSeparator, TSpectralLists lists);

    // Spectral-response names per kind group, reread after the library changed.
    void SetSpectralLists(TSpectralLists lists);
    const std::vector<std::string>& SpectralItems() const;

    // Every answer awaited again, boxes emptied and disabled, nothing known.
    void Reset();
    // After a response time-out: the answers are awaited again.
    void RearmFlags();
    // The address requests go to (0xFFFF = unknown: nothing is programmed).
    void SetMeterAddress(uint16_t address) { address_ = address; }

    // --- answers --------------------------------------------------------------
    void Identity(const TMeterInfo& info);
    void Config(uint8_t config);
    void DefaultRange(uint8_t index);
    void Results(); // a status answer: the results block is known

    // --- edits, each as the box reports its new text ----------------------------
    void EditSerial(const std::string& text);
    void EditYear(const std::string& text);
    void ChooseKind(int index);
    void EditSpectral(const std::string& text);
    void SwitchLumMode(bool on);
    void EditAngle(const std::string& text);
    void AngleSign(std::string_view sign); // the three unit buttons
    void EditRange(int index, const std::string& text);
    void TickDefaultRange(int index, bool ticked);
    void SwitchConfigBit(int bit, bool on);
    void EditVersion(const std::string& text);

    // --- templates --------------------------------------------------------------
    // Fills the boxes from a template (serial number and year stay); true
    // when it is worth remembering as the last template (valid kind, a name).
    bool ApplyTemplate(const TTemplateRec& t);
    // The values to be programmed; UserName stays empty.
    TTemplateRec CurrentTemplate() const;

    // --- programming --------------------------------------------------------------
    // The requests of a programming run, in order; nothing when the entries
    // are not valid or no meter address is known. The answers are awaited
    // again and no answer overwrites what was typed from now on.
    std::optional<std::vector<TQueueItem>> Program();
    // Every request of the run has been answered. Answers that came before
    // may be to reads sent before the writes, so only later ones count.
    void RunAnswered();
    bool AwaitingRun() const { return awaitingRun_; }

    // --- what the page shows ----------------------------------------------------------
    const TSettingsControls& Controls() const { return c_; }
    const TMeterSettings& ReadRecord() const { return read_; }
    const std::string& ShownDescriptor() const { return shownDescriptor_; }
    TFieldState Field(TSvcField field) const;
    TSettingsEnabled Enabled() const;
    bool Programming() const { return programming_; }
    bool ExpectingIdentity() const { return expectIdentity_; }
    bool ExpectingConfig() const { return expectConfig_; }
    bool ExpectingDefaultRange() const { return expectDefault_; }
    bool ExpectingResults() const { return expectResults_; }

private:
    bool Programmed(TSvcField field) const;
    bool Valid(TSvcField field) const;
    bool AllValid() const;
    TDescriptorParts Parts() const;
    void Recompose();
    void AfterAnswer();

    const char separator_;
    TSpectralLists lists_;
    TSettingsControls c_;
    TMeterSettings read_;
    std::string shownDescriptor_;
    uint16_t address_ = 0xFFFF;

    // Answers still awaited.
    bool expectIdentity_ = true;
    bool expectConfig_ = true;
    bool expectDefault_ = true;
    bool expectResults_ = true;
    bool programming_ = false; // set by a programming run, cleared by a reset
    bool awaitingRun_ = false; // the run's requests are still being answered
    bool identityRead_ = false;
    bool configRead_ = false;
    bool openEnabled_ = false;

    std::string lastAngle_;     // restored when luminance measurement comes back
    bool lumBeforeAmp_ = false; // luminance state while the amperemeter forces it off
};

} // namespace k730
