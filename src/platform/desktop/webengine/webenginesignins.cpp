#include "platform/desktop/webengine/webenginesignins.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QWebChannel>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

bool sameOrigin(const QUrl &one, const QUrl &other)
{
    const auto port = [](const QUrl &url) {
        return url.port(
            url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
    };
    return one.scheme().compare(other.scheme(), Qt::CaseInsensitive) == 0
        && one.host().compare(other.host(), Qt::CaseInsensitive) == 0 && port(one) == port(other);
}

QString resourceText(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        qWarning("%s is missing: sign-ins are neither reported nor filled.", qPrintable(name));
    return QString::fromUtf8(file.readAll());
}

// A call of the sign-in script, its arguments written as JSON so that no value can break out
// of them.
QString scriptCall(const QString &function, const QJsonArray &arguments)
{
    const QString list = QString::fromUtf8(QJsonDocument(arguments).toJson(QJsonDocument::Compact));
    return QStringLiteral("window.kestravSignIns && kestravSignIns.%1.apply(null, %2)")
        .arg(function, list);
}

} // namespace

WebEngineSignIns::WebEngineSignIns(QWebEnginePage *page)
    : m_page(page)
    , m_channel(new QWebChannel(this))
{
    m_channel->registerObject(QStringLiteral("kestravSignIns"), &m_reports);
    m_page->setWebChannel(m_channel, QWebEngineScript::ApplicationWorld);
    QWebEngineScript script;
    script.setName(QStringLiteral("kestrav sign-ins"));
    // Sign-ins belong to the web's pages: the program's own pages (the start page, the reader
    // view) and local files have none, and load without the script and its channel.
    script.setSourceCode(
        QStringLiteral("if (location.protocol === 'http:' || location.protocol === 'https:') {\n")
        + resourceText(QStringLiteral(":/qtwebchannel/qwebchannel.js"))
        + resourceText(QStringLiteral(":/signins/signins.js")) + QStringLiteral("\n}\n"));
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setRunsOnSubFrames(false);
    m_page->scripts().insert(script);
    connect(&m_reports, &SignInReports::reported, this, &WebEngineSignIns::reported);
    connect(m_page, &QWebEnginePage::navigationRequested, this,
            &WebEngineSignIns::navigationRequested);
}

WebEngineSignIns::~WebEngineSignIns()
{
    m_channel->deregisterObject(&m_reports);
}

void WebEngineSignIns::reported(const QVariantMap &report)
{
    const QString kind = report.value(QStringLiteral("kind")).toString();
    const QUrl pageUrl = m_page->url();
    if (kind == QLatin1String("found")) {
        Q_EMIT loginFound(report, pageUrl);
    } else if (kind == QLatin1String("typed")) {
        Q_EMIT loginTyped(report, pageUrl);
    } else if (kind == QLatin1String("submitted")) {
        Q_EMIT formSubmitted(report, pageUrl);
    } else if (kind == QLatin1String("chooser")) {
        // The script measures in the page's pixels, which the zoom enlarges on the screen.
        const qreal zoom = m_page->zoomFactor();
        const QRectF area(report.value(QStringLiteral("x")).toReal() * zoom,
                          report.value(QStringLiteral("y")).toReal() * zoom,
                          report.value(QStringLiteral("width")).toReal() * zoom,
                          report.value(QStringLiteral("height")).toReal() * zoom);
        Q_EMIT chooserWanted(report, area.toAlignedRect(), pageUrl);
    } else if (kind == QLatin1String("key")) {
        Q_EMIT chooserKey(report.value(QStringLiteral("key")).toString());
    } else if (kind == QLatin1String("chooserDone")) {
        Q_EMIT chooserDone();
    }
}

void WebEngineSignIns::navigationRequested(QWebEngineNavigationRequest &request)
{
    if (!request.isMainFrame())
        return;
    Leaving how = Leaving::ByPage;
    // The engine asks at once; a navigation of the user's that never started is not taken
    // for the page's own much later.
    if (m_userNavigates.isValid() && m_userNavigates.elapsed() < UserNavigationMs)
        how = Leaving::ByUser;
    else if (request.navigationType() == QWebEngineNavigationRequest::FormSubmittedNavigation)
        how = Leaving::FormSent;
    m_userNavigates.invalidate();
    Q_EMIT pageLeaving(how, m_page->url());
}

void WebEngineSignIns::fill(const QString &origin, const Login &login, const SignIn &signIn,
                            bool byChoice)
{
    // The keyring answers later: the page may have moved on to another site by then.
    if (!sameOrigin(m_page->url(), QUrl(origin)))
        return;
    m_page->runJavaScript(
        scriptCall(QStringLiteral("fill"),
                   { login.document, login.login, signIn.userName, signIn.secret, byChoice }),
        QWebEngineScript::ApplicationWorld);
}

void WebEngineSignIns::setChooserShown(const Login &login, bool shown)
{
    m_page->runJavaScript(
        scriptCall(QStringLiteral("chooserShown"), { login.document, login.login, shown }),
        QWebEngineScript::ApplicationWorld);
}

bool WebEngineSignIns::passedCertificateError() const
{
    return m_passedHosts.contains(m_page->url().host().toLower());
}

void WebEngineSignIns::certificatePassed(const QUrl &url)
{
    m_passedHosts.insert(url.host().toLower());
}
