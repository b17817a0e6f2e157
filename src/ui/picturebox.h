#pragma once

#include <QLabel>

// A picture that reports a click, as the toolbar's animation picture does.
class PictureBox final : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
};
