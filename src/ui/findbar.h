#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

// The bar below the main area that finds text in what the area shows. It only asks: the
// window searches and tells it the outcome.
class FindBar final : public QWidget
{
    Q_OBJECT

public:
    explicit FindBar(QWidget *parent);

    QString text() const;
    bool matchCase() const;
    // Shows the bar with the field ready for typing, its text selected.
    void open();
    // "n of m", or "Not found" with the field in the warning colour; nothing while the field
    // is empty.
    void showResult(int activeMatch, int numberOfMatches);

Q_SIGNALS:
    // The text or the match-case choice changed: the search starts again from the match shown.
    void searchChanged();
    void nextRequested();
    void previousRequested();
    void closeRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_field;
    QCheckBox *m_matchCase;
    QLabel *m_result;
};
