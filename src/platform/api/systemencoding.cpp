#include "platform/api/systemencoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

QByteArray toSystemEncoding(const QString &text)
{
    QStringEncoder encoder(QStringConverter::System);
    return encoder.encode(text);
}

QString fromSystemEncoding(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringConverter::System);
    return decoder.decode(bytes);
}
