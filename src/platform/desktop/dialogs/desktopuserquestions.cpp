#include "platform/desktop/dialogs/desktopuserquestions.h"

#include "platform/api/permissionkinds.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString wish(UserQuestions::Permission permission)
{
    const PermissionKind *kind = permissionKind(permission);
    return kind ? DesktopUserQuestions::tr(kind->wish) : QString();
}

} // namespace

DesktopUserQuestions::DesktopUserQuestions(QString title)
    : m_title(std::move(title))
{
}

QString DesktopUserQuestions::whereToSave(const QString &suggestedPath)
{
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), tr("Save File"),
                                        suggestedPath);
}

bool DesktopUserQuestions::proceedDespiteCertificate(const QString &host, const QString &problem)
{
    return choose(tr("The connection to %1 is not safe: %2.\n\n"
                     "Someone may be posing as this site to read what you send it. "
                     "Go back unless you know why this happens.")
                      .arg(host, problem),
                  tr("&Show the page"), tr("Go &back"));
}

UserQuestions::PermissionAnswer DesktopUserQuestions::allowPermission(const QString &host,
                                                                      Permission permission)
{
    QMessageBox box(QMessageBox::Question, m_title,
                    tr("%1 wants to %2.").arg(host, wish(permission)), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton *allow = box.addButton(tr("&Allow"), QMessageBox::AcceptRole);
    QPushButton *deny = box.addButton(tr("&Deny"), QMessageBox::RejectRole);
    box.setDefaultButton(deny);
    box.setEscapeButton(deny);
    // Unticked, the answer holds for this request only and the site asks again next time.
    auto *remember = new QCheckBox(tr("&Remember this decision for %1").arg(host), &box);
    remember->setChecked(true);
    box.setCheckBox(remember);
    box.exec();
    const bool allowed = box.clickedButton() == allow;
    // Closing the box is no decision to keep.
    const bool decided = allowed || box.clickedButton() == deny;
    return { allowed, decided && remember->isChecked() };
}

bool DesktopUserQuestions::cancelDownloads(int running)
{
    const QString text = running == 1
        ? tr("A download is still running. Cancel it, or let it finish?")
        : tr("%1 downloads are still running. Cancel them, or let them finish?").arg(running);
    return choose(text, tr("&Cancel downloads"), tr("&Let them finish"));
}

bool DesktopUserQuestions::quitCancellingDownloads(int running)
{
    const QString text = running == 1
        ? tr("A download is still running. Quit and cancel it?")
        : tr("%1 downloads are still running. Quit and cancel them?").arg(running);
    return choose(text, tr("&Quit and cancel"), tr("&Stay"));
}

std::optional<UserQuestions::Credentials> DesktopUserQuestions::credentials(const QString &site,
                                                                            const QString &realm)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(tr("Authentication Required"));
    auto *layout = new QVBoxLayout(&dialog);
    QString prompt = tr("%1 asks for a user name and password.").arg(site);
    if (!realm.isEmpty())
        prompt += QLatin1Char('\n') + tr("The site says: \"%1\"").arg(realm);
    auto *message = new QLabel(prompt, &dialog);
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    layout->addWidget(message);

    auto *form = new QFormLayout;
    auto *user = new QLineEdit(&dialog);
    auto *password = new QLineEdit(&dialog);
    password->setEchoMode(QLineEdit::Password);
    form->addRow(tr("&User name:"), user);
    form->addRow(tr("&Password:"), password);
    layout->addLayout(form);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return Credentials { user->text(), password->text() };
}

bool DesktopUserQuestions::stopUnresponsivePage(const QString &site)
{
    return choose(tr("The page is not responding. Stop it?") + QStringLiteral("\n\n") + site,
                  tr("&Stop it"), tr("&Wait"));
}

bool DesktopUserQuestions::choose(const QString &text, const QString &yes, const QString &no) const
{
    QMessageBox box(QMessageBox::Question, m_title, text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton *yesButton = box.addButton(yes, QMessageBox::AcceptRole);
    QPushButton *noButton = box.addButton(no, QMessageBox::RejectRole);
    box.setDefaultButton(noButton);
    box.setEscapeButton(noButton);
    box.exec();
    return box.clickedButton() == yesButton;
}
