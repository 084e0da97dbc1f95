#pragma once

#include <QString>

#include <deque>
#include <functional>
#include <vector>

namespace ro {

/// Buttons, icon and default button of a message box, combined with |, in the
/// classic style word the program's texts were written against.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

/// The button the user pressed.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7
};

/// One message box as it was asked for.
struct MessageBoxRequest {
    QString prompt;
    int style = vbOKOnly;
    QString title;
};

using MessageBoxHandler = std::function<int(const MessageBoxRequest &)>;

/// Shows a modal message box (or hands it to the installed handler) and returns
/// the button pressed. An empty title means the application's name.
int MsgBox(const QString &prompt, int style = vbOKOnly, const QString &title = {});

/// Replaces how message boxes are shown and returns the previous handler; an
/// empty handler restores the default (QMessageBox, or stderr without a GUI).
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

/// The answer a box gets when nobody chooses: its default button.
int DefaultAnswer(int style);

/// Records every message box while it lives and answers them from a queue
/// (falling back to each box's default button); restores the previous handler.
class ScopedMessageBoxRecorder {
public:
    ScopedMessageBoxRecorder();
    ~ScopedMessageBoxRecorder();
    ScopedMessageBoxRecorder(const ScopedMessageBoxRecorder &) = delete;
    ScopedMessageBoxRecorder &operator=(const ScopedMessageBoxRecorder &) = delete;

    /// Queues the answer for the next box shown.
    void Answer(int result) { m_answers.push_back(result); }
    /// Every box shown so far, oldest first.
    const std::vector<MessageBoxRequest> &Shown() const { return m_shown; }
    void Clear() { m_shown.clear(); }

private:
    std::vector<MessageBoxRequest> m_shown;
    std::deque<int> m_answers;
    MessageBoxHandler m_previous;
};

} // namespace ro
