#pragma once

#include <functional>
#include <QObject>

class QSocketNotifier;

// The signals by which the session ends the program: SIGTERM (a logout or a shutdown), SIGINT
// (Ctrl+C in its terminal) and SIGHUP (its terminal gone). Each is turned into a call of onEnd
// from the event loop, so the program ends as its own Quit ends it and the engine and the
// stores write what they hold; the default would end it at once and lose that. One instance
// at a time; the default handling comes back when it goes.
class EndSignals final : public QObject
{
    Q_OBJECT

public:
    explicit EndSignals(std::function<void()> onEnd, QObject *parent = nullptr);
    ~EndSignals() override;

private:
    std::function<void()> m_onEnd;
    QSocketNotifier *m_notifier = nullptr;
};
