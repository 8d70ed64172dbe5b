// TDiodeLED2: the small activity lamp of the main window, drawn from a sprite
// sheet with one column per colour and an unlit and a lit row.
// TLEDBlinkThread: the short-lived thread behind a flash; it asks for the lamp
// to be lit, waits, and asks for it to go out again.
#pragma once

#include <QImage>
#include <QWidget>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace k730 {

enum TLEDColor : int { cLED_Blue, cLED_Green, cLED_Yellow, cLED_Red, cLED_White };

// One flash: `post(true)` at once, `post(false)` after `durationMs`, both from
// the flash's own thread (the poster hands them to the lamp's thread). A flash
// that is stopped early, because a new one starts or the lamp goes away, does
// not post its end: whoever stopped it owns the lamp from then on.
class TLEDBlinkThread {
public:
    using TPost = std::function<void(bool lit)>;

    TLEDBlinkThread(TPost post, int durationMs);
    ~TLEDBlinkThread(); // stops the wait and joins
    TLEDBlinkThread(const TLEDBlinkThread&) = delete;
    TLEDBlinkThread& operator=(const TLEDBlinkThread&) = delete;

private:
    void Run(TPost post, int durationMs);

    std::mutex mutex_;           // guards stop_
    std::condition_variable cv_; // wakes the wait when stop_ is set
    bool stop_ = false;
    std::thread thread_; // last member: starts once the others exist
};

class TDiodeLED2 : public QWidget {
    Q_OBJECT
public:
    explicit TDiodeLED2(QWidget* parent = nullptr);
    ~TDiodeLED2() override;

    // The colour shown between flashes.
    void SetColor(TLEDColor color);
    TLEDColor Color() const { return color_; }
    void SetLit(bool lit);
    bool Lit() const { return lit_; }
    // The colour being shown now (a flash's colour while it runs).
    TLEDColor ShownColor() const { return flashing_ ? flashColor_ : color_; }

    // Lights the lamp in `color` for `durationMs`, then returns to the base
    // colour, unlit. A new flash replaces one still running.
    void Blink(TLEDColor color, int durationMs);

    QSize sizeHint() const override { return {15, 15}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void FlashStep(bool lit);

    QImage sprites_;
    TLEDColor color_ = cLED_White;
    TLEDColor flashColor_ = cLED_Green;
    bool lit_ = false;
    bool flashing_ = false;
    std::unique_ptr<TLEDBlinkThread> blink_;
};

} // namespace k730
