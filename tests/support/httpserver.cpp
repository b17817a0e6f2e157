#include "httpserver.h"

#include <memory>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <utility>

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

void HttpServer::releaseHeld()
{
    const auto held = std::exchange(m_held, {});
    for (const auto &sendBody : held)
        sendBody();
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

    // The reason phrase may be empty; clients go by the status code.
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " \r\n";
    head += "Content-Type: " + response.contentType + "\r\n";
    head += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    head += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
    socket->write(head);

    const QByteArray body = response.body;
    auto sendBody = [socket = QPointer<QTcpSocket>(socket), body] {
        if (!socket)
            return;
        socket->write(body);
        socket->disconnectFromHost();
    };
    if (response.held)
        m_held.append(sendBody);
    else if (response.delayMs > 0)
        QTimer::singleShot(response.delayMs, socket, sendBody);
    else
        sendBody();
}
