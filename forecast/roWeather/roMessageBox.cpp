#include "roMessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>

namespace ro {
namespace {

// The one process-wide hook: tests and the dump tool replace how boxes appear.
MessageBoxHandler &installedHandler()
{
    static MessageBoxHandler handler;
    return handler;
}

QMessageBox::Icon iconOf(int style)
{
    switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    int result;
};

std::vector<ButtonSpec> buttonsOf(int style)
{
    switch (style & 0x7) {
    case vbOKCancel: return {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
    case vbYesNoCancel: return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
    case vbYesNo: return {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}};
    case vbRetryCancel: return {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}};
    default: return {{QMessageBox::Ok, vbOK}};
    }
}

std::size_t defaultIndex(int style, std::size_t count)
{
    return std::min<std::size_t>(static_cast<std::size_t>((style >> 8) & 0x3), count - 1);
}

// The answer when the box is closed without a button: Cancel where offered.
int closeAnswer(const std::vector<ButtonSpec> &buttons)
{
    for (const auto &choice : buttons) {
        if (choice.result == vbCancel)
            return vbCancel;
    }
    return buttons.size() == 1 ? buttons.front().result : vbCancel;
}

int showWithQt(const MessageBoxRequest &request)
{
    const auto buttons = buttonsOf(request.style);
    QMessageBox::StandardButtons all;
    for (const auto &choice : buttons)
        all |= choice.button;
    // The texts break lines with a bare CR, which Qt would not show as a line break.
    QString text = request.prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(iconOf(request.style), request.title, text, all);
    box.setDefaultButton(buttons[defaultIndex(request.style, buttons.size())].button);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    const auto pressed = box.exec();
    for (const auto &choice : buttons) {
        if (choice.button == pressed)
            return choice.result;
    }
    return closeAnswer(buttons);
}

int reportOnConsole(const MessageBoxRequest &request)
{
    std::fprintf(stderr, "[%s] %s\n", qPrintable(request.title), qPrintable(request.prompt));
    return DefaultAnswer(request.style);
}

} // namespace

int DefaultAnswer(int style)
{
    const auto buttons = buttonsOf(style);
    return buttons[defaultIndex(style, buttons.size())].result;
}

int MsgBox(const QString &prompt, int style, const QString &title)
{
    MessageBoxRequest request{prompt, style, title.isEmpty() ? QCoreApplication::applicationName() : title};
    if (const auto &handler = installedHandler())
        return handler(request);
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr)
        return showWithQt(request);
    return reportOnConsole(request);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    auto previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}

ScopedMessageBoxRecorder::ScopedMessageBoxRecorder()
{
    m_previous = SetMessageBoxHandler([this](const MessageBoxRequest &request) {
        m_shown.push_back(request);
        if (m_answers.empty())
            return DefaultAnswer(request.style);
        const int answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    });
}

ScopedMessageBoxRecorder::~ScopedMessageBoxRecorder()
{
    SetMessageBoxHandler(std::move(m_previous));
}

} // namespace ro
