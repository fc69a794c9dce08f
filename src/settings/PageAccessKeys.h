#pragma once

class QLabel;
class QLineEdit;
class QString;
class QWidget;

namespace marrowlight {

// Gives every label that has a buddy, every check box and every radio button
// of an Options page an access key that no other control of the page has
// (AssignAccessKeys, in the order the controls were made). Hidden pages'
// keys do not act, so pages may reuse each other's keys.
void AssignPageAccessKeys(QWidget& page);

// A label for `field`, linked with setBuddy: screen readers announce the
// field by the label's text, and the label's access key focuses the field.
QLabel* BuddyLabel(const QString& text, QWidget* field, QWidget* parent);

// A field for a ";"-separated list: Qt's default limit of 32,767 characters
// would cut a long list without a word.
void AllowLongList(QLineEdit* field);

} // namespace marrowlight
