// The fetch's charset decoding: any bytes under any Content-Type.
// Input: the Content-Type header's value, a line feed, then the body.

#include "platform/desktop/transfer/networkinternettransfer.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\n');
    const QByteArray contentType = split < 0 ? input : input.left(split);
    const QByteArray body = split < 0 ? QByteArray() : input.mid(split + 1);
    const QString text = NetworkInternetTransfer::decode(body, contentType);
    // Without any declared charset, plain ASCII reads as itself (declared charsets such as
    // UTF-7 or EBCDIC may rightly read it otherwise).
    bool ascii = !input.toLower().contains("charset");
    for (const char c : body)
        ascii = ascii && c > 0 && c < 0x7f;
    if (ascii && text != QString::fromLatin1(body))
        std::abort();
    return 0;
}
