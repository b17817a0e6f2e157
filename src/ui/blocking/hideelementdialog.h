#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// Asks which elements of a site to hide, proposing a selector for the one the user pointed
// at; the user may edit it. Hide hands the selector on and waits to be told: accepted, the
// dialog closes; refused, it says why and stays open.
class HideElementDialog final : public QDialog
{
    Q_OBJECT

public:
    HideElementDialog(const QString &host, const QString &selector, QWidget *parent);

    QString selector() const;
    // The selector was not taken: the reason is shown and the line is ready to be edited.
    void refuse(const QString &reason);

Q_SIGNALS:
    void hideRequested(const QString &selector);

private:
    QLineEdit *m_selector;
    QLabel *m_problem;
    QPushButton *m_hide;
};
