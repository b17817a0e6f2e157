// One running copy per profile. The copy that holds the profile is a child process (this
// binary, started with --child); the later start is this process, as a user's second start is.

#include "platform/desktop/system/singleinstance.h"
#include "testsupport.h"

#include <csignal>
#include <cstdio>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;
using Start = SingleInstance::Start;

// In the child: holds the profile, says so, and says each time it is asked to come forward.
int runHolder(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    SingleInstance instance(application.arguments().value(2));
    if (instance.start() != Start::First)
        return 1;
    QObject::connect(&instance, &SingleInstance::forwardRequested, [] {
        std::puts("forwarded");
        std::fflush(stdout);
    });
    std::puts("held");
    std::fflush(stdout);
    return application.exec();
}

class tst_SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum Holder { Serving, Stopped, Killed };
    Q_ENUM(Holder)

private Q_SLOTS:
    void laterStart_data();
    void laterStart();
};

void tst_SingleInstance::laterStart_data()
{
    QTest::addColumn<Holder>("holder");
    QTest::addColumn<QString>("laterProfile");
    QTest::addColumn<Start>("start");
    QTest::newRow("holder answers") << Serving << u"a"_s << Start::HandedOver;
    QTest::newRow("same profile through a link") << Serving << u"link/a"_s << Start::HandedOver;
    QTest::newRow("another profile") << Serving << u"b"_s << Start::First;
    QTest::newRow("holder hung") << Stopped << u"a"_s << Start::NotAnswering;
    // Its lock is free at once, and the socket it left is served anew.
    QTest::newRow("holder killed") << Killed << u"a"_s << Start::First;
}

void tst_SingleInstance::laterStart()
{
    QFETCH(Holder, holder);
    QFETCH(QString, laterProfile);
    QFETCH(Start, start);
    QTemporaryDir profiles;
    QVERIFY(QDir(profiles.path()).mkpath(u"a"_s));
    QVERIFY(QFile::link(profiles.path(), profiles.filePath(u"link"_s)));

    QProcess first;
    first.start(QCoreApplication::applicationFilePath(),
                { u"--child"_s, profiles.filePath(u"a"_s) });
    QVERIFY(first.waitForReadyRead(30'000));
    QCOMPARE(first.readLine(), QByteArray("held\n"));
    if (holder == Stopped)
        ::kill(pid_t(first.processId()), SIGSTOP);
    if (holder == Killed) {
        first.kill();
        QVERIFY(first.waitForFinished(30'000));
    }

    QElapsedTimer took;
    took.start();
    SingleInstance later(profiles.filePath(laterProfile));
    QCOMPARE(later.start(std::chrono::milliseconds(1000)), start);
    if (start == Start::HandedOver) {
        QVERIFY(first.canReadLine() || first.waitForReadyRead(30'000));
        QCOMPARE(first.readLine(), QByteArray("forwarded\n"));
    }
    if (start == Start::First)
        QVERIFY2(took.elapsed() < 500, qPrintable(u"%1 ms"_s.arg(took.elapsed())));
    if (holder == Killed) {
        QLocalSocket probe;
        probe.connectToServer(later.socketPath());
        QVERIFY(probe.waitForConnected(1000));
    }
    first.kill();
    first.waitForFinished();
}

int main(int argc, char *argv[])
{
    if (argc > 2 && qstrcmp(argv[1], "--child") == 0)
        return runHolder(argc, argv);
    // The child shares this process's runtime folder, as a user's starts share theirs.
    const HermeticHome home;
    QCoreApplication application(argc, argv);
    tst_SingleInstance test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_singleinstance.moc"
