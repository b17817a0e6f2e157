#pragma once

#include "platform/api/internettransfer.h"

#include <chrono>
#include <memory>
#include <QPointer>

class QNetworkAccessManager;
class QByteArray;
class QNetworkReply;

// The internet transfer control on Qt Network: fetches http and https documents as text.
class NetworkInternetTransfer final : public InternetTransfer
{
public:
    // The most text a fetch takes, counted as it arrives after the transfer's own decoding
    // (gzip, brotli), so that a small body that inflates far cannot fill the memory either.
    static constexpr qint64 MaxDocumentBytes = 64 * 1024 * 1024;

    // timeout: how long a transfer may go without receiving anything.
    explicit NetworkInternetTransfer(std::chrono::milliseconds timeout = std::chrono::seconds(60),
                                     qint64 sizeLimit = MaxDocumentBytes);
    ~NetworkInternetTransfer() override;

    QString OpenURL(const QString &url) override;
    void Cancel() override;

    // The text of a document, decoded by the charset of its Content-Type header, else by a
    // declaration inside the document, else as UTF-8.
    static QString decode(const QByteArray &data, const QByteArray &contentType);

private:
    // Waits for the reply, taking its body into data as it arrives; false when the body
    // passed the size limit and the reply was stopped.
    bool receive(QNetworkReply &reply, QByteArray &data) const;
    [[noreturn]] void failTooLarge() const;

    std::unique_ptr<QNetworkAccessManager> m_network;
    std::chrono::milliseconds m_timeout;
    qint64 m_sizeLimit;
    QPointer<QNetworkReply> m_reply;
    bool m_cancelled = false;
};
