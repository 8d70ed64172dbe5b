// TServiceLink: the main window's side of the service window — opening it
// from "Tryb serwisowy" and the service button (a second time brings it to
// the front), the check mark in the View menu, the fresh start of the meter
// requests on opening, the hand-over of the answers, and the requests of a
// programming run and of "Odśwież" through the connection controller.
#pragma once

#include "main/ControllerHooks.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>

namespace k730 {

class TFormService;
class TMainForm;
class TMeterController;
struct TMinMaxAv;
struct TProgramSettings;

class TServiceLink : public QObject {
    Q_OBJECT
public:
    TServiceLink(TMainForm& main, TMeterController& controller, TProgramSettings& settings, int language,
                 std::string libraryPath, std::function<uint32_t()> now);
    ~TServiceLink() override;

    // The template library the next opened window works with.
    void SetLibraryPath(std::string path) { libraryPath_ = std::move(path); }
    // Opens the window, or restores it and brings it to the front.
    void Open();
    TFormService* Form() const;

    // --- answers, while the window is open ----------------------------------------
    void Notify(TServiceNotice notice);
    void AddressAndMode(uint16_t merBusAddress, uint8_t mode);
    void Identity(const TMeterInfo& info);
    void Config(uint8_t config);
    void DefaultRange(uint8_t index);
    void Status(const TBytes& frame);
    void ModBusAddress(uint8_t address);
    void ForcingValue(uint32_t dac);
    void CalibrationSaved(const TCalibrationSavedAnswer& saved);
    void RangeFactors(const std::array<float, 3>& factors);
    void TempCoefficient(float fractionPerKelvin);
    void Frame(const TBytes& frame);

    // The main window's statistics while their view is on.
    void SetAverages(std::function<const TMinMaxAv*()> averages) { averages_ = std::move(averages); }

private:
    void Place();
    void Closed();

    TMainForm& main_;
    TMeterController& controller_;
    TProgramSettings& settings_;
    const int lang_;
    std::string libraryPath_;
    std::function<uint32_t()> now_;
    std::function<const TMinMaxAv*()> averages_;
    QPointer<TFormService> form_;
    bool runActive_ = false; // a programming run's requests are in the queue
};

} // namespace k730
