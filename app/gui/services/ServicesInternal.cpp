#include "ServicesInternal.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWidget>

namespace {

class ClickFilter : public QObject
{
public:
    ClickFilter(QWidget* widget, std::function<void()> action) : QObject(widget), m_action(std::move(action)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            // Released elsewhere, the press was taken back.
            if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint()))
                m_action();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

void OnLeftClick(QWidget* widget, std::function<void()> action)
{
    widget->installEventFilter(new ClickFilter(widget, std::move(action)));
}

void CentreOnScreen(QWidget* window, QWidget* owner)
{
    QScreen* screen = owner ? owner->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->geometry();
    window->move(desktop.x() + (desktop.width() - window->width()) / 2,
                 desktop.y() + (desktop.height() - window->height()) / 2);
}
