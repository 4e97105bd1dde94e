#pragma once

// Shared between the service sources only.

// Forgets the targets recorded by ShellOpen in test mode (part of seams::ClearRecorded).
void ClearShellOpenedTargets();

#include <functional>

class QWidget;

// Runs `action` when a left click is released over `widget` (labels that act like links).
void OnLeftClick(QWidget* widget, std::function<void()> action);

// Moves a window of the given size to the middle of its owner's screen (or the primary one).
void CentreOnScreen(QWidget* window, QWidget* owner);
