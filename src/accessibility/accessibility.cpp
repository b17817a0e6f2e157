#include "accessibility/accessibility.h"

#include "accessibility/readablecolours.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>

namespace Accessibility {

namespace {

class CaptionAnnouncer final : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::WindowTitleChange) {
            QAccessibleEvent nameChanged(watched, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&nameChanged);
        }
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

QString nameFromToolTip(const QString &toolTip)
{
    // A key hint is one word in brackets at the end: "(F3)", "(Shift+F3)". Words in brackets,
    // as in "Print displayed HTML doc (highlighted or all)", belong to the name.
    static const QRegularExpression keyHint(QStringLiteral("\\s*\\(\\S+\\)\\s*$"));
    return QString(toolTip).remove(keyHint).trimmed();
}

void nameByToolTip(QAbstractButton *button)
{
    if (button && button->text().isEmpty())
        button->setAccessibleName(nameFromToolTip(button->toolTip()));
}

void nameToolBar(QToolBar *toolBar, const QString &name)
{
    toolBar->setAccessibleName(name);
    for (auto *more : toolBar->findChildren<QToolButton *>(QStringLiteral("qt_toolbar_ext_button"),
                                                           Qt::FindDirectChildrenOnly))
        more->setAccessibleName(QCoreApplication::translate("Accessibility", "More buttons"));
}

void nameComboBox(QComboBox *box, const QString &name)
{
    box->setAccessibleName(name);
    box->view()->setAccessibleName(name);
    if (QLineEdit *field = box->lineEdit())
        field->setAccessibleName(name);
}

void setMessage(QLabel *label, const QString &text, const QString &role)
{
    label->setText(text);
    label->setAccessibleDescription(role);
    label->setAccessibleName(text.isEmpty() ? role : text);
}

void announceCaptionChanges(QWidget *window)
{
    window->installEventFilter(new CaptionAnnouncer(window));
}

void announceProgress(QProgressBar *bar)
{
    QObject::connect(bar, &QProgressBar::valueChanged, bar, [bar](int value) {
        QAccessibleValueChangeEvent changed(bar, value);
        QAccessible::updateAccessibility(&changed);
    });
}

void closeByKeyboard(QWidget *window)
{
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
}

void keepReadable(QWidget *widget)
{
    const QPalette theme = QApplication::palette(widget);
    QPalette colours = widget->palette();
    const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
        { QPalette::Text, QPalette::Base },
        { QPalette::ButtonText, QPalette::Button },
        { QPalette::WindowText, QPalette::Window },
    };
    bool changed = false;
    for (const auto &[text, background] : pairs) {
        for (const QPalette::ColorGroup group : { QPalette::Active, QPalette::Inactive }) {
            const ReadableColours::Pair designed { colours.color(group, text),
                                                   colours.color(group, background) };
            const ReadableColours::Pair shown = ReadableColours::fitted(
                designed, { theme.color(group, text), theme.color(group, background) });
            if (shown == designed)
                continue;
            colours.setColor(group, text, shown.text);
            colours.setColor(group, background, shown.background);
            changed = true;
        }
    }
    if (changed)
        widget->setPalette(colours);
}

} // namespace Accessibility
