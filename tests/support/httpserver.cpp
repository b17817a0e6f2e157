#include "httpserver.h"

#include <brotli/encode.h>
#include <memory>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <utility>
#include <zlib.h>

namespace {

QByteArray resource(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

HttpServer::HttpServer(QObject *parent)
    : QObject(parent)
    , m_server(std::make_unique<QTcpServer>())
{
}

bool HttpServer::listen(const QHostAddress &address)
{
    // A secure server hands over its connections once the handshake is done.
    connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection())
            handleConnection(socket);
    });
    return m_server->listen(address, 0);
}

bool HttpServer::listenSecure()
{
    auto server = std::make_unique<QSslServer>();
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(certificate());
    configuration.setPrivateKey(
        QSslKey(resource(QStringLiteral(":/tests/loopback.key")), QSsl::Rsa));
    configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
    server->setSslConfiguration(configuration);
    m_server = std::move(server);
    m_secure = true;
    return listen();
}

QSslCertificate HttpServer::certificate()
{
    return QSslCertificate(resource(QStringLiteral(":/tests/loopback.crt")));
}

QByteArray HttpServer::gzip(const QByteArray &bytes)
{
    z_stream stream {};
    QByteArray out(qsizetype(compressBound(uLong(bytes.size())) + 32), '\0');
    // 16 + 15 window bits: a gzip header and trailer around the deflate stream.
    if (deflateInit2(&stream, 9, Z_DEFLATED, 16 + 15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.data()));
    stream.avail_in = uInt(bytes.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return done ? out : QByteArray();
}

QByteArray HttpServer::brotli(const QByteArray &bytes)
{
    size_t size = BrotliEncoderMaxCompressedSize(size_t(bytes.size()));
    QByteArray out(qsizetype(size), '\0');
    if (!BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW, BROTLI_MODE_GENERIC,
                               size_t(bytes.size()),
                               reinterpret_cast<const uint8_t *>(bytes.constData()), &size,
                               reinterpret_cast<uint8_t *>(out.data())))
        return {};
    out.resize(qsizetype(size));
    return out;
}

void HttpServer::route(const QString &path, const HttpResponse &response)
{
    m_routes.insert(path, response);
}

void HttpServer::route(const QString &path, const QByteArray &html)
{
    HttpResponse response;
    response.body = html;
    route(path, response);
}

QString HttpServer::url(const QString &path) const
{
    return QStringLiteral("%1://%2:%3%4")
        .arg(m_secure ? QStringLiteral("https") : QStringLiteral("http"),
             m_server->serverAddress().toString())
        .arg(port())
        .arg(path);
}

void HttpServer::releaseHeld()
{
    const auto held = std::exchange(m_held, {});
    for (const auto &sendBody : held)
        sendBody();
}

void HttpServer::handleConnection(QTcpSocket *socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    // The request may arrive in pieces; answer once its head and the body it announces are
    // complete, so that what a client sent is all kept before the connection closes.
    auto head = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head, answered] {
        const QByteArray bytes = socket->readAll();
        if (m_keepReceived)
            m_received += bytes;
        *head += bytes;
        if (*answered)
            return;
        const qsizetype end = head->indexOf("\r\n\r\n");
        if (end < 0)
            return;
        qsizetype bodyLength = 0;
        for (const QByteArray &line : head->left(end).split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                bodyLength = line.mid(15).trimmed().toLongLong();
        }
        if (head->size() < end + 4 + bodyLength)
            return;
        *answered = true;
        answer(socket, head->left(end));
    });
}

void HttpServer::answer(QTcpSocket *socket, const QByteArray &requestHead)
{
    const QList<QByteArray> requestLine = requestHead.left(requestHead.indexOf("\r\n")).split(' ');
    const QString target
        = requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
    const QString path = QUrl(target).path();
    ++m_requestCounts[path];

    HttpResponse response;
    if (const auto found = m_routes.constFind(path); found != m_routes.cend()) {
        response = found.value();
    } else {
        response.status = 404;
        response.contentType = "text/plain; charset=utf-8";
        response.body = "not found";
    }

    // The reason phrase may be empty; clients go by the status code.
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " \r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    if (response.chunked)
        head += "Transfer-Encoding: chunked\r\n";
    else
        head += "Content-Length: "
            + QByteArray::number(response.announcedLength >= 0 ? response.announcedLength
                                                               : response.body.size())
            + "\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    for (const QByteArray &line : response.headers)
        head += line + "\r\n";
    head += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    socket->write(head);

    auto send = [this, socket = QPointer<QTcpSocket>(socket), response] {
        if (socket)
            sendBody(socket, response);
    };
    if (response.holdAfter >= 0) {
        socket->write(response.body.left(response.holdAfter));
        HttpResponse rest = response;
        rest.body = response.body.mid(response.holdAfter);
        m_held.append([this, socket = QPointer<QTcpSocket>(socket), rest] {
            if (socket)
                sendBody(socket, rest);
        });
    } else if (response.held)
        m_held.append(send);
    else if (response.delayMs > 0)
        QTimer::singleShot(response.delayMs, socket, send);
    else
        send();
}

void HttpServer::sendBody(QTcpSocket *socket, const HttpResponse &response)
{
    // A cut body is closed like a whole one: the client finds fewer bytes than announced.
    QByteArray body
        = response.cutAfter >= 0 ? response.body.left(response.cutAfter) : response.body;
    if (response.chunked)
        body = QByteArray::number(body.size(), 16) + "\r\n" + body + "\r\n";
    if (response.endless) {
        // Kept a little ahead of the client, so that the server's memory stays small.
        const auto more = [socket, body] {
            while (socket->bytesToWrite() < 4 * body.size())
                socket->write(body);
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
        return;
    }
    if (response.chunked)
        body += "0\r\n\r\n";
    if (response.chunkSize <= 0) {
        socket->write(body);
        socket->disconnectFromHost();
        return;
    }
    // One piece per tick; the timer goes with the socket.
    auto *ticks = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    connect(ticks, &QTimer::timeout, socket,
            [socket, ticks, body, sent, size = response.chunkSize] {
                socket->write(body.mid(*sent, size));
                *sent += size;
                if (*sent < body.size())
                    return;
                ticks->stop();
                socket->disconnectFromHost();
            });
    ticks->start(response.chunkDelayMs);
}
