// The saved sign-ins window on the keyring double: what it lists, reveals and removes.

#include "signins/savedsignins.h"
#include "ui/signins/savedsigninswindow.h"
#include "windowfixture.h"

#include <QPushButton>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using Entry = SavedSignIns::Entry;

class tst_SavedSignIns : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_fixture.reset(); }
    void searchFilters_data();
    void searchFilters();
    void remove_data();
    void remove();
    void showRevealsSelectedOnly();
    void saysWhyPasswordsAreOutOfReach_data();
    void saysWhyPasswordsAreOutOfReach();

private:
    // The user names listed, in order (each site has one).
    QStringList listed() const
    {
        QStringList names;
        for (int row = 0; row < m_window->list()->topLevelItemCount(); ++row)
            names.append(m_window->list()->topLevelItem(row)->text(1));
        return names;
    }
    QString passwordShown(int row) const { return m_window->list()->topLevelItem(row)->text(2); }
    void select(int row) const
    {
        m_window->list()->setCurrentItem(m_window->list()->topLevelItem(row));
    }
    void click(const QString &name) const { m_window->findChild<QPushButton *>(name)->click(); }
    bool saved(const Entry &entry) const
    {
        return SavedSignIns(*m_fixture->test.settings).contains(entry);
    }

    std::unique_ptr<WindowFixture> m_fixture;
    SavedSignInsWindow *m_window = nullptr;
};

const Entry Bank { u"https://bank.example"_s, u"Bob"_s };
const Entry Mail { u"https://mail.example"_s, u"alice"_s };
const Entry Shop { u"https://shop.example"_s, u"carol@bank.example"_s };

void tst_SavedSignIns::init()
{
    m_fixture = std::make_unique<WindowFixture>();
    m_fixture->start();
    SavedSignIns store(*m_fixture->test.settings);
    for (const Entry &entry : { Bank, Mail }) {
        store.add(entry);
        m_fixture->test.keyring->secrets.insert(SavedSignIns::keyringKey(entry),
                                                entry.userName + u"-secret"_s);
    }
    for (QAction *action : m_fixture->browser().fakeTools.menuActions) {
        if (action->text() == u"Saved sign-ins..."_s)
            action->trigger();
    }
    m_window = m_fixture->window().findChild<SavedSignInsWindow *>();
    QVERIFY(m_window->isVisible());
    // Saved by the page while the window was open: reopening shows it.
    store.add(Shop);
    m_window->close();
    m_fixture->window().menuItem(u"actSavedSignIns"_s)->trigger();
    QCOMPARE(listed(), (QStringList { Bank.userName, Mail.userName, Shop.userName }));
}

void tst_SavedSignIns::searchFilters_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("site or user name, any case")
        << u"BANK"_s << QStringList { "Bob", "carol@bank.example" };
    QTest::newRow("user name only") << u"aLiCe"_s << QStringList { "alice" };
    QTest::newRow("nothing matches") << u"zzz"_s << QStringList {};
}

void tst_SavedSignIns::searchFilters()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    QTest::keyClicks(m_window->searchField(), typed);
    QCOMPARE(listed(), shown);
}

void tst_SavedSignIns::remove_data()
{
    QTest::addColumn<bool>("all");
    QTest::addColumn<bool>("agreed");
    QTest::addColumn<bool>("keyringWorks");
    QTest::addColumn<bool>("passwordThere");
    QTest::addColumn<int>("left");
    QTest::newRow("one, keyring agrees") << false << true << true << true << 2;
    QTest::newRow("one, password already gone") << false << true << true << false << 2;
    QTest::newRow("one, keyring refuses") << false << true << false << true << 3;
    QTest::newRow("all, declined") << true << false << true << true << 3;
    QTest::newRow("all, keyring agrees") << true << true << true << true << 0;
    QTest::newRow("all, keyring refuses") << true << true << false << true << 3;
}

void tst_SavedSignIns::remove()
{
    QFETCH(bool, all);
    QFETCH(bool, agreed);
    QFETCH(bool, keyringWorks);
    QFETCH(bool, passwordThere);
    QFETCH(int, left);
    FakeKeyring &keyring = *m_fixture->test.keyring;
    keyring.available = keyringWorks;
    if (!passwordThere)
        keyring.secrets.remove(SavedSignIns::keyringKey(Bank));
    int asked = 0;
    m_window->setAskRemoveAll([&](QWidget *, int count) {
        asked = count;
        return agreed;
    });
    select(0);
    if (all)
        click(u"cmdRemoveAllSignIns"_s);
    else
        QTest::keyClick(m_window->list(), Qt::Key_Delete);

    QCOMPARE(asked, all ? 3 : 0);
    QTRY_COMPARE(listed().size(), left);
    QTRY_COMPARE(m_window->stateText().contains(u"no keyring"_s), !keyringWorks);
    const bool bankGone = left < 3;
    QCOMPARE(saved(Bank), !bankGone);
    QCOMPARE(keyring.secrets.contains(SavedSignIns::keyringKey(Bank)), !bankGone && passwordThere);
    QCOMPARE(saved(Mail), left > 0);
}

void tst_SavedSignIns::showRevealsSelectedOnly()
{
    const QString hidden = passwordShown(0);
    select(0);
    click(u"cmdShowPassword"_s);
    QTRY_COMPARE(passwordShown(0), u"Bob-secret"_s);
    QCOMPARE(passwordShown(1), hidden);
    select(1);
    QCOMPARE(passwordShown(0), hidden);

    // An answer that comes after the user has moved on is not shown.
    click(u"cmdShowPassword"_s);
    select(0);
    QTest::qWait(20);
    QCOMPARE(passwordShown(1), hidden);

    click(u"cmdShowPassword"_s);
    QTRY_COMPARE(passwordShown(0), u"Bob-secret"_s);
    QTest::keyClicks(m_window->searchField(), u"b"_s);
    QCOMPARE(passwordShown(0), hidden);
}

void tst_SavedSignIns::saysWhyPasswordsAreOutOfReach_data()
{
    QTest::addColumn<bool>("available");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<QString>("said");
    QTest::newRow("open") << true << false << QString();
    QTest::newRow("locked") << true << true << u"locked"_s;
    QTest::newRow("missing") << false << false << u"not available"_s;
}

// Opening the window says why passwords are out of reach, and asks the user for nothing.
void tst_SavedSignIns::saysWhyPasswordsAreOutOfReach()
{
    QFETCH(bool, available);
    QFETCH(bool, locked);
    QFETCH(QString, said);
    FakeKeyring &keyring = *m_fixture->test.keyring;
    keyring.available = available;
    keyring.locked = locked;
    m_window->close();
    m_fixture->window().menuItem(u"actSavedSignIns"_s)->trigger();
    QTRY_COMPARE(m_window->keyringText().isEmpty(), said.isEmpty());
    QVERIFY(m_window->keyringText().contains(said));
    QCOMPARE(keyring.unlockAsked, 0);
}

KESTRAV_TEST_MAIN(tst_SavedSignIns)
#include "tst_savedsignins.moc"
