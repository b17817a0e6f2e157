#pragma once

#include <chrono>
#include <QObject>
#include <QString>

class QLocalServer;

// One running copy per profile. The first start takes a lock in the user's runtime folder and
// serves a local socket beside it for its whole run; a later start on the same profile finds
// the lock held, asks the running copy through the socket to come forward, and ends without
// opening anything of the profile. Both are named from the profile's folder, so two profiles
// (or two homes) never meet. The lock is the system's lock on an open file, which goes with the
// process however it ends: the lock of a copy that was killed is free at once.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    enum class Start {
        // This copy holds the profile, and serves requests until it goes.
        First,
        // The running copy has been asked to come forward, and said it did.
        HandedOver,
        // Another copy holds the profile but did not answer in time (hung, or still starting).
        NotAnswering,
    };

    // How long a later start waits for the running copy's answer.
    static constexpr std::chrono::milliseconds AnswerWait { 5000 };

    // profileFolder: the folder that holds the profile's data; it may not exist yet.
    explicit SingleInstance(const QString &profileFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the profile, or hands over to the copy that holds it. Without a private runtime
    // folder (or where the lock cannot be made at all) this copy runs as the first, unguarded.
    Start start(std::chrono::milliseconds answerWait = AnswerWait);

    // What a later start tells the user when the running copy does not answer.
    static QString notAnsweringMessage();

    // Where the running copy listens; empty when the runtime folder is not available.
    QString socketPath() const;

Q_SIGNALS:
    // Another start asked this copy to bring its window to the front.
    void forwardRequested();

private:
    QString lockPath() const;
    enum class Lock { Taken, Held, Unavailable };
    Lock takeLock();
    void releaseLock();
    enum class Asked { Answered, NoAnswer };
    Asked askRunningCopy(int waitMs) const;
    bool serve();
    void answer();

    // The lock's and the socket's path without their ending.
    const QString m_base;
    // The open lock file while this copy holds the profile.
    int m_lockFile = -1;
    QLocalServer *m_server = nullptr;
};
