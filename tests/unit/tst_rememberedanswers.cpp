#include "fakeservices.h"
#include "fakesettingsstore.h"
#include "sitedata/rememberedanswers.h"
#include "sitedata/sitepermissions.h"
#include "testsupport.h"

namespace {

// One question in a row of questions: what the user would answer if asked, and what the
// caller must see.
struct Question
{
    QString site;
    int permission; // -1: the certificate question
    bool userSays;
    bool asked;
    bool answer;
};

constexpr int Certificate = -1;
constexpr int Camera = int(UserQuestions::Permission::Camera);
constexpr int Microphone = int(UserQuestions::Permission::Microphone);
constexpr int Location = int(UserQuestions::Permission::Location);

} // namespace

Q_DECLARE_METATYPE(QList<Question>)

// The answers that hold for a site in this run, and the ones that must be asked again.
class tst_RememberedAnswers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void remembersWhatHoldsForASite_data();
    void remembersWhatHoldsForASite();
    void downloadQuestionsAreAlwaysAsked();
    void permissionsKeptAcrossRuns_data();
    void permissionsKeptAcrossRuns();
};

void tst_RememberedAnswers::remembersWhatHoldsForASite_data()
{
    QTest::addColumn<QList<Question>>("questions");

    const QString a = QStringLiteral("a.example");
    const QString b = QStringLiteral("b.example");
    QTest::newRow("trusted site not asked again")
        << QList<Question> { { a, Certificate, true, true, true },
                             { a, Certificate, false, false, true } };
    QTest::newRow("site names differ in case only")
        << QList<Question> { { QStringLiteral("A.Example"), Certificate, true, true, true },
                             { a, Certificate, false, false, true } };
    QTest::newRow("refused site asked again")
        << QList<Question> { { a, Certificate, false, true, false },
                             { a, Certificate, true, true, true } };
    QTest::newRow("trust is for one site")
        << QList<Question> { { a, Certificate, true, true, true },
                             { b, Certificate, false, true, false } };
    QTest::newRow("allowed stays allowed")
        << QList<Question> { { a, Camera, true, true, true }, { a, Camera, false, false, true } };
    QTest::newRow("denied stays denied")
        << QList<Question> { { a, Microphone, false, true, false },
                             { a, Microphone, true, false, false } };
    QTest::newRow("each permission on its own")
        << QList<Question> { { a, Camera, true, true, true },
                             { a, Microphone, false, true, false },
                             { a, Location, true, true, true } };
    QTest::newRow("each site on its own")
        << QList<Question> { { a, Location, true, true, true },
                             { b, Location, false, true, false } };
    QTest::newRow("a trusted certificate grants no permission")
        << QList<Question> { { a, Certificate, true, true, true },
                             { a, Camera, false, true, false } };
}

void tst_RememberedAnswers::remembersWhatHoldsForASite()
{
    QFETCH(QList<Question>, questions);

    auto user = std::make_shared<ScriptedUserQuestions>();
    RememberedAnswers answers(user);
    for (const Question &question : questions) {
        const qsizetype askedBefore = user->asked.size();
        user->proceed = user->allow = question.userSays;
        const bool answer = question.permission == Certificate
            ? answers.proceedDespiteCertificate(question.site, QStringLiteral("self-signed"))
            : answers.allowPermission(question.site, UserQuestions::Permission(question.permission))
                  .allow;
        QCOMPARE(user->asked.size() > askedBefore, question.asked);
        QCOMPARE(answer, question.answer);
    }
}

void tst_RememberedAnswers::downloadQuestionsAreAlwaysAsked()
{
    auto user = std::make_shared<ScriptedUserQuestions>();
    RememberedAnswers answers(user);
    user->savePath = QStringLiteral("/tmp/a.bin");
    user->cancel = true;
    QCOMPARE(answers.whereToSave(QStringLiteral("/d/a.bin")), QStringLiteral("/tmp/a.bin"));
    user->savePath.clear();
    QCOMPARE(answers.whereToSave(QStringLiteral("/d/a.bin")), QString());
    QVERIFY(answers.cancelDownloads(2));
    user->cancel = false;
    QVERIFY(!answers.cancelDownloads(2));
    QCOMPARE(user->asked,
             QStringList({ QStringLiteral("save /d/a.bin"), QStringLiteral("save /d/a.bin"),
                           QStringLiteral("cancel 2"), QStringLiteral("cancel 2") }));
}

// Each run asks through answers of its own over the one store, as the program does.
void tst_RememberedAnswers::permissionsKeptAcrossRuns_data()
{
    QTest::addColumn<bool>("remember");
    QTest::addColumn<bool>("storeWritable");
    QTest::addColumn<bool>("askedInSameRun");
    QTest::addColumn<bool>("askedInNextRun");
    QTest::addColumn<int>("keptAnswers");

    QTest::newRow("remembered") << true << true << false << false << 2;
    QTest::newRow("this time only") << false << true << true << true << 0;
    QTest::newRow("store refuses: held for the run") << true << false << false << true << 0;
}

void tst_RememberedAnswers::permissionsKeptAcrossRuns()
{
    QFETCH(bool, remember);
    QFETCH(bool, storeWritable);
    QFETCH(bool, askedInSameRun);
    QFETCH(bool, askedInNextRun);
    QFETCH(int, keptAnswers);

    auto store = std::make_shared<FakeSettingsStore>();
    if (!storeWritable)
        store->failWritesAfter(0);
    auto user = std::make_shared<ScriptedUserQuestions>();
    user->allow = true;
    user->remember = remember;
    const auto location = UserQuestions::Permission::Location;
    const QString site = QStringLiteral("Maps.Example");
    {
        RememberedAnswers run(user, store);
        QVERIFY(run.allowPermission(site, location).allow);
        user->allow = false;
        QCOMPARE(run.allowPermission(QStringLiteral("maps.example"), location).allow,
                 !askedInSameRun);
        QCOMPARE(user->asked.size(), askedInSameRun ? 2 : 1);
    }
    user->asked.clear();
    user->allow = false;
    RememberedAnswers nextRun(user, store);
    QCOMPARE(nextRun.allowPermission(site, location).allow, !askedInNextRun);
    QCOMPARE(user->asked.size(), askedInNextRun ? 1 : 0);
    // Another kind for the same site is a question of its own.
    QVERIFY(!nextRun.allowPermission(site, UserQuestions::Permission::Camera).allow);
    QCOMPARE(SitePermissions::all(*store).size(), keptAnswers);
}

KESTRAV_TEST_GUILESS_MAIN(tst_RememberedAnswers)
#include "tst_rememberedanswers.moc"
