#pragma once

#include <QList>
#include <QObject>
#include <QRect>
#include <QString>
#include <QUrl>
#include <QVariantMap>

// The sign-ins of the page shown: the logins (password fields and the user-name fields beside
// them) of its top frame, what the user types into them, how they end, and filling them.
// Reports hold what the page's script claims; pageUrl is always the page's real address.
class PageSignIns : public QObject
{
    Q_OBJECT

public:
    struct SignIn
    {
        QString userName;
        QString secret;
    };

    // One login of one document of the page, as a report names it ("document", "login").
    struct Login
    {
        QString document;
        int login = 0;
    };

    // How the top frame leaves its page.
    enum class Leaving {
        // The user went elsewhere: the address box, Back, Forward, Refresh, the home page.
        ByUser,
        // A link, or the page's own script.
        ByPage,
        // A form sent without its submit event.
        FormSent,
    };
    Q_ENUM(Leaving)

    using QObject::QObject;

    // Puts a sign-in into the login's fields, if the page shown still belongs to origin and
    // is the document that reported the login, and the fields are still there, shown and
    // enabled. Only the fields the login had when the page reported it are filled, never one
    // made later. A fill on load (byChoice false) happens once per document, and never after
    // the user chose a sign-in there.
    virtual void fill(const QString &origin, const Login &login, const SignIn &signIn,
                      bool byChoice)
        = 0;
    // While the chooser is shown for a login, the keys Up, Down, Enter and Escape in its
    // fields go to the chooser.
    virtual void setChooserShown(const Login &login, bool shown) = 0;
    // Whether the user chose to pass a certificate error of the page shown.
    virtual bool passedCertificateError() const = 0;

Q_SIGNALS:
    // A login appeared in the top frame, at load or later: "document", "login", and the facts
    // "topFrame", "visible", "enabled", "action" (where its form sends).
    void loginFound(const QVariantMap &report, const QUrl &pageUrl);
    // The user typed into a login's fields: "origin", "userName", "password" (empty on a page
    // that asks for the user name alone).
    void loginTyped(const QVariantMap &report, const QUrl &pageUrl);
    // A login ended: "how" is "submit" (its form's submit event) or "left" (the password field
    // was removed or hidden), with "origin", "userName", "password", "typedByUser" and
    // "requestSinceTyping".
    void formSubmitted(const QVariantMap &report, const QUrl &pageUrl);
    // The top frame is about to leave pageUrl for another document.
    void pageLeaving(PageSignIns::Leaving how, const QUrl &pageUrl);
    // The user clicked or moved into a login's field: the report of loginFound, with
    // fieldArea where the field is on the control's widget.
    void chooserWanted(const QVariantMap &report, const QRect &fieldArea, const QUrl &pageUrl);
    // A key for the chooser: "Up", "Down", "Enter" or "Escape".
    void chooserKey(const QString &key);
    // The field the chooser was shown for has lost the focus, been typed into or moved.
    void chooserDone();
};
