#include "ui/history/completionpopup.h"

#include "history/historymatch.h"
#include "history/historyrules.h"
#include "navigation/searchwords.h"
#include "platform/api/historystore.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

namespace {

// Draws one line of text from x with the ranges in bold, cut at the right edge; returns where
// it ends. Painted directly: a rich-text document per row cost more than the search itself.
int drawLine(QPainter *painter, const QRect &line, const QString &text,
             const QList<History::TextRange> &ranges, const QFont &font)
{
    QFont bold = font;
    bold.setBold(true);
    int x = line.left();
    qsizetype at = 0;
    const auto draw = [&](qsizetype from, qsizetype length, const QFont &with) {
        if (length <= 0 || x >= line.right())
            return;
        // No line shows more than a few hundred characters.
        const QString part
            = text.mid(from, std::min<qsizetype>(length, 200 - std::min<qsizetype>(from, 200)));
        if (part.isEmpty())
            return;
        painter->setFont(with);
        const QRect room(x, line.top(), line.right() - x, line.height());
        painter->drawText(room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, part);
        x += QFontMetrics(with).horizontalAdvance(part);
    };
    for (const History::TextRange &range : ranges) {
        draw(at, range.start - at, font);
        draw(range.start, range.length, bold);
        at = range.start + range.length;
    }
    draw(at, text.size() - at, font);
    return x;
}

// Two lines per row: the title, then the address in the colour of links.
class SuggestionDelegate final : public QStyledItemDelegate
{
public:
    SuggestionDelegate(const CompletionPopup &popup)
        : QStyledItemDelegate(const_cast<CompletionPopup *>(&popup))
        , m_popup(popup)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &background, painter);

        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &palette = option.palette;
        const QColor text = selected ? palette.highlightedText().color() : palette.text().color();
        const QColor link = selected ? text : palette.link().color();
        const QString title = index.data(CompletionPopup::TitleRole).toString();
        const QString address = index.data(CompletionPopup::AddressRole).toString();
        const int lineHeight = option.fontMetrics.height();
        QRect line = option.rect.adjusted(4, 3, -4, 0);
        line.setHeight(lineHeight);
        painter->save();
        painter->setClipRect(option.rect);
        painter->setPen(text);
        if (address.isEmpty()) {
            const QString prefix = tr("Search for %1").arg(QString());
            const int x = drawLine(painter, line, prefix, {}, option.font);
            drawLine(painter, line.adjusted(x - line.left(), 0, 0, 0), title,
                     { { 0, title.size() } }, option.font);
        } else {
            const QString shown = title.isEmpty() ? address : title;
            drawLine(painter, line, shown, History::highlightRanges(m_popup.words(), shown),
                     option.font);
            painter->setPen(link);
            drawLine(painter, line.translated(0, lineHeight), address,
                     History::highlightRanges(m_popup.words(), address), option.font);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const int line = option.fontMetrics.height();
        const bool search = index.data(CompletionPopup::AddressRole).toString().isEmpty();
        return { option.rect.width(), (search ? line : 2 * line) + 6 };
    }

    static QString tr(const char *text) { return CompletionPopup::tr(text); }

private:
    const CompletionPopup &m_popup;
};

} // namespace

CompletionPopup::CompletionPopup(HistoryStore &store, QComboBox *box,
                                 std::function<QStringList()> favorites)
    : QFrame(box, Qt::ToolTip | Qt::FramelessWindowHint)
    , m_store(store)
    , m_box(box)
    , m_favorites(std::move(favorites))
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("popAddressSuggestions"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::Box);
    m_list->setObjectName(QStringLiteral("lstAddressSuggestions"));
    m_list->setAccessibleName(tr("Address suggestions"));
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setItemDelegate(new SuggestionDelegate(*this));
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);

    connect(m_box->lineEdit(), &QLineEdit::textEdited, this, &CompletionPopup::typed);
    // A click chooses the row and goes there as Enter in the box would.
    connect(m_list, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        choose(m_list->row(item));
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(m_box, &enter);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QCoreApplication::sendEvent(m_box, &release);
    });
    m_box->installEventFilter(this);
}

int CompletionPopup::chosenRow() const
{
    return m_list->currentRow();
}

void CompletionPopup::typed(const QString &text)
{
    m_typed = text;
    m_words = History::queryWords(text);
    if (m_words.isEmpty()) {
        closePopup();
        return;
    }
    CompletionQuery query { m_words, History::hostPrefix(text), History::MaxSuggestions };
    const quint64 asked = ++m_asked;
    m_store.complete(query, this, [this, text, asked](const QList<HistoryEntry> &history) {
        // The user has typed on, or has gone with the text or away from the box since: this
        // answer is for a question nobody asks any more.
        if (asked == m_asked)
            show(text, history);
    });
}

