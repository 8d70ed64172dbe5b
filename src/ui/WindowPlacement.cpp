#include "ui/WindowPlacement.h"

#include "ui/ConfLayout.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace k730 {

void CentreOverOwner(QWidget* window, const QWidget* owner) {
    const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    if (!window || !screen) return;
    const QRect work = screen->availableGeometry();
    std::optional<TConfRect> over;
    if (owner && !owner->window()->isMinimized()) {
        const QRect r = owner->window()->frameGeometry();
        over = TConfRect{r.x(), r.y(), r.width(), r.height()};
    }
    const QSize size = window->frameGeometry().size();
    const TConfRect placed =
        PlaceDialog({work.x(), work.y(), work.width(), work.height()}, over, {size.width(), size.height()});
    window->move(placed.x, placed.y);
}

} // namespace k730
