#include "platform/desktop/blocking/filterupdater.h"

#include "contentblocking/filtersources.h"
#include "platform/api/atomicfile.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkReply>

FilterUpdater::FilterUpdater(QObject *parent)
    : QObject(parent)
    , m_network(new QNetworkAccessManager(this))
{
}

FilterUpdater::~FilterUpdater()
{
    if (m_reply)
        m_reply->abort();
}

void FilterUpdater::start(const QList<QUrl> &addresses, const QString &folder)
{
    m_pending = addresses;
    m_folder = folder;
    m_updated = 0;
    m_failures.clear();
    fetchNext();
}

void FilterUpdater::fetchNext()
{
    if (m_pending.isEmpty()) {
        Q_EMIT finished(m_updated, m_failures);
        return;
    }
    QNetworkRequest request(m_pending.takeFirst());
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(60'000);
    m_tooLarge = false;
    m_reply = m_network->get(request);
    connect(m_reply, &QNetworkReply::downloadProgress, this, [this](qint64 received, qint64) {
        if (received > SizeLimit) {
            m_tooLarge = true;
            m_reply->abort();
        }
    });
    connect(m_reply, &QNetworkReply::finished, this, &FilterUpdater::received);
}

QString FilterUpdater::refusal(QNetworkReply *reply, const QByteArray &body) const
{
    if (m_tooLarge)
        return tr("larger than %1 MB").arg(SizeLimit / (1024 * 1024));
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 0 && status != 200)
        return tr("the server answered %1").arg(status);
    if (reply->error() != QNetworkReply::NoError)
        return reply->errorString();
    // A login page of a hotel's network, say, is not a list.
    const QByteArray start = body.left(512).trimmed().toLower();
    if (start.isEmpty() || start.startsWith('<'))
        return tr("what came is not a filter list");
    return QString();
}

void FilterUpdater::received()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    const QUrl address = reply->request().url();
    const QByteArray body
        = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    QString why = refusal(reply, body);
    if (why.isEmpty()) {
        QDir().mkpath(m_folder);
        const AtomicFile::Outcome kept
            = AtomicFile::write(m_folder + u'/' + Filters::fetchedListName(address), body,
                                AtomicFile::Links::StayInFolder);
        why = kept.diskFull ? AtomicFile::diskFullText(m_folder, tr("the list was not updated."))
                            : kept.failure;
    }
    if (why.isEmpty())
        ++m_updated;
    else
        m_failures.append(tr("%1: %2").arg(address.toDisplayString(), why));
    fetchNext();
}
