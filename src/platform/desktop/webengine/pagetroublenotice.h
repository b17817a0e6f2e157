#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

// Our own notice over a page whose process has ended: what happened and to which address, in
// plain words, with a button that loads the page again. It covers the view it is made in.
class PageTroubleNotice final : public QFrame
{
    Q_OBJECT

public:
    explicit PageTroubleNotice(QWidget *view);

    void showFor(const QString &reason, const QString &address);

Q_SIGNALS:
    void reloadRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_text;
    QPushButton *m_reload;
};
