// The real program started twice on one profile: the second start asks the running copy to
// come forward and ends by itself before opening anything of the profile; after the first copy
// is killed with SIGKILL, a new start takes the profile at once.

#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

// Starts the program in the home, its start-up marks and hand-overs logged.
void start(QProcess &program, const QTemporaryDir &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME" })
        environment.remove(QString::fromLatin1(name));
    environment.insert(u"HOME"_s, home.path());
    environment.insert(u"XDG_RUNTIME_DIR"_s, home.filePath(u"runtime"_s));
    environment.insert(
        u"QT_LOGGING_RULES"_s,
        u"qt.webenginecontext.debug=false;kestrav.startup.info=true;kestrav.instance.info=true"_s);
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(QStringLiteral(KESTRAV_PROGRAM), QStringList());
}

// Reads the program's log until it holds text (or the program ends); returns the log so far.
QByteArray waitForLog(QProcess &program, QByteArray &log, const QByteArray &text)
{
    static_cast<void>(QTest::qWaitFor(
        [&] {
            log += program.readAll();
            return log.contains(text) || program.state() == QProcess::NotRunning;
        },
        60'000));
    return log;
}

// Milliseconds from the application's mark to the profile's, in the log; -1 without them.
double profileTakenAfter(const QByteArray &log)
{
    const auto mark = [&](const QString &name) {
        const auto found = QRegularExpression(name + u" ([0-9.]+)"_s).match(QString::fromUtf8(log));
        return found.hasMatch() ? found.captured(1).toDouble() : -1e9;
    };
    const double taken = mark(u"one copy per profile"_s) - mark(u"startup: application"_s);
    return taken >= 0 ? taken : -1;
}

// The process that the profile's lock names; empty when it is free.
QByteArray lockHolder(const QTemporaryDir &home)
{
    const QDir runtime(home.filePath(u"runtime"_s));
    const QStringList locks = runtime.entryList({ u"kestrav-*.lock"_s });
    return locks.size() == 1 ? readAll(runtime.filePath(locks.first())).trimmed() : "<no lock>";
}

} // namespace

class tst_SecondStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void secondStartHandsOver();
};

void tst_SecondStart::secondStartHandsOver()
{
    QTemporaryDir home;
    QVERIFY(QDir(home.path())
                .mkdir(u"runtime"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcess first;
    QByteArray firstLog;
    start(first, home);
    QVERIFY2(waitForLog(first, firstLog, "Kestrav start page").contains("Kestrav start page"),
             firstLog.constData());
    const QByteArray firstId = QByteArray::number(first.processId());

    QElapsedTimer took;
    took.start();
    QProcess second;
    start(second, home);
    QVERIFY(second.waitForFinished(60'000));
    qInfo("the second start ended after %lld ms", took.elapsed());
    const QByteArray secondLog = second.readAll();
    QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
             secondLog.constData());
    // It ended before its profile's mark: nothing of the profile was opened.
    QVERIFY2(secondLog.contains("startup: application") && profileTakenAfter(secondLog) < 0,
             secondLog.constData());
    QVERIFY2(
        waitForLog(first, firstLog, "asked this copy to come forward").contains("come forward"),
        firstLog.constData());
    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(lockHolder(home), firstId);

    first.kill();
    QVERIFY(first.waitForFinished(60'000));
    QProcess third;
    QByteArray thirdLog;
    start(third, home);
    waitForLog(third, thirdLog, "startup: frame");
    qInfo("the start after a killed copy took the profile in %.1f ms", profileTakenAfter(thirdLog));
    QVERIFY2(profileTakenAfter(thirdLog) >= 0 && profileTakenAfter(thirdLog) < 1000,
             thirdLog.constData());
    QCOMPARE(lockHolder(home), QByteArray::number(third.processId()));
    // Ended as the session ends it, it lets go of the profile.
    third.terminate();
    QVERIFY(third.waitForFinished(60'000));
    QCOMPARE(lockHolder(home), QByteArray());
}

KESTRAV_TEST_GUILESS_MAIN(tst_SecondStart)
#include "tst_secondstart.moc"
