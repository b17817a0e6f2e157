#include "httpserver.h"

#include <memory>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 301:
        return "Moved Permanently";
    case 302:
        return "Found";
    case 303:
        return "See Other";
    case 307:
        return "Temporary Redirect";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

HttpServer::HttpServer(QObject *parent)
    : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection())
            handleConnection(socket);
    });
}

bool HttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
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
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void HttpServer::handleConnection(QTcpSocket *socket)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    // The request head may arrive in pieces; answer once it is complete. Request bodies
    // are not needed by any test and are ignored.
    auto head = std::make_shared<QByteArray>();
    auto answered = std::make_shared<bool>(false);
    connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head, answered] {
        *head += socket->readAll();
        if (*answered)
            return;
        const qsizetype end = head->indexOf("\r\n\r\n");
        if (end < 0)
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

    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + ' '
        + reasonPhrase(response.status) + "\r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    head += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    socket->write(head);

    const QByteArray body = response.body;
    auto sendBody = [socket, body] {
        socket->write(body);
        socket->disconnectFromHost();
    };
    if (response.delayMs > 0)
        QTimer::singleShot(response.delayMs, socket, sendBody);
    else
        sendBody();
}
