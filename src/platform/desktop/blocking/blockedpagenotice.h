#pragma once

#include <QFrame>
#include <QUrl>

class QLabel;
class QPushButton;

// Our own notice in place of a page that a filter rule blocks: the address, the rule that
// matched, and a button that opens the page all the same. It covers the view it is made in.
class BlockedPageNotice final : public QFrame
{
    Q_OBJECT

public:
    explicit BlockedPageNotice(QWidget *view);

    void showFor(const QUrl &address, const QString &rule);
    QUrl address() const { return m_address; }

Q_SIGNALS:
    void openAnywayRequested(const QUrl &address);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_text;
    QPushButton *m_open;
    QUrl m_address;
};
