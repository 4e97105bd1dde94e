#pragma once

#include <QStringList>

class QWidget;

// Asks the desktop to "open" a file, folder, web address or mailto address. False for a null or empty
// text, otherwise true whatever the desktop did. In test mode (seams::EnableTestMode) nothing is opened
// and the target is recorded instead.
bool ShellOpen(const char* target);
// The product's home page.
void OpenHomePage();

// The help page every build ships beside the program.
constexpr const char* kHelpPageName = "Velloran.html";
// The help page at one of its sections, as a file address ("file:///.../Velloran.html#section"); empty
// when the program folder is unknown.
QString HelpSectionAddress(const char* section);
// Opens the help page at that section. False when the program folder is unknown.
bool OpenHelpSection(const char* section);
// The targets handed to ShellOpen in test mode, oldest first.
const QStringList& ShellOpenedTargets();

// The wizard's main window: the owner of the troubleshooting dialog.
void SetMainWindow(QWidget* window);
QWidget* MainWindow();
