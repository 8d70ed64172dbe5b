#include "main/LEDLamp2.h"

#include "resources/K730Bitmaps.h"

#include <QPainter>

#include <chrono>

namespace k730 {

TLEDBlinkThread::TLEDBlinkThread(TPost post, int durationMs)
    : thread_(&TLEDBlinkThread::Run, this, std::move(post), durationMs) {}

TLEDBlinkThread::~TLEDBlinkThread() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    thread_.join();
}

void TLEDBlinkThread::Run(TPost post, int durationMs) {
    post(true);
    std::unique_lock lock(mutex_);
    if (cv_.wait_for(lock, std::chrono::milliseconds(durationMs), [this] { return stop_; })) return;
    lock.unlock();
    post(false);
}

TDiodeLED2::TDiodeLED2(QWidget* parent)
    : QWidget(parent), sprites_(K730Bitmap("LEDSPRITES", devicePixelRatioF())) {
    setFixedSize(LedSpriteSize, LedSpriteSize);
    setAttribute(Qt::WA_TranslucentBackground);
}

// The flash thread is joined before the widget goes, so it never posts to a
// lamp that no longer exists; events it already posted die with the object.
TDiodeLED2::~TDiodeLED2() {
    blink_.reset();
}

void TDiodeLED2::SetColor(TLEDColor color) {
    color_ = color;
    update();
}

void TDiodeLED2::SetLit(bool lit) {
    lit_ = lit;
    update();
}

void TDiodeLED2::Blink(TLEDColor color, int durationMs) {
    blink_.reset(); // an unfinished flash hands the lamp over to this one
    flashColor_ = color;
    blink_ = std::make_unique<TLEDBlinkThread>(
        [this](bool lit) {
            QMetaObject::invokeMethod(
                this, [this, lit] { FlashStep(lit); }, Qt::QueuedConnection);
        },
        durationMs);
}

void TDiodeLED2::FlashStep(bool lit) {
    flashing_ = lit;
    lit_ = lit;
    update();
}

void TDiodeLED2::paintEvent(QPaintEvent*) {
    if (sprites_.devicePixelRatio() != devicePixelRatioF())
        sprites_ = K730Bitmap("LEDSPRITES", devicePixelRatioF());
    QPainter painter(this);
    const qreal scale = sprites_.devicePixelRatio();
    const int column = static_cast<int>(ShownColor());
    const QRectF source(column * LedSpriteSize * scale, (lit_ ? LedSpriteSize : 0) * scale,
                        LedSpriteSize * scale, LedSpriteSize * scale);
    painter.drawImage(QRectF(0, 0, LedSpriteSize, LedSpriteSize), sprites_, source);
}

} // namespace k730
