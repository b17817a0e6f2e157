#include "windowfixture.h"

#include <QFile>
#include <QKeySequence>
#include <QSet>

using namespace Qt::StringLiterals;

// The README's keys table is the user's list of the window's keys: it names every key of the
// joined command table, and no key that the table lacks.
class tst_ReadmeKeys : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readmeNamesEveryKeyAndNoOther();
};

namespace {

// One key sequence as the table writes it and Qt reads it, in portable text.
QString normalised(const QString &keys)
{
    return QKeySequence::fromString(keys.trimmed(), QKeySequence::PortableText)
        .toString(QKeySequence::PortableText);
}

// The keys in the first column of the table whose header starts "| Key |".
QSet<QString> readmeKeys(const QString &readme)
{
    QSet<QString> keys;
    bool inTable = false;
    for (const QString &line : readme.split(u'\n')) {
        const QString row = line.trimmed();
        if (!inTable) {
            inTable = row.startsWith(u"| Key |"_s);
            continue;
        }
        if (!row.startsWith(u'|'))
            break;
        QString cell = row.section(u'|', 1, 1).trimmed();
        if (cell.startsWith(u"---"_s))
            continue;
        for (const QString &key : cell.remove(u'`').split(u", "_s))
            keys.insert(normalised(key));
    }
    return keys;
}

} // namespace

void tst_ReadmeKeys::readmeNamesEveryKeyAndNoOther()
{
    QFile file(QStringLiteral(KESTRAV_README));
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QSet<QString> listed = readmeKeys(QString::fromUtf8(file.readAll()));
    QVERIFY(!listed.isEmpty());

    // The rows as the window joins them: its own, then its features'.
    WindowFixture fixture;
    fixture.start();
    QSet<QString> table;
    for (const Commands::Command &command : fixture.window().commands()) {
        if (!command.shortcut)
            continue;
        for (const QString &keys : QString::fromLatin1(command.shortcut).split(u"; "_s)) {
            // The keypad's twins of a key go without saying.
            if (keys.isEmpty() || keys.contains(u"Num+"_s))
                continue;
            table.insert(normalised(keys));
        }
    }
    QCOMPARE(QSet<QString>(table).subtract(listed), QSet<QString>());
    QCOMPARE(QSet<QString>(listed).subtract(table), QSet<QString>());
}

KESTRAV_TEST_MAIN(tst_ReadmeKeys)
#include "tst_readmekeys.moc"
