// When a page counts as hung: a probe unanswered for ten seconds of the page's own time. Time
// paused for printing, held by an open question, lost to the program's own late event loop
// or followed by a load's progress is not counted.

#include "platform/desktop/webengine/hangwatch.h"

#include <QTest>

class tst_HangWatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hungAfterTenSecondsOfSilence_data();
    void hungAfterTenSecondsOfSilence();
};

namespace {

// The control's watch looks every two seconds.
constexpr qint64 IntervalMs = 2'000;

} // namespace

void tst_HangWatch::hungAfterTenSecondsOfSilence_data()
{
    // Each step is "<ms> <event>"; "hung" and "fine" check the watch at that moment.
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("probe answered in time")
        << QStringList { "0 probe", "9000 answer", "20000 fine" };
    QTest::newRow("probe never answered, looks on time")
        << QStringList { "0 tick",    "0 probe",   "2000 tick",  "4000 tick", "6000 tick",
                         "8000 tick", "9999 fine", "10000 tick", "10000 hung" };
    QTest::newRow("the page moved on") << QStringList { "0 probe", "3000 moved", "30000 fine" };
    QTest::newRow("told to wait: ten seconds more")
        << QStringList { "0 probe", "10000 hung", "10000 wait", "19999 fine", "20000 hung" };
    // A page busy loading is stuck only ten seconds after its last progress.
    QTest::newRow("loading and moving on")
        << QStringList { "0 probe", "8000 progress", "16000 progress", "25999 fine", "26000 hung" };
    // The program itself was starved for eight seconds: the answer could not have come in.
    QTest::newRow("the program's loop late")
        << QStringList { "0 tick",     "0 probe",    "2000 tick",  "12000 tick",
                         "12000 fine", "14000 tick", "17999 fine", "18000 hung" };
    QTest::newRow("a look a little late")
        << QStringList { "0 tick", "0 probe", "2100 tick", "10099 fine", "10100 hung" };
    // While the user is asked something, the page may be waiting for the answer.
    QTest::newRow("a question open")
        << QStringList { "0 tick",    "0 probe",    "2000 tick", "4000 held",
                         "6000 held", "13999 fine", "14000 hung" };
    QTest::newRow("held without a probe out")
        << QStringList { "0 tick", "5000 held", "5000 probe", "14999 fine", "15000 hung" };
    QTest::newRow("printing: never hung") << QStringList { "0 probe", "1000 pause", "60000 fine" };
    // The page may still be busy with its layout: it gets its whole time again.
    QTest::newRow("printing over: the time starts again")
        << QStringList { "0 probe", "9000 pause", "30000 resume", "39999 fine", "40000 hung" };
    QTest::newRow("a preview and its layout at once")
        << QStringList { "0 probe",    "0 pause",      "0 pause",    "20000 resume",
                         "40000 fine", "40000 resume", "49999 fine", "50000 hung" };
    QTest::newRow("a resume too many changes nothing")
        << QStringList { "0 probe", "0 resume", "10000 hung" };
}

void tst_HangWatch::hungAfterTenSecondsOfSilence()
{
    QFETCH(QStringList, steps);
    qint64 now = 0;
    HangWatch watch([&now] { return now; });
    for (const QString &step : steps) {
        const QStringList parts = step.split(u' ');
        now = parts.at(0).toLongLong();
        const QString event = parts.at(1);
        if (event == u"probe")
            watch.probeSent();
        else if (event == u"answer")
            watch.probeAnswered();
        else if (event == u"progress")
            watch.progressMade();
        else if (event == u"moved")
            watch.stopWaiting();
        else if (event == u"wait")
            watch.waitAgain();
        else if (event == u"tick" || event == u"held")
            watch.tick(IntervalMs, event == u"held");
        else if (event == u"pause")
            watch.pause();
        else if (event == u"resume")
            watch.resume();
        else
            QVERIFY2(watch.isHung() == (event == u"hung"), qPrintable(step));
    }
}

QTEST_GUILESS_MAIN(tst_HangWatch)
#include "tst_hangwatch.moc"
