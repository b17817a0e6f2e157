#pragma once

#include "platform/api/picturewriter.h"

#include <memory>
#include <optional>
#include <QList>
#include <QStringList>
#include <utility>

// Keeps every picture it is asked to save, in memory, and notes the save in the shared
// journal; set `failure` to make the next saves fail with it.
class RecordingPictureWriter final : public PictureWriter
{
public:
    explicit RecordingPictureWriter(std::shared_ptr<QStringList> journal);

    void SavePicture(const QImage &picture, const QString &path) override;

    struct Saved
    {
        QImage picture;
        QString path;
    };
    QList<Saved> saved;
    std::optional<std::pair<int, QString>> failure; // error number and description

private:
    std::shared_ptr<QStringList> m_journal;
};
