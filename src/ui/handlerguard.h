#pragma once

#include "platform/api/failure.h"

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
    explicit HandlerGuard(Failure::Reporter report);
    HandlerGuard(const HandlerGuard &) = delete;
    HandlerGuard &operator=(const HandlerGuard &) = delete;

    template<typename Handler> void run(const char *name, Handler &&handler)
    {
        const Scope running(*this);
        Failure::guard(m_report, QString::fromLatin1(name), std::forward<Handler>(handler));
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
    int m_running = 0;
    QPointer<QObject> m_pendingDeletion;
};
