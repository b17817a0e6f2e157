#include "ui/blocking/hideelementdialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

HideElementDialog::HideElementDialog(const QString &host, const QString &selector, QWidget *parent)
    : QDialog(parent)
    , m_selector(new QLineEdit(selector, this))
    , m_problem(new QLabel(this))
    , m_hide(new QPushButton(tr("&Hide"), this))
{
    setObjectName(QStringLiteral("hideElementDialog"));
    setWindowTitle(tr("Hide this element"));
    auto *site
        = new QLabel(tr("Hide on %1 the elements that this CSS selector names:").arg(host), this);
    site->setObjectName(QStringLiteral("hideElementSite"));
    site->setTextFormat(Qt::PlainText);
    site->setWordWrap(true);
    site->setBuddy(m_selector);
    m_selector->setObjectName(QStringLiteral("hideElementSelector"));
    m_selector->setAccessibleName(tr("CSS selector"));
    m_selector->setMinimumWidth(360);
    m_problem->setObjectName(QStringLiteral("hideElementProblem"));
    m_problem->setTextFormat(Qt::PlainText);
    m_problem->setWordWrap(true);
    m_problem->hide();
    m_hide->setObjectName(QStringLiteral("hideElementHide"));
    m_hide->setDefault(true);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(m_hide, QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setText(tr("Cancel"));
    cancel->setObjectName(QStringLiteral("hideElementCancel"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(site);
    layout->addWidget(m_selector);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
    connect(m_selector, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_hide->setEnabled(!text.trimmed().isEmpty());
        m_problem->hide();
    });
    m_hide->setEnabled(!selector.trimmed().isEmpty());
    // Hide closes the dialog only once the selector was taken.
    connect(buttons, &QDialogButtonBox::accepted, this,
            [this] { Q_EMIT hideRequested(this->selector()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QString HideElementDialog::selector() const
{
    return m_selector->text().trimmed();
}

void HideElementDialog::refuse(const QString &reason)
{
    m_problem->setText(reason);
    m_problem->setAccessibleName(reason);
    m_problem->show();
    // The dialog grows to show the reason whole.
    adjustSize();
    m_selector->setFocus();
    m_selector->selectAll();
}
