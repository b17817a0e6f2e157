#include "ui/handlerguard.h"

#include "platform/api/messagebox.h"

#include <QObject>

void showErrorBox(MessageBox &messageBox, const QString &name, const PlatformError &error)
{
    messageBox.MsgBox(name + QStringLiteral("\r\n") + QString::number(error.number())
                      + QStringLiteral("     ") + error.description());
}

HandlerGuard::HandlerGuard(Failure::Reporter report, std::function<void()> beforeUser,
                           Failure::Reporter errorBox)
    : m_report(std::move(report))
    , m_beforeUser(std::move(beforeUser))
    , m_errorBox(std::move(errorBox))
{
}

void HandlerGuard::deleteWhenIdle(QObject *holder)
{
    m_pendingDeletion = holder;
    if (m_running == 0)
        holder->deleteLater();
}

HandlerGuard::Scope::Scope(HandlerGuard &guard)
    : m_guard(guard)
{
    ++m_guard.m_running;
}

HandlerGuard::Scope::~Scope()
{
    // Back in the event loop that started the outermost handler: a close that came in a
    // nested loop may now free the window.
    if (--m_guard.m_running == 0 && m_guard.m_pendingDeletion)
        m_guard.m_pendingDeletion->deleteLater();
}
