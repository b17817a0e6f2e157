#include "signins/signinrules.h"

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

std::optional<Submission> readSubmission(const QVariantMap &report, const QUrl &pageUrl)
{
    for (const char *field : { "origin", "userName", "password" }) {
        if (report.value(QLatin1String(field)).typeId() != QMetaType::QString)
            return std::nullopt;
    }
    Submission submission { report.value(QStringLiteral("origin")).toString(),
                            report.value(QStringLiteral("userName")).toString(),
                            report.value(QStringLiteral("password")).toString() };
    const QString pageOrigin = originOf(pageUrl);
    if (pageOrigin.isEmpty() || submission.password.isEmpty()
        || originOf(QUrl(submission.origin)) != pageOrigin)
        return std::nullopt;
    submission.origin = pageOrigin;
    return submission;
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

bool mayFill(const QString &savedOrigin, const QUrl &pageUrl, bool topFrame,
             bool passedCertificateError)
{
    return topFrame && !passedCertificateError && !savedOrigin.isEmpty()
        && originOf(pageUrl) == savedOrigin;
}

} // namespace SignInRules
