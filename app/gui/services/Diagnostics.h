#pragma once

#include <QString>

#include <exception>

class QWidget;

// The troubleshooting dialog over the main window.
void ShowTroubleshooting();
// The bug-report dialog over `owner`; `what`, when given, says in plain words what went wrong.
void ShowBugReport(QWidget* owner, const QString& what = QString());

// What the user is told of a caught exception: that memory ran out, or that an unexpected error
// happened; each with what to do next. The exception's own text is for the debug log only: a library's
// words such as "std::bad_alloc" tell the user nothing.
QString FailureText(const std::exception_ptr& error);
