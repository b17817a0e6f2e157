#pragma once

#include <QList>
#include <QString>

class QAbstractButton;
class QColor;
class QComboBox;
class QLabel;
class QProgressBar;
class QToolBar;
class QWidget;

// What an assistive-technology client (a screen reader) is told about our controls beyond
// what Qt tells it by itself.
namespace Accessibility {

// A button drawn from an image is known by its tool tip: its name is the tip without the key
// hint in brackets ("Next match (F3)" is "Next match") and without trailing spaces.
QString nameFromToolTip(const QString &toolTip);
void nameByToolTip(QAbstractButton *button);

// A toolbar and its button for the buttons that a narrow window has no room for.
void nameToolBar(QToolBar *toolBar, const QString &name);

// A combo box, its text field and its list are named by what the box holds.
void nameComboBox(QComboBox *box, const QString &name);

// A label whose text is a message that changes: the reader hears each new text as the
// label's name, and the label's role when there is none.
void setMessage(QLabel *label, const QString &text, const QString &role);

// Qt says nothing when a window's caption changes: the caption is the window's name, so each
// change is sent as a name change of the window ("Processing...", then the page's title).
void announceCaptionChanges(QWidget *window);

// Qt says nothing when a progress bar moves: each new value is sent as a value change.
void announceProgress(QProgressBar *bar);

// Ctrl+W closes a window of our own that has no other keyboard way out (Esc stays with the
// window's content: the inspector uses it).
void closeByKeyboard(QWidget *window);

// The designed text and background colours of the widget (text and base, button text and
// button, window text and window) where they stay readable; those of the widget's theme, the
// application's palette, where they do not.
void keepReadable(QWidget *widget);

} // namespace Accessibility
