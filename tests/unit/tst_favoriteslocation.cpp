// Where the favorites file is kept: beside a copy of the program that is the user's own,
// never in a folder of the system, whoever runs the program.

#include "favorites/favoriteslocation.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

class tst_FavoritesLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keptBesideTheUsersOwnCopyOnly_data();
    void keptBesideTheUsersOwnCopyOnly();
};

void tst_FavoritesLocation::keptBesideTheUsersOwnCopyOnly_data()
{
    QTest::addColumn<QString>("programFolder"); // "own": a folder the test makes
    QTest::addColumn<bool>("besideTheProgram");
    QTest::newRow("a build tree of the user's") << "own" << true;
    QTest::newRow("a link to a copy of the user's") << "own link" << true;
    QTest::newRow("installed in /usr/bin") << "/usr/bin" << false;
    QTest::newRow("installed in /usr/local/bin") << "/usr/local/bin" << false;
    QTest::newRow("installed under /opt") << "/opt" << false;
    QTest::newRow("a link into /usr") << "link to /usr/bin" << false;
    QTest::newRow("a folder of another user") << "someone else's" << false;
}

void tst_FavoritesLocation::keptBesideTheUsersOwnCopyOnly()
{
    QFETCH(QString, programFolder);
    QFETCH(bool, besideTheProgram);
    QTemporaryDir temporary;
    const QString own = temporary.filePath(QStringLiteral("program"));
    QVERIFY(QDir().mkpath(own));
    const QString link = temporary.filePath(QStringLiteral("link"));
    if (programFolder == u"own") {
        programFolder = own;
    } else if (programFolder == u"own link") {
        QVERIFY(QFile::link(own, link));
        programFolder = link;
    } else if (programFolder == u"link to /usr/bin") {
        QVERIFY(QFile::link(QStringLiteral("/usr/bin"), link));
        programFolder = link;
    } else if (programFolder == u"someone else's") {
        if (::geteuid() != 0)
            QSKIP("only root can give a folder to another user");
        QVERIFY(::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
        programFolder = own;
    }
    const QString dataFolder = temporary.filePath(QStringLiteral("data"));

    QCOMPARE(Favorites::isUsersOwnFolder(programFolder), besideTheProgram);
    // Root may write anywhere: the folder's owner and place decide, not its permissions.
    const QString path = Favorites::favoritesFilePath(programFolder, dataFolder);
    const QString expected = besideTheProgram ? programFolder : dataFolder;
    QCOMPARE(path, expected + QStringLiteral("/Favorites.txt"));
}

QTEST_GUILESS_MAIN(tst_FavoritesLocation)
#include "tst_favoriteslocation.moc"
