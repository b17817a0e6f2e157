#include "signins/loginwatch.h"

#include <QCryptographicHash>
#include <utility>

using namespace SignInRules;

namespace {

QString documentOf(const QVariantMap &report)
{
    return report.value(QStringLiteral("document")).toString();
}

} // namespace

void LoginWatch::typed(const QVariantMap &report, const QUrl &pageUrl)
{
    m_typed.reset();
    if (const auto fields = readTyped(report, pageUrl))
        m_typed = Login { *fields, documentOf(report) };
}

std::optional<Submission> LoginWatch::ended(const QVariantMap &report, const QUrl &pageUrl,
                                            qint64 nowMs)
{
    const QString how = report.value(QStringLiteral("how")).toString();
    LoginEnd end = LoginEnd::Submitted;
    if (how == QLatin1String("left"))
        end = LoginEnd::FieldLeft;
    else if (how != QLatin1String("submit"))
        return std::nullopt;
    const auto fields = readTyped(report, pageUrl);
    if (!fields)
        return std::nullopt;
    // The typing it reports on has ended with it.
    m_typed.reset();
    const auto yes = [&report](const char *name) {
        const QVariant value = report.value(QLatin1String(name));
        return value.typeId() == QMetaType::Bool && value.toBool();
    };
    if (!countsAsSignIn(end, yes("typedByUser"), yes("requestSinceTyping")))
        return std::nullopt;
    return conclude({ *fields, documentOf(report) }, nowMs);
}

std::optional<Submission> LoginWatch::leaving(LoginEnd end, const QUrl &pageUrl, qint64 nowMs)
{
    const auto typed = std::exchange(m_typed, std::nullopt);
    if (!typed || typed->fields.origin != originOf(pageUrl) || !countsAsSignIn(end, true, false))
        return std::nullopt;
    return conclude(*typed, nowMs);
}

std::optional<Submission> LoginWatch::conclude(const Login &login, qint64 nowMs)
{
    Submission signIn = login.fields;
    // A page that asked for the user name alone: its password page comes next.
    if (signIn.password.isEmpty()) {
        if (!signIn.userName.isEmpty())
            m_earlier = EarlierUserName { signIn.origin, signIn.userName, nowMs };
        return std::nullopt;
    }
    signIn.userName = userNameFor(signIn, m_earlier, nowMs);
    const Found found { login.document, signIn.origin,
                        QCryptographicHash::hash(signIn.password.toUtf8(),
                                                 QCryptographicHash::Sha256) };
    if (m_last && m_last->document == found.document && m_last->origin == found.origin
        && m_last->passwordDigest == found.passwordDigest)
        return std::nullopt;
    m_last = found;
    return signIn;
}
