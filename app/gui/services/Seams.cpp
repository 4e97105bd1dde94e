#include "Seams.h"

#include "ServicesInternal.h"

#include <QDialog>
#include <QFileDialog>

#include <deque>

namespace seams {

namespace {

// Touched from the GUI thread only, like the dialogs themselves.
struct TestState
{
    bool enabled = false;
    std::deque<QMessageBox::StandardButton> messageAnswers;
    std::deque<QString> fileAnswers;
    int (*dialogHandler)(QWidget*) = nullptr;
    void (*messageHandler)(QMessageBox*) = nullptr;
    std::vector<ShownMessage> messages;
    std::vector<ShownFileDialog> fileDialogs;
};

TestState& State()
{
    static TestState state;
    return state;
}

QMessageBox::StandardButton DefaultAnswer(QMessageBox::StandardButtons buttons)
{
    if (buttons.testFlag(QMessageBox::Ok) || buttons == QMessageBox::NoButton)
        return QMessageBox::Ok;
    // The lowest flag is the first button.
    const auto bits = static_cast<unsigned>(buttons.toInt());
    return static_cast<QMessageBox::StandardButton>(bits & (~bits + 1));
}

} // namespace

QMessageBox::StandardButton ShowMessage(QWidget* owner, QMessageBox::Icon icon, const QString& caption,
                                        const QString& text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton)
{
    TestState& state = State();
    if (state.enabled) {
        state.messages.push_back({icon, caption, text, buttons});
        if (state.messageHandler) {
            QMessageBox box(icon, caption, text, buttons, owner);
            if (defaultButton != QMessageBox::NoButton)
                box.setDefaultButton(defaultButton);
            box.show();
            state.messageHandler(&box);
        }
        if (state.messageAnswers.empty())
            return defaultButton != QMessageBox::NoButton ? defaultButton : DefaultAnswer(buttons);
        const QMessageBox::StandardButton answer = state.messageAnswers.front();
        state.messageAnswers.pop_front();
        return answer;
    }
    QMessageBox box(icon, caption, text, buttons, owner);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QString GetOpenFileName(QWidget* owner, const QString& filter, const QString& initialFile)
{
    TestState& state = State();
    if (state.enabled) {
        state.fileDialogs.push_back({filter, initialFile});
        if (state.fileAnswers.empty())
            return QString();
        QString answer = state.fileAnswers.front();
        state.fileAnswers.pop_front();
        return answer;
    }
    return QFileDialog::getOpenFileName(owner, QString(), initialFile, filter);
}

int ExecDialog(QWidget* dialog)
{
    auto* modal = qobject_cast<QDialog*>(dialog);
    if (!modal)
        return QDialog::Rejected;
    TestState& state = State();
    if (!state.enabled)
        return modal->exec();
    if (!state.dialogHandler)
        return QDialog::Rejected;
    modal->show();
    const int result = state.dialogHandler(modal);
    // The handler may have closed the dialog itself through one of its buttons.
    if (modal->isVisible())
        modal->done(result);
    return result;
}

void EnableTestMode()
{
    State().enabled = true;
}

bool IsTestMode()
{
    return State().enabled;
}

void QueueMessageAnswer(QMessageBox::StandardButton answer)
{
    State().messageAnswers.push_back(answer);
}

void QueueFileDialogAnswer(const QString& path)
{
    State().fileAnswers.push_back(path);
}

void SetDialogHandler(int (*handler)(QWidget* dialog))
{
    State().dialogHandler = handler;
}

void SetMessageHandler(void (*handler)(QMessageBox* box))
{
    State().messageHandler = handler;
}

const std::vector<ShownMessage>& ShownMessages()
{
    return State().messages;
}

const std::vector<ShownFileDialog>& ShownFileDialogs()
{
    return State().fileDialogs;
}

void ClearRecorded()
{
    TestState& state = State();
    state.messages.clear();
    state.fileDialogs.clear();
    state.messageAnswers.clear();
    state.fileAnswers.clear();
    ClearShellOpenedTargets();
}

} // namespace seams
