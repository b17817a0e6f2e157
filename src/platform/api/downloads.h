#pragma once

#include <QList>
#include <QObject>
#include <QString>

// The downloads of this run, whichever window started them: what the downloads window lists
// and what leaving the program has to ask about.
class Downloads : public QObject
{
    Q_OBJECT

public:
    enum class State { Running, Finished, Cancelled, Failed };

    struct Row
    {
        quint32 id = 0;
        QString name;
        QString path; // where the file goes, or went
        qint64 received = 0;
        qint64 total = -1; // -1 while the size is not known
        qint64 bytesPerSecond = 0; // over the last few seconds
        State state = State::Running;
        QString ending; // how it ended, for the user; "" while it runs
    };

    using QObject::QObject;
    ~Downloads() override = default;

    // In the order they started.
    virtual QList<Row> rows() const = 0;
    // Stops a running download and removes what it had written; anything else stays.
    virtual void cancel(quint32 id) = 0;
    // Forgets the downloads that have ended; their files stay.
    virtual void clearFinished() = 0;

    int running() const;
    void cancelAll();

Q_SIGNALS:
    // At most a few times a second while bytes come in, and at once when a download starts
    // or ends.
    void changed();
};
