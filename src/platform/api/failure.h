#pragma once

#include "platform/api/platformerror.h"

#include <functional>
#include <QDebug>
#include <QLoggingCategory>

// Failures that a skipped step swallowed; off unless asked for
// (QT_LOGGING_RULES="kestrav.skipped.debug=true").
Q_DECLARE_LOGGING_CATEGORY(lcSkipped)

// The program's failure forms, so that every handler uses the same code for them.
namespace Failure {

enum class DialogCancel { EndsQuietly, IsReported };

// Report and leave: runs the command; a failure ends it and is handed to report. The cancel
// of a dialog that was told to fail on cancel is a normal end, unless the command reports it.
template<typename Command, typename Report>
void reportAndLeave(Command &&command, Report &&report,
                    DialogCancel cancel = DialogCancel::EndsQuietly)
{
    try {
        std::forward<Command>(command)();
    } catch (const PlatformError &error) {
        if (cancel == DialogCancel::EndsQuietly && error.number() == ErrorCode::CommonDialogCancel)
            return;
        report(error);
    }
}

// Skip and go on: runs one step; a failure in it is dropped and the caller goes on.
// Returns whether the step completed.
template<typename Step> bool skip(Step &&step) noexcept
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const PlatformError &error) {
        qCDebug(lcSkipped, "%d %s", error.number(), qUtf8Printable(error.description()));
        return false;
    } catch (const std::exception &error) {
        qCDebug(lcSkipped, "%s", error.what());
        return false;
    }
}

using Reporter = std::function<void(const QString &name, const PlatformError &error)>;

// The guard at every entry point that Qt calls: no failure may cross the event loop.
// A failure that no handler caught is shown through the reporter and the window keeps
// running; a failure of the reporter itself is only logged.
template<typename Handler>
void guard(const Reporter &report, const QString &name, Handler &&handler) noexcept
{
    auto reportSafely = [&](const PlatformError &error) {
        try {
            if (report)
                report(name, error);
        } catch (...) {
            qWarning("%s: %s", qPrintable(name), qPrintable(error.description()));
        }
    };
    try {
        std::forward<Handler>(handler)();
    } catch (const PlatformError &error) {
        reportSafely(error);
    } catch (const std::exception &error) {
        reportSafely(PlatformError(ErrorCode::Unexpected, QString::fromLocal8Bit(error.what())));
    } catch (...) {
        reportSafely(PlatformError(ErrorCode::Unexpected, QStringLiteral("Unknown failure")));
    }
}

} // namespace Failure
