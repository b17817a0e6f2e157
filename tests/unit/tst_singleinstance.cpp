// One running copy per profile: a later start on a profile hands over to the copy that holds
// it, or is told that copy is not answering; another profile is never refused; a copy killed
// with SIGKILL leaves a lock that is taken over at once. The later starts and the killed copy
// are child processes (this binary, started with --child), as the program's starts are.

#include "platform/desktop/system/singleinstance.h"
#include "testsupport.h"

#include <cstdio>
#include <memory>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using Start = SingleInstance::Start;

namespace {

// How long a child start waits for the answer of the copy that holds the profile.
constexpr std::chrono::milliseconds ChildWait { 1000 };

const char *nameOf(Start start)
{
    switch (start) {
    case Start::First:
        return "first";
    case Start::HandedOver:
        return "handed-over";
    case Start::NotAnswering:
        return "not-answering";
    }
    return "?";
}

// In the child: "ask PROFILE" starts on the profile and prints how; "hold PROFILE" takes it,
// says so and serves until it is killed.
int runChild(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4)
        return 2;
    SingleInstance instance(arguments.at(3));
    const Start start = instance.start(ChildWait);
    std::printf("%s\n",
                arguments.at(2) == "hold"_L1 && start == Start::First ? "held" : nameOf(start));
    std::fflush(stdout);
    return arguments.at(2) == "hold"_L1 ? application.exec() : 0;
}

// Starts this binary as a child on the profile.
void startChild(QProcess &child, const QString &mode, const QString &profile)
{
    child.start(QCoreApplication::applicationFilePath(), { u"--child"_s, mode, profile });
}

// What the child printed once it ended; the test's events are served while it runs.
QByteArray outcomeOf(QProcess &child)
{
    QSignalSpy finished(&child, &QProcess::finished);
    if (child.state() != QProcess::NotRunning && !waitFor(finished, 1, 30'000))
        return "<still running>";
    return child.readAllStandardOutput().trimmed();
}

} // namespace

class tst_SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum Holder { Serving, Hung, Gone };
    Q_ENUM(Holder)

private Q_SLOTS:
    void laterStart_data();
    void laterStart();
    void killedHolderTakenOverAtOnce();

private:
    QString profile(const QString &name) const { return m_profiles.filePath(name); }

    QTemporaryDir m_profiles;
};

void tst_SingleInstance::laterStart_data()
{
    QTest::addColumn<Holder>("holder");
    QTest::addColumn<QString>("laterProfile");
    QTest::addColumn<QByteArray>("outcome");
    QTest::addColumn<int>("forwards");
    QTest::newRow("running copy answers") << Serving << u"a"_s << QByteArray("handed-over") << 1;
    // The profile's folder through a link is the same profile.
    QTest::newRow("same profile through a link")
        << Serving << u"link/a"_s << QByteArray("handed-over") << 1;
    QTest::newRow("running copy hung") << Hung << u"a"_s << QByteArray("not-answering") << -1;
    QTest::newRow("another profile") << Serving << u"b"_s << QByteArray("first") << 0;
    QTest::newRow("copy ended") << Gone << u"a"_s << QByteArray("first") << -1;
}

void tst_SingleInstance::laterStart()
{
    QFETCH(Holder, holder);
    QFETCH(QString, laterProfile);
    QFETCH(QByteArray, outcome);
    QFETCH(int, forwards);
    QVERIFY(m_profiles.isValid());
    QVERIFY(QDir(m_profiles.path()).mkpath(u"a"_s));
    QFile::link(m_profiles.path(), profile(u"link"_s));

    auto first = std::make_unique<SingleInstance>(profile(u"a"_s));
    QCOMPARE(first->start(ChildWait), Start::First);
    QSignalSpy forwarded(first.get(), &SingleInstance::forwardRequested);
    if (holder == Gone)
        first.reset();

    QProcess later;
    startChild(later, u"ask"_s, profile(laterProfile));
    // A hung copy: this process serves no events until the child has ended.
    if (holder == Hung)
        QVERIFY(later.waitForFinished(30'000));
    QCOMPARE(outcomeOf(later), outcome);
    if (forwards >= 0)
        QCOMPARE(forwarded.count(), forwards);
}

void tst_SingleInstance::killedHolderTakenOverAtOnce()
{
    QProcess holder;
    startChild(holder, u"hold"_s, profile(u"a"_s));
    QVERIFY(holder.waitForReadyRead(30'000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));
    holder.kill();
    QVERIFY(holder.waitForFinished(30'000));

    QElapsedTimer took;
    took.start();
    SingleInstance next(profile(u"a"_s));
    QCOMPARE(next.start(), Start::First);
    QVERIFY2(took.elapsed() < 1000, qPrintable(u"%1 ms"_s.arg(took.elapsed())));

    // It serves where the killed copy's socket was left.
    QSignalSpy forwarded(&next, &SingleInstance::forwardRequested);
    QProcess later;
    startChild(later, u"ask"_s, profile(u"a"_s));
    QCOMPARE(outcomeOf(later), QByteArray("handed-over"));
    QCOMPARE(forwarded.count(), 1);
}

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--child") == 0)
        return runChild(argc, argv);
    // The children share this process's runtime folder, as a user's starts share theirs.
    const HermeticHome home;
    QCoreApplication application(argc, argv);
    tst_SingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
