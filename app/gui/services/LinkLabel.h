#pragma once

#include <QColor>
#include <QLabel>

// A label that acts as a link: coloured, underlined, with the hand cursor. A left click, or Enter or
// Space while it has the focus, activates it; Tab reaches it, and the focus shows as a dotted frame.
class LinkLabel : public QLabel
{
    Q_OBJECT
public:
    LinkLabel(const QString& text, const QColor& colour, QWidget* parent);

signals:
    void activated();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};
