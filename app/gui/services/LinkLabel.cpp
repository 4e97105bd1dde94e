#include "LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

LinkLabel::LinkLabel(const QString& text, const QColor& colour, QWidget* parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    // Room for the focus frame around the text.
    setContentsMargins(2, 1, 2, 1);
    QFont linkFont = font();
    linkFont.setUnderline(true);
    setFont(linkFont);
    QPalette linkPalette = palette();
    linkPalette.setColor(QPalette::Active, QPalette::WindowText, colour);
    linkPalette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    linkPalette.setColor(QPalette::Disabled, QPalette::WindowText, colour.lighter(160));
    setPalette(linkPalette);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // Released elsewhere, the press was taken back.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit activated();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void LinkLabel::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (!event->isAutoRepeat())
            emit activated();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void LinkLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Drawn here rather than by the style, which may show focus frames only after a Tab.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
