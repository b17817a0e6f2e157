#include "platform/desktop/blocking/compiledformfile.h"

#include "contentblocking/filterengine.h"

#include <QFile>
#include <sys/mman.h>

std::unique_ptr<Filters::FilterEngine> mapCompiledForm(const QString &path, const QByteArray &key)
{
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return nullptr;
    const qint64 size = file->size();
    uchar *mapped = size > 0 ? file->map(0, size) : nullptr;
    if (!mapped)
        return nullptr;
    // The engine holds the file, and so the mapping, for as long as it lives.
    auto engine = Filters::FilterEngine::load(
        std::string_view(reinterpret_cast<const char *>(mapped), std::size_t(size)),
        std::string_view(key.constData(), std::size_t(key.size())), file);
#ifdef MADV_DONTNEED
    // Checking the file read every page of it, and lookups touch few of them: the others go
    // back to the page cache, from which a lookup that needs one maps it again.
    if (engine)
        madvise(mapped, std::size_t(size), MADV_DONTNEED);
#endif
    return engine;
}
