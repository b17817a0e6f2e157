#include "platform/desktop/spelling/spellcheck.h"
#include "testsupport.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

// Which dictionary the program checks with, from the .bdic files found where the built or the
// installed program keeps them.
class tst_SpellCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void picksTheDictionary_data();
    void picksTheDictionary();
};

void tst_SpellCheck::picksTheDictionary_data()
{
    QTest::addColumn<QString>("folder"); // below the temporary prefix; "" for none
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("language");

    const QString built = QStringLiteral("bin/qtwebengine_dictionaries");
    const QString installed = QStringLiteral("share/kestrav/qtwebengine_dictionaries");
    const QStringList german = { "de-CH.bdic", "de-DE.bdic", "en-US.bdic" };
    QTest::newRow("the locale's own") << built << german << "de_CH"
                                      << "de-CH";
    QTest::newRow("the language's main one") << built << german << "de_AT"
                                             << "de-DE";
    QTest::newRow("another of the language")
        << built << QStringList { "de-CH.bdic", "en-US.bdic" } << "de_AT"
        << "de-CH";
    QTest::newRow("the language alone")
        << built << QStringList { "en-US.bdic", "nl.bdic" } << "nl_BE"
        << "nl";
    QTest::newRow("no dictionary of the language") << built << german << "fr_FR"
                                                   << "en-US";
    QTest::newRow("C locale") << built << QStringList { "en-US.bdic" } << "C"
                              << "en-US";
    QTest::newRow("no fallback") << built << QStringList { "de-DE.bdic" } << "fr_FR"
                                 << "";
    QTest::newRow("not a dictionary")
        << built << QStringList { "en_US.dic", "en_US.aff" } << "en_US"
        << "";
    QTest::newRow("installed") << installed << QStringList { "en-US.bdic" } << "en_US"
                               << "en-US";
    QTest::newRow("no folder") << "" << QStringList() << "en_US"
                               << "";
}

void tst_SpellCheck::picksTheDictionary()
{
    QFETCH(QString, folder);
    QFETCH(QStringList, files);
    QFETCH(QString, locale);
    QFETCH(QString, language);

    QTemporaryDir prefix;
    const QDir root(prefix.path());
    QVERIFY(root.mkpath(QStringLiteral("bin")));
    if (!folder.isEmpty()) {
        QVERIFY(root.mkpath(folder));
        for (const QString &file : files)
            QVERIFY(writeAll(root.filePath(folder + QLatin1Char('/') + file), "bdic"));
    }

    const SpellCheck found = spellCheckFor(root.filePath(QStringLiteral("bin")), QLocale(locale));
    QCOMPARE(found.folder, folder.isEmpty() ? QString() : root.filePath(folder));
    QCOMPARE(found.language, language);
}

KESTRAV_TEST_GUILESS_MAIN(tst_SpellCheck)
#include "tst_spellcheck.moc"
