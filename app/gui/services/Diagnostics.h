#pragma once

class QWidget;

// The troubleshooting dialog over the main window.
void ShowTroubleshooting();
// The bug-report dialog over `owner`.
void ShowBugReport(QWidget* owner);
