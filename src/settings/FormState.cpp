#include "settings/FormState.h"

#include "settings/ColorListBox.h"
#include "settings/OpenFileDialog.h"
#include "settings/core/OnOffValue.h"
#include "settings/core/SettingsStore.h"
#include "settings/core/SettingsWrites.h"
#include "settings/core/StoredNames.h"
#include "support/core/TextUtils.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBox>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>

namespace marrowlight {

namespace {

using Step = std::function<void(QObject*, const std::string&, bool)>;

// Thrown inside the load guard for a value that cannot be applied.
struct BadValue : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string NameOf(const QObject* o) {
    return o->objectName().toStdString();
}

bool IsForm(const QWidget* w) {
    return qobject_cast<const QDialog*>(w) || qobject_cast<const QMainWindow*>(w);
}

bool IsTabSheet(const QWidget* w) {
    auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(const_cast<QWidget*>(w)) >= 0;
}

// Layout helpers without a name carry no meaning of their own: their children
// count as children of the container around them.
bool IsTransparent(const QWidget* w) {
    return w->metaObject() == &QWidget::staticMetaObject && w->objectName().isEmpty();
}

// A panel is a frame of our own; Qt's frame-based widgets (labels, scroll
// areas, splitters...) are not.
bool IsPanel(const QObject* o) {
    auto* frame = qobject_cast<const QFrame*>(o);
    return frame && !qobject_cast<const QLabel*>(o) &&
           !qobject_cast<const QAbstractScrollArea*>(o) && !qobject_cast<const QSplitter*>(o) &&
           !qobject_cast<const QStackedWidget*>(o) && !qobject_cast<const QToolBox*>(o) &&
           !qobject_cast<const QLCDNumber*>(o);
}

bool IsSpeedButton(const QObject* o) {
    auto* button = qobject_cast<const QToolButton*>(o);
    return button && button->isCheckable();
}

// Combo boxes other than the colour list, which is kept as its own kind.
QComboBox* AsList(QObject* o) {
    return qobject_cast<ColorListBox*>(o) ? nullptr : qobject_cast<QComboBox*>(o);
}

void VisitChildren(QWidget* container, const std::string& prefix, const Step& step) {
    for (QObject* child : container->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        if (!w || w->isWindow()) // popup menus and child dialogs are not controls
            continue;
        if (IsTransparent(w))
            VisitChildren(w, prefix, step);
        else
            step(w, prefix, false);
    }
}

void Descend(QObject* component, const std::string& prefix, const Step& step) {
    auto* w = qobject_cast<QWidget*>(component);
    if (!w)
        return;
    const std::string inner = w->objectName().isEmpty() ? prefix : prefix + "." + NameOf(w);
    if (IsForm(w) || IsTabSheet(w) || qobject_cast<QGroupBox*>(w)) {
        VisitChildren(w, inner, step);
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
        for (int i = 0; i < tabs->count(); ++i)
            step(tabs->widget(i), inner, false);
    }
}

std::optional<int> DecimalValue(const std::string& text) {
    const std::optional<long long> value = ParseDecimal(text);
    if (!value || *value < std::numeric_limits<int>::min() ||
        *value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(*value);
}

int ParseInt(const std::string& text) {
    const std::optional<int> value = DecimalValue(text);
    if (!value)
        throw BadValue("not a number");
    return *value;
}

// A stored on/off value that is no number leaves the control as it is.
template <typename Control> void LoadChecked(Control* control, const std::string& text) {
    if (const std::optional<bool> on = DecodeOnOff(text))
        control->setChecked(*on);
}

std::uint32_t ToBgr(const QColor& c) {
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8) |
           (static_cast<std::uint32_t>(c.blue()) << 16);
}

QColor FromBgr(std::uint32_t v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

void SelectIndex(QComboBox* list, const std::string& text) {
    int index = -1;
    if (!ParseListIndex(text, list->count(), index))
        throw BadValue("index outside the list");
    const QSignalBlocker quiet(list); // a program selection runs no handler
    list->setCurrentIndex(index);
}

std::string OwnerName(const QObject* o) {
    return o->parent() ? NameOf(o->parent()) : std::string();
}

void SaveLeaves(QObject* c, SettingsKey& key, const std::string& prefix, bool includeLists) {
    if (c->objectName().isEmpty())
        return;
    const std::string name = prefix + "." + NameOf(c);
    if (auto* check = qobject_cast<QCheckBox*>(c))
        key.Write(name, EncodeOnOff(check->isChecked()));
    if (IsSpeedButton(c))
        key.Write(name, EncodeOnOff(qobject_cast<QToolButton*>(c)->isChecked()));
    if (auto* colors = qobject_cast<ColorListBox*>(c))
        key.Write(name, std::to_string(colors->currentIndex()));
    if (auto* item = qobject_cast<QAction*>(c))
        key.Write(name, EncodeOnOff(item->isChecked()));
    if (auto* radio = qobject_cast<QRadioButton*>(c))
        key.Write(name, EncodeOnOff(radio->isChecked()));
    if (auto* edit = qobject_cast<QLineEdit*>(c))
        key.Write(name, edit->text().toStdString());
    if (auto* menu = qobject_cast<QMenu*>(c)) {
        const auto items = menu->actions();
        for (int i = 0; i < items.size(); ++i)
            key.Write(name + stored::Item + std::to_string(i), items[i]->text().toStdString());
        RemoveListItemsFrom(key, name + stored::Item, items.size(), 0);
    }
    if (!includeLists)
        return;
    if (auto* list = AsList(c))
        key.Write(name, list->isEditable() ? list->currentText().toStdString()
                                           : std::to_string(list->currentIndex()));
    if (IsPanel(c)) {
        auto* panel = qobject_cast<QFrame*>(c);
        key.Write(name + stored::Color,
                  std::to_string(ToBgr(panel->palette().color(panel->backgroundRole()))));
        key.Write(name + stored::Visible, EncodeOnOff(!panel->isHidden()));
    }
    if (auto* box = qobject_cast<QListWidget*>(c)) {
        long long oldCount = 0;
        try {
            oldCount = StoredListCount(key.Read(name + stored::ItemsCount));
        } catch (const SettingsError&) {
            // Written anew below.
        }
        key.Write(name + stored::ItemIndex, std::to_string(box->currentRow()));
        key.Write(name + stored::ItemsCount, std::to_string(box->count()));
        for (int i = 0; i < box->count(); ++i)
            key.Write(name + stored::Item + std::to_string(i), box->item(i)->text().toStdString());
        RemoveListItemsFrom(key, name + stored::Item, box->count(), oldCount);
    }
}

// Open-file dialogs are named after their owner as well, and are handled even
// inside a walk.
void SaveDialog(QObject* c, SettingsKey& key, const std::string& prefix) {
    auto* dialog = qobject_cast<OpenFileDialog*>(c);
    if (!dialog || c->objectName().isEmpty())
        return;
    const std::string name = prefix + "." + OwnerName(c) + "." + NameOf(c);
    key.Write(name + stored::FileName, dialog->fileName.toStdString());
    key.Write(name + stored::FilterIndex, std::to_string(dialog->filterIndex));
}

void LoadLeaves(QObject* c, SettingsKey& key, const std::string& prefix, bool includeLists) {
    if (c->objectName().isEmpty())
        return;
    const std::string name = prefix + "." + NameOf(c);
    const bool present = key.Exists(name);
    if (auto* check = qobject_cast<QCheckBox*>(c); check && present)
        LoadChecked(check, key.Read(name));
    if (IsSpeedButton(c) && present)
        LoadChecked(qobject_cast<QToolButton*>(c), key.Read(name));
    if (auto* colors = qobject_cast<ColorListBox*>(c); colors && present)
        SelectIndex(colors, key.Read(name));
    if (auto* item = qobject_cast<QAction*>(c); item && present)
        LoadChecked(item, key.Read(name));
    if (auto* radio = qobject_cast<QRadioButton*>(c); radio && present)
        LoadChecked(radio, key.Read(name));
    if (auto* edit = qobject_cast<QLineEdit*>(c); edit && present)
        edit->setText(QString::fromStdString(key.Read(name)));
    if (auto* menu = qobject_cast<QMenu*>(c)) {
        const auto items = menu->actions();
        for (int i = 0; i < items.size(); ++i)
            items[i]->setText(
                QString::fromStdString(key.Read(name + stored::Item + std::to_string(i))));
    }
    if (!includeLists)
        return;
    if (auto* list = AsList(c); list && present) {
        if (list->isEditable())
            list->setEditText(QString::fromStdString(key.Read(name)));
        else
            SelectIndex(list, key.Read(name));
    }
    if (IsPanel(c)) {
        auto* panel = qobject_cast<QFrame*>(c);
        if (key.Exists(name + stored::Color)) {
            const int color = ParseInt(key.Read(name + stored::Color));
            if (color >= 0) { // negative numbers name Windows system colours: keep ours
                QPalette pal = panel->palette();
                pal.setColor(panel->backgroundRole(), FromBgr(static_cast<std::uint32_t>(color)));
                panel->setPalette(pal);
                panel->setAutoFillBackground(true);
            }
        }
        if (key.Exists(name + stored::Visible)) {
            if (const std::optional<bool> visible = DecodeOnOff(key.Read(name + stored::Visible)))
                panel->setVisible(*visible);
        }
    }
    if (auto* box = qobject_cast<QListWidget*>(c); box && key.Exists(name + stored::ItemIndex)) {
        box->clear();
        const auto count = StoredListCount(key.Read(name + stored::ItemsCount));
        for (int i = 0; i < count; ++i)
            box->addItem(QString::fromStdString(key.Read(name + stored::Item + std::to_string(i))));
        const int row = ParseInt(key.Read(name + stored::ItemIndex));
        box->setCurrentRow(row >= 0 && row < box->count() ? row : -1);
    }
}

void LoadDialog(QObject* c, SettingsKey& key, const std::string& prefix) {
    auto* dialog = qobject_cast<OpenFileDialog*>(c);
    if (!dialog || c->objectName().isEmpty())
        return;
    const std::string name = prefix + "." + OwnerName(c) + "." + NameOf(c);
    if (!key.Exists(name + stored::FileName))
        return;
    dialog->fileName = QString::fromStdString(key.Read(name + stored::FileName));
    dialog->filterIndex = ParseInt(key.Read(name + stored::FilterIndex));
}

// Lets a walk go on past a value that cannot be written, so one refused
// value does not lose the others; the first failure is kept for the caller.
class FirstFailureKey : public SettingsKey {
  public:
    explicit FirstFailureKey(SettingsKey& key) : key_(key) {}
    bool Exists(const std::string& name) const override { return key_.Exists(name); }
    std::string Read(const std::string& name) const override { return key_.Read(name); }
    void Write(const std::string& name, const std::string& value) override {
        writes_.Attempt([&] { key_.Write(name, value); });
    }
    void Remove(const std::string& name) override {
        writes_.Attempt([&] { key_.Remove(name); });
    }
    void ThrowFirstFailure() const { writes_.ThrowFirstFailure(); }

  private:
    SettingsKey& key_;
    SettingsWrites writes_;
};

} // namespace

bool ParseListIndex(const std::string& text, int count, int& index) {
    const std::optional<int> value = DecimalValue(text);
    if (!value || *value < 0 || *value >= count)
        return false;
    index = *value;
    return true;
}

void SaveComponentState(QObject* component, SettingsKey& key, const std::string& prefix,
                        bool includeLists) {
    Descend(component, prefix, [&key](QObject* child, const std::string& p, bool lists) {
        SaveComponentState(child, key, p, lists);
    });
    SaveLeaves(component, key, prefix, includeLists);
    SaveDialog(component, key, prefix);
}

void LoadComponentState(QObject* component, SettingsKey& key, const std::string& prefix,
                        bool includeLists) {
    Descend(component, prefix, [&key](QObject* child, const std::string& p, bool lists) {
        LoadComponentState(child, key, p, lists);
    });
    try {
        LoadLeaves(component, key, prefix, includeLists);
        LoadDialog(component, key, prefix);
    } catch (const std::exception&) {
        // One bad value costs only the rest of this control, never the walk.
    }
}

void SaveFormState(QObject* component, const SettingsStore& store) {
    const auto key = store.OpenSettingsKey();
    FirstFailureKey tolerant(*key);
    SaveComponentState(component, tolerant, store.AppSettingsName(), true);
    tolerant.ThrowFirstFailure();
}

void LoadFormState(QObject* component, const SettingsStore& store) {
    const auto key = store.OpenSettingsKey();
    LoadComponentState(component, *key, store.AppSettingsName(), true);
}

} // namespace marrowlight
