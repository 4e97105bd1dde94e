#pragma once

class QWidget;

// The "please wait" window shown while the helpers run. All four may be called from any thread; the
// window itself lives on the GUI thread. At most one is up at a time; a stop that comes before the window
// is up is not lost.

// False when a wait is already up (that one goes on) or there is no application object. `owner` gets the
// front back when the wait ends and must outlive it.
bool StartWaitWindow(QWidget* owner);
void SetWaitWindowText(const char* text);
void SetWaitWindowFile(const char* path);
void StopWaitWindow();
