#include "signins/signinrules.h"

#include <QStringList>

namespace SignInRules {

QString originOf(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty())
        return {};
    int defaultPort = 0;
    if (scheme == QLatin1String("http"))
        defaultPort = 80;
    else if (scheme == QLatin1String("https"))
        defaultPort = 443;
    else
        return {};
    return scheme + QLatin1String("://") + url.host().toLower() + QLatin1Char(':')
        + QString::number(url.port(defaultPort));
}

bool isSecureOrigin(const QUrl &url)
{
    const QString origin = originOf(url);
    if (origin.isEmpty())
        return false;
    if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        return true;
    const QString host = url.host().toLower();
    if (host == QLatin1String("localhost") || host.endsWith(QLatin1String(".localhost")))
        return true;
    if (host == QLatin1String("::1"))
        return true;
    // 127.0.0.0/8, written out in four parts as the engine writes it.
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4 || parts.first() != QLatin1String("127"))
        return false;
    for (const QString &part : parts) {
        bool number = false;
        if (part.toUInt(&number) > 255 || !number)
            return false;
    }
    return true;
}

namespace {

std::optional<Submission> read(const QVariantMap &report, const QUrl &pageUrl)
{
    for (const char *field : { "origin", "userName", "password" }) {
        if (report.value(QLatin1String(field)).typeId() != QMetaType::QString)
            return std::nullopt;
    }
    Submission submission { report.value(QStringLiteral("origin")).toString(),
                            report.value(QStringLiteral("userName")).toString(),
                            report.value(QStringLiteral("password")).toString() };
    const QString pageOrigin = originOf(pageUrl);
    if (pageOrigin.isEmpty() || originOf(QUrl(submission.origin)) != pageOrigin)
        return std::nullopt;
    submission.origin = pageOrigin;
    return submission;
}

} // namespace

std::optional<Submission> readSubmission(const QVariantMap &report, const QUrl &pageUrl)
{
    auto submission = read(report, pageUrl);
    if (!submission || submission->password.isEmpty())
        return std::nullopt;
    return submission;
}

std::optional<Submission> readTyped(const QVariantMap &report, const QUrl &pageUrl)
{
    auto typed = read(report, pageUrl);
    if (!typed || (typed->password.isEmpty() && typed->userName.isEmpty()))
        return std::nullopt;
    return typed;
}

Offer offerFor(bool neverForSite, const std::optional<QString> &storedPassword,
               const QString &submittedPassword)
{
    if (neverForSite || submittedPassword.isEmpty())
        return Offer::Nothing;
    if (!storedPassword)
        return Offer::Save;
    return *storedPassword == submittedPassword ? Offer::Nothing : Offer::Update;
}

LoginFields readLoginFields(const QVariantMap &report)
{
    // Anything but a true boolean counts as no.
    const auto yes = [&report](const char *name) {
        const QVariant value = report.value(QLatin1String(name));
        return value.typeId() == QMetaType::Bool && value.toBool();
    };
    LoginFields fields;
    fields.topFrame = yes("topFrame");
    fields.visible = yes("visible");
    fields.enabled = yes("enabled");
    fields.formAction = QUrl(report.value(QStringLiteral("action")).toString());
    return fields;
}

Fill fillFor(const QString &savedOrigin, const QUrl &pageUrl, bool passedCertificateError,
             const LoginFields &fields)
{
    if (savedOrigin.isEmpty() || originOf(pageUrl) != savedOrigin || !fields.topFrame
        || passedCertificateError || !fields.visible || !fields.enabled)
        return Fill::Never;
    const bool sendsHome
        = fields.formAction.isEmpty() || originOf(fields.formAction) == savedOrigin;
    return isSecureOrigin(pageUrl) && sendsHome ? Fill::OnLoad : Fill::OnChoice;
}

bool countsAsSignIn(LoginEnd end, bool typedByUser, bool requestSinceTyping)
{
    switch (end) {
    case LoginEnd::Submitted:
        return true;
    case LoginEnd::FormSentByScript:
    case LoginEnd::PageNavigated:
        return typedByUser;
    case LoginEnd::FieldLeft:
        return typedByUser && requestSinceTyping;
    case LoginEnd::UserNavigated:
        return false;
    }
    return false;
}

QString userNameFor(const Submission &submission, const std::optional<EarlierUserName> &earlier,
                    qint64 nowMs)
{
    if (!submission.userName.isEmpty() || !earlier || earlier->origin != submission.origin)
        return submission.userName;
    const qint64 age = nowMs - earlier->atMs;
    return age >= 0 && age <= EarlierUserNameMs ? earlier->userName : submission.userName;
}

} // namespace SignInRules
