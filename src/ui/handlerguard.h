#pragma once

#include "platform/api/failure.h"

#include <functional>
#include <QPointer>
#include <QString>

class MessageBox;
class QObject;

// The error box: the name, CR LF, the error number in decimal, five spaces and the
// description, with an OK button only.
void showErrorBox(MessageBox &messageBox, const QString &name, const PlatformError &error);

// Runs the handlers that Qt calls on one window: a failure that no handler caught goes to
// the report and the window keeps running. While any of them runs, the window is not
// deleted (see deleteWhenIdle).
class HandlerGuard
{
public:
    // report: what a guarded handler's failure does. beforeUser: what runs before a handler
    // the user started; errorBox: how the work of a command shows its failure.
    explicit HandlerGuard(Failure::Reporter report, std::function<void()> beforeUser = {},
                          Failure::Reporter errorBox = {});
    HandlerGuard(const HandlerGuard &) = delete;
    HandlerGuard &operator=(const HandlerGuard &) = delete;

    template<typename Handler> void run(const char *name, Handler &&handler)
    {
        const Scope running(*this);
        Failure::guard(m_report, QString::fromLatin1(name), std::forward<Handler>(handler));
    }

    // A handler that the user started: the message of what the user did before goes first, so
    // that the line shows only what this one says.
    template<typename Handler> void user(const char *name, Handler &&handler)
    {
        if (m_beforeUser)
            m_beforeUser();
        run(name, std::forward<Handler>(handler));
    }

    // Report and leave: a failure ends the work and shows the error box under name (which
    // need not be the handler's own); a dialog's cancel ends it quietly unless told otherwise.
    template<typename Work>
    void report(const char *name, Work &&work,
                Failure::DialogCancel cancel = Failure::DialogCancel::EndsQuietly)
    {
        Failure::reportAndLeave(
            std::forward<Work>(work),
            [&](const PlatformError &error) { m_errorBox(QString::fromLatin1(name), error); },
            cancel);
    }

    // Deletes holder (the window, or what holds it) once no guarded handler is running. A
    // close may arrive in a nested event loop inside a handler (a fetch, a page script, a
    // dialog); the handler must be able to end on a live window.
    void deleteWhenIdle(QObject *holder);

private:
    class Scope
    {
    public:
        explicit Scope(HandlerGuard &guard);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        HandlerGuard &m_guard;
    };

    Failure::Reporter m_report;
    std::function<void()> m_beforeUser;
    Failure::Reporter m_errorBox;
    int m_running = 0;
    QPointer<QObject> m_pendingDeletion;
};
