#include "findbar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>

namespace {

QToolButton *newButton(QWidget *parent, const char *name, QStyle::StandardPixmap icon,
                       const QString &toolTip)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    return button;
}

} // namespace

FindBar::FindBar(QWidget *parent)
    : QWidget(parent)
    , m_field(new QLineEdit(this))
    , m_matchCase(new QCheckBox(tr("Match &case"), this))
    , m_result(new QLabel(this))
{
    setObjectName(QStringLiteral("findBar"));
    setAutoFillBackground(true);
    m_field->setObjectName(QStringLiteral("findText"));
    m_field->setPlaceholderText(tr("Find in page"));
    m_field->setClearButtonEnabled(true);
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
    QToolButton *close
        = newButton(this, "findClose", QStyle::SP_DialogCloseButton, tr("Close (Esc)"));
    layout->addWidget(close);

    connect(m_field, &QLineEdit::textChanged, this, &FindBar::searchChanged);
    connect(m_matchCase, &QCheckBox::toggled, this, &FindBar::searchChanged);
    connect(previous, &QToolButton::clicked, this, &FindBar::previousRequested);
    connect(next, &QToolButton::clicked, this, &FindBar::nextRequested);
    connect(close, &QToolButton::clicked, this, &FindBar::closeRequested);
    hide();
}

QString FindBar::text() const
{
    return m_field->text();
}

bool FindBar::matchCase() const
{
    return m_matchCase->isChecked();
}

void FindBar::open()
{
    show();
    raise();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
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
    QPalette colours = palette();
    if (notFound)
        colours.setColor(QPalette::Base, QColor(0xff, 0xc8, 0xc8));
    m_field->setPalette(colours);
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                Q_EMIT previousRequested();
            else
                Q_EMIT nextRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