void CompletionPopup::show(const QString &text, const QList<HistoryEntry> &history)
{
    if (!m_box->hasFocus() && !m_box->lineEdit()->hasFocus())
        return;
    m_list->clear();
    QSet<QString> fromHistory;
    for (const HistoryEntry &entry : history)
        fromHistory.insert(entry.url);
    for (const History::Suggestion &suggestion :
         History::rankSuggestions(history, m_favorites ? m_favorites() : QStringList(), text)) {
        auto *item = new QListWidgetItem(m_list);
        item->setText(suggestion.title.isEmpty()
                          ? suggestion.url
                          : suggestion.title + QStringLiteral(" – ") + suggestion.url);
        item->setData(AddressRole, suggestion.url);
        item->setData(TitleRole, suggestion.title);
        item->setData(FromHistoryRole, fromHistory.contains(suggestion.url));
    }
    // Text that Enter opens as an address is not offered as a search: the row would say
    // what Enter does not do.
    if (!m_localNames)
        m_localNames = Navigation::localHostNames();
    if (Navigation::isSearchWords(text.trimmed(), *m_localNames)) {
        auto *search = new QListWidgetItem(m_list);
        search->setText(tr("Search for %1").arg(text.trimmed()));
        search->setData(TitleRole, text.trimmed());
    }
    if (m_list->count() == 0) {
        closePopup();
        return;
    }
    m_list->setCurrentRow(-1);
    place();
    QFrame::show();
    Q_EMIT suggestionsShown();
}

void CompletionPopup::place()
{
    int height = 2 * frameWidth();
    for (int row = 0; row < m_list->count(); ++row)
        height += m_list->sizeHintForRow(row);
    const QRect wanted(m_box->mapToGlobal(QPoint(0, m_box->height())),
                       QSize(m_box->width(), height));
    if (geometry() != wanted)
        setGeometry(wanted);
}

void CompletionPopup::closePopup()
{
    ++m_asked;
    hide();
    m_list->setCurrentRow(-1);
}

void CompletionPopup::choose(int row)
{
    m_list->setCurrentRow(row);
    const QString address = row >= 0 ? m_list->item(row)->data(AddressRole).toString() : QString();
    // The search row and the typed text both put back what was typed.
    m_box->lineEdit()->setText(address.isEmpty() ? m_typed : address);
    if (!address.isEmpty())
        Q_EMIT addressChosen(address);
}

void CompletionPopup::removeChosen()
{
    const int row = chosenRow();
    if (row < 0 || !m_list->item(row)->data(FromHistoryRole).toBool())
        return;
    m_store.removeAddresses({ m_list->item(row)->data(AddressRole).toString() });
    delete m_list->takeItem(row);
    place();
    choose(std::min(row, m_list->count() - 1));
}

bool CompletionPopup::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    const int rows = m_list->count();
    switch (key) {
    case Qt::Key_Down:
        if (modifiers & Qt::AltModifier)
            return false; // the box's own list
        // Past the last row the typed text comes back, then the first row again.
        choose(chosenRow() + 1 >= rows ? -1 : chosenRow() + 1);
        return true;
    case Qt::Key_Up:
        if (modifiers & Qt::AltModifier)
            return false;
        choose(chosenRow() < 0 ? rows - 1 : chosenRow() - 1);
        return true;
    case Qt::Key_Escape:
        if (chosenRow() >= 0)
            m_box->lineEdit()->setText(m_typed);
        closePopup();
        return true;
    case Qt::Key_Delete:
        if (!(modifiers & Qt::ShiftModifier) || chosenRow() < 0)
            return false;
        removeChosen();
        return true;
    default:
        return false;
    }
}

bool CompletionPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_box)
        return QFrame::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // While the popup is shown its keys are the box's, not the window's shortcuts (Esc).
        if (isVisible()) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Escape || key->key() == Qt::Key_Up
                || key->key() == Qt::Key_Down
                || (key->key() == Qt::Key_Delete && (key->modifiers() & Qt::ShiftModifier))) {
                event->accept();
                return true;
            }
        }
        break;
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        // Also before the first answer has come: a late one must not open the popup again.
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter
            || key->key() == Qt::Key_F4) {
            closePopup(); // and the box goes on with the key
            break;
        }
        if (!isVisible())
            break;
        if (handleKey(key->key(), key->modifiers()))
            return true;
        if ((key->modifiers() & Qt::AltModifier)
            && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up))
            closePopup();
        break;
    }
    case QEvent::FocusOut:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
        closePopup();
        break;
    default:
        break;
    }
    return QFrame::eventFilter(watched, event);
}
