#pragma once

class QWidget;

// Asks the desktop to "open" a file, folder, web address or mailto address. False for a null or empty
// text, otherwise true whatever the desktop did. In test mode (seams::EnableTestMode) nothing is opened
// and the target is recorded instead.
bool ShellOpen(const char* target);
// The product's home page.
void OpenHomePage();
// The last targets handed to ShellOpen in test mode.
#include <QStringList>
const QStringList& ShellOpenedTargets();

// The wizard's main window: the owner of the troubleshooting dialog and of the wait window's return.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();
