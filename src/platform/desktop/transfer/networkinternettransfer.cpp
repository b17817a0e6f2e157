#include "platform/desktop/transfer/networkinternettransfer.h"

#include "platform/api/platformerror.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QUrl>

namespace {

constexpr qint64 ReadPieceBytes = 1024 * 1024;

QString tr(const char *text)
{
    return QCoreApplication::translate("NetworkInternetTransfer", text);
}

QByteArray charsetOf(const QByteArray &contentType)
{
    const QList<QByteArray> parameters = contentType.split(';');
    for (qsizetype i = 1; i < parameters.size(); ++i) {
        const QByteArray parameter = parameters.at(i).trimmed();
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0 || parameter.left(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray value = parameter.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return {};
}

// Whether the server answered with an HTTP error status (404, 500, ...), as opposed to a
// transfer that went wrong.
bool isServerAnswer(const QNetworkReply &reply)
{
    if (!reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid())
        return false;
    const QNetworkReply::NetworkError error = reply.error();
    return (error >= QNetworkReply::ContentAccessDenied
            && error <= QNetworkReply::UnknownContentError)
        || error == QNetworkReply::ProtocolInvalidOperationError // 400
        || (error >= QNetworkReply::InternalServerError
            && error <= QNetworkReply::UnknownServerError);
}

} // namespace

NetworkInternetTransfer::NetworkInternetTransfer(std::chrono::milliseconds timeout,
                                                 qint64 sizeLimit)
    : m_timeout(timeout)
    , m_sizeLimit(sizeLimit)
{
}

NetworkInternetTransfer::~NetworkInternetTransfer() = default;

namespace {

QNetworkRequest requestFor(const QString &url, std::chrono::milliseconds timeout)
{
    const QUrl address = QUrl::fromUserInput(url);
    const QString scheme = address.scheme();
    if (url.trimmed().isEmpty() || !address.isValid() || address.host().isEmpty()
        || (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        throw PlatformError(ErrorCode::InvalidProcedureCall, tr("Not an http or https address."));
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(int(timeout.count()));
    return request;
}

// Why the finished reply is no document, as the error the caller sees; nothing when it is one.
void failUnlessDocument(QNetworkReply &reply, const QNetworkRequest &request)
{
    switch (reply.error()) {
    case QNetworkReply::NoError:
        return;
    case QNetworkReply::OperationCanceledError: // only the transfer time-out aborts otherwise
    case QNetworkReply::TimeoutError:
        throw PlatformError(ErrorCode::TransferTimedOut, tr("The transfer timed out."));
    case QNetworkReply::TooManyRedirectsError:
        throw PlatformError(ErrorCode::Unexpected,
                            tr("The address redirects more than %1 times, in a loop or nearly.")
                                .arg(request.maximumRedirectsAllowed()));
    case QNetworkReply::UnknownContentError:
        // A body that cannot be inflated is no document, whatever the status. The network
        // inflates as the body arrives, without a pause for the window, and so ends by
        // itself a body that inflates far more than any text (a bomb) once it passes 10 MiB.
        if (!reply.rawHeader("Content-Encoding").isEmpty())
            throw PlatformError(
                ErrorCode::Overflow,
                tr("The document's compressed body is damaged or inflates far beyond its size."));
        Q_FALLTHROUGH();
    default:
        // An error page is what the server sent for the address: it is the document.
        if (isServerAnswer(reply))
            return;
        throw PlatformError(ErrorCode::Unexpected, reply.errorString());
    }
}

} // namespace

QString NetworkInternetTransfer::OpenURL(const QString &url)
{
    if (m_reply)
        throw PlatformError(ErrorCode::Unexpected, tr("Still executing the last request."));
    const QNetworkRequest request = requestFor(url, m_timeout);

    // Made at the first fetch: a window that never fetches does not pay for it at start-up.
    if (!m_network)
        m_network = std::make_unique<QNetworkAccessManager>();
    const std::unique_ptr<QNetworkReply> reply(m_network->get(request));
    // The network stops reading while this much waits for us, so that the body reaches
    // the memory only as fast as it is counted.
    reply->setReadBufferSize(ReadPieceBytes);
    m_reply = reply.get();
    m_cancelled = false;
    QByteArray data;
    const bool tooLarge = !receive(*reply, data);
    m_reply.clear();

    if (tooLarge)
        failTooLarge();
    if (m_cancelled)
        throw PlatformError(ErrorCode::Unexpected, tr("The transfer was cancelled."));
    failUnlessDocument(*reply, request);
    data += reply->read(m_sizeLimit + 1 - data.size());
    if (data.size() > m_sizeLimit)
        failTooLarge();
    return decode(data, reply->rawHeader("Content-Type"));
}

bool NetworkInternetTransfer::receive(QNetworkReply &reply, QByteArray &data) const
{
    bool tooLarge = false;
    QEventLoop loop;
    const auto stopTooLarge = [&] {
        tooLarge = true;
        reply.abort();
    };
    QObject::connect(&reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        // A body sent as it is says its size before it comes.
        const QByteArray coding = reply.rawHeader("Content-Encoding").trimmed().toLower();
        const QVariant length = reply.header(QNetworkRequest::ContentLengthHeader);
        if ((coding.isEmpty() || coding == "identity") && length.isValid()
            && length.toLongLong() > m_sizeLimit)
            stopTooLarge();
    });
    QObject::connect(&reply, &QNetworkReply::readyRead, &loop, [&] {
        data += reply.read(m_sizeLimit + 1 - data.size());
        if (data.size() > m_sizeLimit)
            stopTooLarge();
    });
    QObject::connect(&reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Waiting repaints the windows but takes no user input, so the caller sees a plain call.
    if (!reply.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !tooLarge;
}

void NetworkInternetTransfer::failTooLarge() const
{
    throw PlatformError(
        ErrorCode::Overflow,
        tr("The document is larger than %1.")
            .arg(QLocale().formattedDataSize(m_sizeLimit, 0, QLocale::DataSizeIecFormat)));
}

void NetworkInternetTransfer::Cancel()
{
    if (!m_reply)
        return;
    m_cancelled = true;
    m_reply->abort();
}

QString NetworkInternetTransfer::decode(const QByteArray &data, const QByteArray &contentType)
{
    const QByteArray charset = charsetOf(contentType);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return decoder.decode(data);
    }
    // Without a usable declaration, encodingForHtml looks for a BOM or a meta charset and
    // answers UTF-8 when it finds neither.
    if (const auto encoding = QStringConverter::encodingForHtml(data)) {
        QStringDecoder decoder(*encoding);
        return decoder.decode(data);
    }
    return QString::fromUtf8(data);
}
