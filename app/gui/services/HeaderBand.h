#pragma once

#include <QWidget>

class QIcon;
class QLabel;
class QPainter;
class QRectF;

// The white band at the top of the main window and the dialogs: our logo, the blue bold "Velloran" and,
// where given, a step description below it. Clicking the title opens the home page.
class HeaderBand : public QWidget
{
    Q_OBJECT
public:
    // `stepName`: the objectName of the step label, or null for a band without one.
    HeaderBand(int height, const char* stepName, QWidget* parent = nullptr);

    QLabel* titleLabel() const { return m_title; }
    QLabel* stepLabel() const { return m_step; }

private:
    QLabel* m_title = nullptr;
    QLabel* m_step = nullptr;
};

// The application-wide look: Fusion with a light palette.
void ApplyVelloranStyle();

// The logo, drawn in code rather than from logo.svg (which the desktop entry and the Windows program's
// icon use), so that the windows need no SVG support; a test holds the two pictures together.
void DrawLogo(QPainter& painter, const QRectF& target);
// The logo as the windows' icon, in the sizes desktops ask for.
QIcon LogoIcon();
