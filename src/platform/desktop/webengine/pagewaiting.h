#pragma once

#include <functional>
#include <QString>
#include <QVariant>

// What the control's parts ask of the control about its page: whether it holds a document,
// the engine's answers waited for, and a page busy for the user that is not taken for hung.
class PageWaiting
{
public:
    using Callback = std::function<void(const QVariant &)>;
    static constexpr int AnswerTimeoutMs = 10'000;

    // Fails with PlatformError when no document has been loaded.
    virtual void requireDocument() const = 0;
    // Runs an asynchronous request of the engine and waits, in a bounded local event loop,
    // for the answer it hands to the callback. Fails with PlatformError when none comes.
    virtual QVariant waitForAnswer(const std::function<void(const Callback &)> &request,
                                   int timeoutMs)
        = 0;
    // A script run in the program's own script world, and its result.
    virtual QVariant evaluate(const QString &script) = 0;
    // While held, a page that stops answering is not asked about (it is busy for the user).
    virtual void holdHangWatch(bool held) = 0;

protected:
    ~PageWaiting() = default;
};
