#pragma once

#include <QWidget>

class QLabel;

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
