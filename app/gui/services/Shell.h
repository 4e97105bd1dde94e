#pragma once

#include <QStringList>

class QWidget;

// Asks the desktop to "open" a file, folder, web address or mailto address. False for a null or empty
// text, otherwise true whatever the desktop did. In test mode (seams::EnableTestMode) nothing is opened
// and the target is recorded instead.
bool ShellOpen(const char* target);
// The product's home page.
void OpenHomePage();
// The targets handed to ShellOpen in test mode, oldest first.
const QStringList& ShellOpenedTargets();

// The wizard's main window: the owner of the troubleshooting dialog.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();
