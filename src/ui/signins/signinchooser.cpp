#include "ui/signins/signinchooser.h"

#include <QListWidget>
#include <QVBoxLayout>

SignInChooser::SignInChooser(QWidget *window)
    // A window of its own that never takes the focus: a click in it leaves the keyboard in
    // the page's field, where a click in a child of the browser window would move it.
    : QFrame(window, Qt::ToolTip | Qt::FramelessWindowHint)
    , m_list(new QListWidget(this))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("signInChooser"));
    setAccessibleName(tr("Saved sign-ins for this site"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
    m_list->setObjectName(QStringLiteral("lstSignInChoices"));
    m_list->setAccessibleName(tr("Saved sign-ins for this site"));
    // The keyboard stays in the page's field; its keys come through the page.
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setStyleSheet(QStringLiteral("QListWidget::item { padding: 3px 6px; }"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(m_list);
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { choose(m_list->row(item)); });
    hide();
}

void SignInChooser::showUnder(const QRect &field, const QRect &bounds, const QStringList &names)
{
    m_list->clear();
    m_list->addItems(names);
    m_list->setCurrentRow(-1);
    const int rows = int(std::min<qsizetype>(names.size(), 6));
    m_list->setFixedHeight(rows * m_list->sizeHintForRow(0) + 2 * m_list->frameWidth());
    const int height = m_list->height() + 2 * frameWidth() + 2;
    const int width = std::max(field.width(), 160);
    QRect place(field.left(), field.bottom() + 2, width, height);
    // Above the field where there is no room below it.
    if (place.bottom() > bounds.bottom() && field.top() - height - 2 >= bounds.top())
        place.moveBottom(field.top() - 2);
    if (place.right() > bounds.right())
        place.moveRight(bounds.right());
    place.moveLeft(std::max(place.left(), bounds.left()));
    setGeometry(place);
    if (isHidden())
        m_shown.start();
    show();
    raise();
}

void SignInChooser::dismiss()
{
    if (isHidden())
        return;
    hide();
    Q_EMIT dismissed();
}

QStringList SignInChooser::names() const
{
    QStringList names;
    for (int row = 0; row < m_list->count(); ++row)
        names.append(m_list->item(row)->text());
    return names;
}

void SignInChooser::key(const QString &key)
{
    if (isHidden())
        return;
    const int row = m_list->currentRow();
    if (key == QLatin1String("Down"))
        m_list->setCurrentRow(std::min(row + 1, m_list->count() - 1));
    else if (key == QLatin1String("Up"))
        m_list->setCurrentRow(std::max(row - 1, 0));
    else if (key == QLatin1String("Enter") && row >= 0)
        choose(row);
    else if (key == QLatin1String("Escape"))
        dismiss();
}

void SignInChooser::choose(int row)
{
    if (row < 0 || row >= m_list->count() || !m_shown.isValid() || m_shown.elapsed() < SteadyMs)
        return;
    Q_EMIT chosen(m_list->item(row)->text());
    dismiss();
}
