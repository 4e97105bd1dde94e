#pragma once

// Every modal question and file dialog of the program goes through here, so that tests can answer
// them without a window ever blocking: in test mode the next queued answer is returned at once and
// what would have been shown is recorded.

#include <QMessageBox>
#include <QString>

#include <vector>

class QWidget;

namespace seams {

// A standard message box owned by `owner` (QMessageBox with that icon, caption, text and buttons), with
// `defaultButton` taking Enter when one is given.
QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The platform's open-file dialog owned by `owner`, starting on `initialFile`. Empty when cancelled.
QString GetOpenFileName(QWidget* owner, const QString& filter, const QString& initialFile);

// Runs a created dialog modally and returns its result. Tests may answer it instead (see below).
int ExecDialog(QWidget* dialog);

// --- For tests -------------------------------------------------------------------------------------
struct ShownMessage
{
    QMessageBox::Icon icon;
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
};

struct ShownFileDialog
{
    QString filter;
    QString initialFile;
};

// From now on nothing modal is shown: messages take queued answers (else the default button: the one
// given, OK, or the first of the buttons), file dialogs take queued paths (else cancel).
void EnableTestMode();
bool IsTestMode();
void QueueMessageAnswer(QMessageBox::StandardButton answer);
void QueueFileDialogAnswer(const QString& path);
// A dialog run through ExecDialog in test mode is handed to this function (when set) while it is up,
// then gets the result the function returns. Without a function the dialog is rejected.
void SetDialogHandler(int (*handler)(QWidget* dialog));
// A message shown through ShowMessage in test mode is built as a real box and handed to this function
// (when set) while it is up, for a picture say; the queued answer or the default one is still returned.
void SetMessageHandler(void (*handler)(QMessageBox* box));
const std::vector<ShownMessage>& ShownMessages();
const std::vector<ShownFileDialog>& ShownFileDialogs();
// Forgets what was shown and opened (ShellOpenedTargets too) and every answer not used yet.
void ClearRecorded();

} // namespace seams
