#include "platform/desktop/webengine/webenginesignins.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QWebChannel>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

namespace {

// Reports the top frame's forms that carry a password as they are sent (before the page's own
// handlers can change them). The user name is the last text field before the password.
constexpr char ReportScript[] = R"JS(
(function () {
    var reports = null;
    new QWebChannel(qt.webChannelTransport, function (channel) {
        reports = channel.objects.kestravSignIns;
    });
    document.addEventListener('submit', function (event) {
        var form = event.target;
        if (!reports || !(form instanceof HTMLFormElement))
            return;
        var userName = '';
        var inputs = form.querySelectorAll('input');
        for (var i = 0; i < inputs.length; ++i) {
            var input = inputs[i];
            if (input.type === 'password' && input.value) {
                reports.submitted({ origin: location.origin, userName: userName,
                                    password: input.value });
                return;
            }
            if (['text', 'email', 'tel', ''].indexOf(input.type) >= 0)
                userName = input.value;
        }
    }, true);
})();
)JS";

// Fills the first password field of the top frame and the text field before it; with more
// than one sign-in, the user-name field lists them and a listed name brings its password.
constexpr char FillScript[] = R"JS(
(function (signIns) {
    var password = document.querySelector('input[type=password]');
    if (!password)
        return;
    var userField = null;
    var inputs = document.querySelectorAll('input');
    for (var i = 0; i < inputs.length && inputs[i] !== password; ++i) {
        if (['text', 'email', 'tel', ''].indexOf(inputs[i].type) >= 0)
            userField = inputs[i];
    }
    var put = function (field, value) {
        field.value = value;
        field.dispatchEvent(new Event('input', { bubbles: true }));
        field.dispatchEvent(new Event('change', { bubbles: true }));
    };
    if (userField)
        put(userField, signIns[0].userName);
    put(password, signIns[0].secret);
    if (!userField || signIns.length < 2)
        return;
    var list = document.createElement('datalist');
    list.id = 'kestrav-sign-ins';
    signIns.forEach(function (signIn) {
        var option = document.createElement('option');
        option.value = signIn.userName;
        list.appendChild(option);
    });
    document.body.appendChild(list);
    userField.setAttribute('list', list.id);
    userField.addEventListener('input', function () {
        signIns.forEach(function (signIn) {
            if (signIn.userName === userField.value)
                put(password, signIn.secret);
        });
    });
})
)JS";

bool sameOrigin(const QUrl &one, const QUrl &other)
{
    const auto port = [](const QUrl &url) {
        return url.port(
            url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443 : 80);
    };
    return one.scheme().compare(other.scheme(), Qt::CaseInsensitive) == 0
        && one.host().compare(other.host(), Qt::CaseInsensitive) == 0 && port(one) == port(other);
}

QString reportScript()
{
    QFile channelScript(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
    if (!channelScript.open(QIODevice::ReadOnly))
        qWarning("The web channel's script is missing: sign-in forms are not reported.");
    return QString::fromUtf8(channelScript.readAll()) + QString::fromUtf8(ReportScript);
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
    script.setSourceCode(reportScript());
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setRunsOnSubFrames(false);
    m_page->scripts().insert(script);
    connect(&m_reports, &SignInReports::reported, this,
            [this](const QVariantMap &report) { Q_EMIT formSubmitted(report, m_page->url()); });
}

WebEngineSignIns::~WebEngineSignIns()
{
    m_channel->deregisterObject(&m_reports);
}

void WebEngineSignIns::fill(const QString &origin, const QList<SignIn> &signIns)
{
    // The keyring answers later: the page may have moved on to another site by then.
    if (signIns.isEmpty() || !sameOrigin(m_page->url(), QUrl(origin)))
        return;
    QJsonArray list;
    for (const SignIn &signIn : signIns)
        list.append(QJsonObject { { QStringLiteral("userName"), signIn.userName },
                                  { QStringLiteral("secret"), signIn.secret } });
    const QString argument = QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact));
    m_page->runJavaScript(QString::fromUtf8(FillScript) + u'(' + argument + u')',
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
