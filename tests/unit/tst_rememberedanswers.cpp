#include "fakeservices.h"
#include "platform/api/rememberedanswers.h"
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
            : answers.allowPermission(question.site,
                                      UserQuestions::Permission(question.permission));
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

KESTRAV_TEST_GUILESS_MAIN(tst_RememberedAnswers)
#include "tst_rememberedanswers.moc"
