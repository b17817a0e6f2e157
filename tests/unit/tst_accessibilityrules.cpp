#include "accessibility/accessibility.h"
#include "accessibility/panecycle.h"
#include "accessibility/readablecolours.h"
#include "testsupport.h"

#include <QTest>

using ReadableColours::Pair;

namespace {

// The themes a user may run: the default light one, a dark one and a high-contrast one.
QPalette theme(const QString &name)
{
    QPalette palette;
    const auto set = [&](QColor window, QColor text, QColor base) {
        palette.setColor(QPalette::Window, window);
        palette.setColor(QPalette::WindowText, text);
        palette.setColor(QPalette::Base, base);
        palette.setColor(QPalette::Text, text);
    };
    if (name == u"dark")
        set(QColor(53, 53, 53), QColor(230, 230, 230), QColor(35, 35, 35));
    else if (name == u"high contrast")
        set(Qt::black, Qt::white, Qt::black);
    else
        set(QColor(239, 239, 239), Qt::black, Qt::white);
    return palette;
}

Pair pairOf(const QPalette &palette, QPalette::ColorRole text, QPalette::ColorRole background)
{
    return { palette.color(text), palette.color(background) };
}

} // namespace

// The rules that keep our controls readable, named and reachable from the keyboard.
class tst_AccessibilityRules : public QObject
{
    Q_OBJECT

private slots:
    void nameFromToolTip_data();
    void nameFromToolTip();
    void designedColours_data();
    void designedColours();
    void nextPane_data();
    void nextPane();
};

void tst_AccessibilityRules::nameFromToolTip_data()
{
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("name");
    QTest::newRow("plain") << u"Mail Inbox"_qs << u"Mail Inbox"_qs;
    QTest::newRow("trailing space") << u"Select favorite "_qs << u"Select favorite"_qs;
    QTest::newRow("key hint with modifier")
        << u"Previous match (Shift+F3)"_qs << u"Previous match"_qs;
    QTest::newRow("words in brackets stay") << u"Print displayed HTML doc (highlighted or all)"_qs
                                            << u"Print displayed HTML doc (highlighted or all)"_qs;
    QTest::newRow("brackets inside the name stay")
        << u"Close (Esc) now"_qs << u"Close (Esc) now"_qs;
}

void tst_AccessibilityRules::nameFromToolTip()
{
    QFETCH(QString, toolTip);
    QFETCH(QString, name);
    QCOMPARE(Accessibility::nameFromToolTip(toolTip), name);
}

void tst_AccessibilityRules::designedColours_data()
{
    QTest::addColumn<QString>("themeName");
    QTest::addColumn<QColor>("designedText"); // invalid: the theme's own
    QTest::addColumn<QColor>("designedBackground"); // invalid: the theme's own
    QTest::addColumn<bool>("textKept");
    QTest::addColumn<bool>("backgroundKept");

    const QColor navy(0, 0, 128);
    const QColor lightCyan(192, 255, 255);
    const QColor white(Qt::white);
    QTest::newRow("light: navy label") << u"light"_qs << navy << QColor() << true << true;
    QTest::newRow("light: light cyan list") << u"light"_qs << QColor() << lightCyan << true << true;
    QTest::newRow("dark: navy label takes the theme's text")
        << u"dark"_qs << navy << QColor() << false << true;
    QTest::newRow("dark: white box takes the theme's base")
        << u"dark"_qs << QColor() << white << true << false;
    QTest::newRow("high contrast: navy on light cyan keeps the background")
        << u"high contrast"_qs << navy << lightCyan << true << true;
    QTest::newRow("high contrast: white on light cyan is the theme's pair")
        << u"high contrast"_qs << white << lightCyan << true << false;
}

void tst_AccessibilityRules::designedColours()
{
    QFETCH(QString, themeName);
    QFETCH(QColor, designedText);
    QFETCH(QColor, designedBackground);
    QFETCH(bool, textKept);
    QFETCH(bool, backgroundKept);

    const Pair own = pairOf(theme(themeName), QPalette::Text, QPalette::Base);
    const Pair designed { designedText.isValid() ? designedText : own.text,
                          designedBackground.isValid() ? designedBackground : own.background };
    const Pair shown = ReadableColours::fitted(designed, own);
    QCOMPARE(shown.text == designed.text, textKept);
    QCOMPARE(shown.background == designed.background, backgroundKept);
    QCOMPARE_GE(ReadableColours::contrast(shown.text, shown.background),
                ReadableColours::minimumContrast);
    if (!textKept)
        QCOMPARE(shown.text, own.text);
    if (!backgroundKept)
        QCOMPARE(shown.background, own.background);
}

void tst_AccessibilityRules::nextPane_data()
{
    QTest::addColumn<QList<bool>>("shown");
    QTest::addColumn<int>("current");
    QTest::addColumn<bool>("backward");
    QTest::addColumn<int>("next");

    const QList<bool> three { true, true, true };
    const QList<bool> findBarHidden { true, true, true, false };
    QTest::newRow("forward") << three << 0 << false << 1;
    QTest::newRow("forward goes round") << three << 2 << false << 0;
    QTest::newRow("backward goes round") << three << 0 << true << 2;
    QTest::newRow("a hidden pane is skipped")
        << QList<bool> { true, false, true } << 0 << false << 2;
    QTest::newRow("backward from the first skips a hidden last") << findBarHidden << 0 << true << 2;
    QTest::newRow("focus in no pane, backward: the last shown") << findBarHidden << -1 << true << 2;
    QTest::newRow("focus in a hidden pane moves on")
        << QList<bool> { true, false, true } << 1 << false << 2;
    QTest::newRow("the only pane shown stays") << QList<bool> { false, true } << 1 << false << 1;
    QTest::newRow("none shown") << QList<bool> { false, false } << 0 << false << -1;
}

void tst_AccessibilityRules::nextPane()
{
    QFETCH(QList<bool>, shown);
    QFETCH(int, current);
    QFETCH(bool, backward);
    QFETCH(int, next);
    QCOMPARE(PaneCycle::next(shown, current, backward), next);
}

KESTRAV_TEST_GUILESS_MAIN(tst_AccessibilityRules)
#include "tst_accessibilityrules.moc"
