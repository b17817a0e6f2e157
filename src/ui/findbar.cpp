#include "ui/findbar.h"

#include "accessibility/accessibility.h"
#include "accessibility/readablecolours.h"
#include "htmltools/textsearch.h"
#include "platform/api/failure.h"
#include "platform/api/pageevents.h"
#include "platform/api/pagefind.h"
#include "platform/api/richtextarea.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace {

// The button's icon is the style's standard pixmap, set when the bar first opens.
QToolButton *newButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon,
                       const QString &toolTip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setProperty("standardIcon", int(icon));
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

std::unique_ptr<FindBar> FindBar::make(WindowParts &parts)
{
    auto bar = std::make_unique<FindBar>(&parts.window, parts.page.find, parts.page.events,
                                         parts.page.focus, &parts.text);
    QObject::connect(bar.get(), &FindBar::openChanged, &parts.window,
                     [&parts] { parts.guarded("findBar_Change", parts.layoutChanged); });
    return bar;
}

FindBar::FindBar(QWidget *parent, PageFind &find, PageEvents &events,
                 std::function<void()> focusPage, RichTextArea *text)
    : QWidget(parent)
    , m_find(find)
    , m_focusPage(std::move(focusPage))
    , m_text(text)
    , m_field(new QLineEdit(this))
    , m_matchCase(new QCheckBox(tr("Match &case"), this))
    , m_result(new QLabel(this))
{
    setObjectName(QStringLiteral("findBar"));
    setAutoFillBackground(true);
    m_field->setObjectName(QStringLiteral("findText"));
    m_field->setPlaceholderText(tr("Find in page"));
    m_field->installEventFilter(this);
    m_matchCase->setObjectName(QStringLiteral("findMatchCase"));
    m_result->setObjectName(QStringLiteral("findResult"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->addWidget(new QLabel(tr("Find:"), this));
    layout->addWidget(m_field, 1);
    QToolButton *previous
        = newButton(this, "findPrevious", QStyle::SP_ArrowUp, tr("Previous match (Shift+F3)"));
    QToolButton *next = newButton(this, "findNext", QStyle::SP_ArrowDown, tr("Next match (F3)"));
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_result);
    layout->addStretch();
    QToolButton *closeButton
        = newButton(this, "findClose", QStyle::SP_DialogCloseButton, tr("Close (Esc)"));
    layout->addWidget(closeButton);
    // A screen reader knows the image buttons by their tool tips; Tab goes in the order shown.
    setAccessibleName(tr("Find bar"));
    m_field->setAccessibleName(m_field->placeholderText());
    for (auto *clear : m_field->findChildren<QToolButton *>())
        clear->setAccessibleName(tr("Clear"));
    const QList<QWidget *> shown { m_field, previous, next, m_matchCase, closeButton };
    for (qsizetype index = 1; index < shown.size(); ++index) {
        if (auto *button = qobject_cast<QToolButton *>(shown.at(index)))
            Accessibility::nameByToolTip(button);
        QWidget::setTabOrder(shown.at(index - 1), shown.at(index));
    }

    // A new text, or a new choice of case, is a new search from the match shown.
    connect(m_field, &QLineEdit::textChanged, this, [this] { search(false, false); });
    connect(m_matchCase, &QCheckBox::toggled, this, [this] { search(false, false); });
    connect(previous, &QToolButton::clicked, this, &FindBar::findPrevious);
    connect(next, &QToolButton::clicked, this, &FindBar::findNext);
    connect(closeButton, &QToolButton::clicked, this, &FindBar::close);
    connect(&m_find, &PageFind::FindResult, this, [this](int active, int count) {
        if (m_pageShown)
            showResult(active, count);
    });
    // A new page: the bar, kept open, searches it.
    connect(&events, &PageEvents::DownloadComplete, this, &FindBar::pageLoaded);
    parent->installEventFilter(this);
    hide();
}

void FindBar::setPageShown(bool pageShown)
{
    m_pageShown = pageShown;
}

QString FindBar::text() const
{
    return m_field->text();
}

void FindBar::open()
{
    const bool opening = isHidden();
    if (opening)
        setIcons();
    placeAtFoot();
    show();
    raise();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
    if (!opening)
        return;
    Q_EMIT openChanged();
    if (!m_field->text().isEmpty())
        search(false, false);
}

void FindBar::findNext()
{
    if (isHidden())
        open();
    else
        search(false, true);
}

void FindBar::findPrevious()
{
    if (isHidden())
        open();
    else
        search(true, true);
}

void FindBar::close()
{
    if (isHidden())
        return;
    hide();
    Failure::skip([&] { m_find.FindText(QString(), false, false); });
    if (m_text && m_textMatch >= 0)
        Failure::skip([&] { m_text->Select(int(m_textMatch), 0); });
    m_textMatch = -1;
    Q_EMIT openChanged();
    if (m_pageShown)
        Failure::skip([&] { m_focusPage(); });
}

void FindBar::setIcons()
{
    // Looking the icons up reads the icon theme, which the window's start can do without.
    if (m_field->isClearButtonEnabled())
        return;
    m_field->setClearButtonEnabled(true);
    for (QToolButton *button : findChildren<QToolButton *>()) {
        if (const QVariant icon = button->property("standardIcon"); icon.isValid())
            button->setIcon(style()->standardIcon(QStyle::StandardPixmap(icon.toInt())));
    }
}

void FindBar::pageLoaded()
{
    if (!isHidden() && !m_field->text().isEmpty())
        search(false, false);
}

void FindBar::search(bool backward, bool again)
{
    const QString text = m_field->text();
    if (m_pageShown || !m_text) {
        // The engine answers through FindResult.
        Failure::skip([&] { m_find.FindText(text, m_matchCase->isChecked(), backward); });
        if (text.isEmpty())
            showResult(0, 0);
        return;
    }
    // The text counts its own matches; a new search starts at the match shown.
    const qsizetype shown = qMax<qsizetype>(m_textMatch, 0);
    const qsizetype from = again && !backward ? shown + 1 : shown;
    Failure::skip([&] {
        const HtmlTools::TextMatch match = HtmlTools::findInText(
            m_text->SearchText(), text,
            m_matchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive, from, backward);
        m_textMatch = match.start;
        m_text->Select(int(qMax<qsizetype>(match.start, shown)),
                       match.count > 0 ? int(text.size()) : 0);
        showResult(match.ordinal, match.count);
    });
}

void FindBar::showResult(int activeMatch, int numberOfMatches)
{
    const bool notFound = !m_field->text().isEmpty() && numberOfMatches == 0;
    if (m_field->text().isEmpty())
        m_result->clear();
    else if (notFound)
        m_result->setText(tr("Not found"));
    else
        m_result->setText(tr("%1 of %2").arg(activeMatch).arg(numberOfMatches));
    // The field, which keeps the focus, tells a screen reader the outcome too.
    m_field->setAccessibleDescription(m_result->text());
    QPalette colours = palette();
    if (notFound)
        colours.setColor(QPalette::Base, ReadableColours::warningBackground(colours));
    m_field->setPalette(colours);
}

void FindBar::placeAtFoot()
{
    const int barHeight = sizeHint().height();
    setGeometry(0, parentWidget()->height() - barHeight, parentWidget()->width(), barHeight);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        placeAtFoot();
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                findPrevious();
            else
                findNext();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

Commands::Rows<FindBar> FindBar::commands()
{
    using namespace Commands;
    static constexpr Row<FindBar> rows[] = {
        keys<FindBar>(
            "actFind", QT_TRANSLATE_NOOP("frmWebBrowser", "Find..."), "Ctrl+F",
            [](FindBar &unit) { unit.open(); }, View::Always, true),
        keys<FindBar>("actFindNext", QT_TRANSLATE_NOOP("frmWebBrowser", "Find next"), "F3",
                      [](FindBar &unit) { unit.findNext(); }),
        keys<FindBar>("actFindPrevious", QT_TRANSLATE_NOOP("frmWebBrowser", "Find previous"),
                      "Shift+F3", [](FindBar &unit) { unit.findPrevious(); }),
    };
    return rows;
}
