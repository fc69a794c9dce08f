#include "settings/PageAccessKeys.h"

#include "support/core/AccessKeys.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVariant>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <limits>
#include <numeric>
#include <set>
#include <vector>

namespace marrowlight {

namespace {

// How many different keys a caption could give.
std::size_t KeyChoices(const std::string& caption) {
    std::set<char> keys;
    for (const char c : caption)
        if (std::isalnum(static_cast<unsigned char>(c)))
            keys.insert(char(std::toupper(static_cast<unsigned char>(c))));
    return keys.size();
}

} // namespace

void AssignPageAccessKeys(QWidget& page) {
    // Labels and buttons alike keep their caption in the "text" property.
    std::vector<QWidget*> captioned;
    std::vector<MenuCaption> captions;
    for (QWidget* widget : page.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<QLabel*>(widget);
        if ((label && label->buddy()) || qobject_cast<QCheckBox*>(widget) ||
            qobject_cast<QRadioButton*>(widget)) {
            captioned.push_back(widget);
            captions.push_back({widget->property("text").toString().toStdString()});
        }
    }
    // Captions with the fewest letters choose first: the Groups page repeats
    // "Color:" three times, which has keys for all three only if it is not
    // left to the end.
    std::vector<std::size_t> order(captions.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return KeyChoices(captions[a].text) < KeyChoices(captions[b].text);
    });
    std::vector<MenuCaption> ordered;
    for (const std::size_t i : order)
        ordered.push_back(captions[i]);
    const std::vector<std::string> keyed = AssignAccessKeys(ordered);
    for (std::size_t k = 0; k < keyed.size(); ++k)
        captioned[order[k]]->setProperty("text", QString::fromStdString(keyed[k]));
}

QLabel* BuddyLabel(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

void AllowLongList(QLineEdit* field) {
    field->setMaxLength(std::numeric_limits<int>::max());
}

} // namespace marrowlight
