#include "settings/FormState.h"

#include "settings/ColorListBox.h"
#include "settings/OpenFileDialog.h"
#include "settings/core/MemorySettingsBackend.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>

namespace marrowlight {
namespace {

template <typename T> T* named(T* object, const char* name) {
    object->setObjectName(name);
    return object;
}

// One control of every kind, some inside pages and group boxes, some of the
// kinds that a dialog walk must pass over.
struct TestForm {
    QDialog form;
    QCheckBox* chk = named(new QCheckBox(&form), "Chk");
    QToolButton* speed = named(new QToolButton(&form), "SpeedBtn");
    ColorListBox* colors = named(new ColorListBox(&form), "ColorCBx");
    QRadioButton* rdo1 = named(new QRadioButton(&form), "Rdo1");
    QRadioButton* rdo2 = named(new QRadioButton(&form), "Rdo2");
    QLineEdit* edit = named(new QLineEdit("plain", &form), "NameEdt");
    QComboBox* list = named(new QComboBox(&form), "ListCBx");
    QFrame* panel = named(new QFrame(&form), "Panel1");
    QCheckBox* innerBox = named(new QCheckBox(panel), "InnerChk");
    QListWidget* items = named(new QListWidget(&form), "ItemsLBx");
    QLabel* label = named(new QLabel("text", &form), "NoteLbl");
    QPushButton* button = named(new QPushButton("Go", &form), "GoBtn");
    QTabWidget* pages = named(new QTabWidget(&form), "Pages");
    QWidget* page1 = named(new QWidget, "Page1");
    QGroupBox* box = named(new QGroupBox(page1), "Box");
    QLineEdit* deepField = named(new QLineEdit("deep", box), "DeepEdt");
    QWidget* page2 = named(new QWidget, "Page2");
    QWidget* wrapper = new QWidget(page2); // unnamed: its children belong to the page
    QCheckBox* wrappedBox = named(new QCheckBox(wrapper), "WrappedChk");
    QMenu* popup = named(new QMenu(&form), "PopupMnu");
    QAction* item = named(new QAction("Item", &form), "ItemMnu");
    OpenFileDialog* openDialog = named(new OpenFileDialog(&form), "OpenDlg");

    TestForm() {
        form.setObjectName("TestFrm");
        speed->setCheckable(true);
        item->setCheckable(true);
        list->addItems({"a", "b", "c"});
        items->addItems({"x", "y"});
        popup->addAction("First");
        popup->addAction("Second");
        pages->addTab(page1, "One");
        pages->addTab(page2, "Two");
        rdo1->setChecked(true);
        colors->setCurrentIndex(3);
    }
};

class FormStateTest : public ::testing::Test {
  protected:
    MemorySettingsBackend backend;
    SettingsStore store{backend, "Marrowlight"};
    TestForm t;
};

TEST_F(FormStateTest, DialogWalkNamesControlsByTheirContainers) {
    t.chk->setChecked(true);
    t.wrappedBox->setChecked(true);
    SaveFormState(&t.form, store);

    const std::map<std::string, std::string> expected = {
        {"Marrowlight.TestFrm.Chk", "1"},
        {"Marrowlight.TestFrm.SpeedBtn", "0"},
        {"Marrowlight.TestFrm.ColorCBx", "3"},
        {"Marrowlight.TestFrm.Rdo1", "1"},
        {"Marrowlight.TestFrm.Rdo2", "0"},
        {"Marrowlight.TestFrm.NameEdt", "plain"},
        {"Marrowlight.TestFrm.Pages.Page1.Box.DeepEdt", "deep"},
        {"Marrowlight.TestFrm.Pages.Page2.WrappedChk", "1"},
    };
    EXPECT_EQ(backend.values, expected);
    EXPECT_EQ(backend.opens, 1);
}

TEST_F(FormStateTest, ControlsHandedInDirectlyRoundTrip) {
    // A longer list saved before leaves nothing behind.
    backend.values = {{"Marrowlight.ItemsLBx.ItemsCount", "4"},
                      {"Marrowlight.ItemsLBx.Item2", "old"},
                      {"Marrowlight.ItemsLBx.Item3", "old"},
                      {"Marrowlight.PopupMnu.Item2", "Third"}};
    t.list->setCurrentIndex(2);
    QPalette pal = t.panel->palette();
    pal.setColor(t.panel->backgroundRole(), QColor(0x12, 0x34, 0x56));
    t.panel->setPalette(pal);
    t.panel->setVisible(false);
    t.items->setCurrentRow(1);
    t.item->setChecked(true);
    t.openDialog->fileName = "/var/log/syslog";
    t.openDialog->filterIndex = 2;
    for (QObject* o :
         std::initializer_list<QObject*>{t.list, t.panel, t.items, t.popup, t.item, t.openDialog})
        SaveFormState(o, store);

    const std::map<std::string, std::string> expected = {
        {"Marrowlight.ListCBx", "2"},
        {"Marrowlight.Panel1.Color", std::to_string(0x563412)},
        {"Marrowlight.Panel1.Visible", "0"},
        {"Marrowlight.ItemsLBx.ItemIndex", "1"},
        {"Marrowlight.ItemsLBx.ItemsCount", "2"},
        {"Marrowlight.ItemsLBx.Item0", "x"},
        {"Marrowlight.ItemsLBx.Item1", "y"},
        {"Marrowlight.PopupMnu.Item0", "First"},
        {"Marrowlight.PopupMnu.Item1", "Second"},
        {"Marrowlight.ItemMnu", "1"},
        {"Marrowlight.TestFrm.OpenDlg.FileName", "/var/log/syslog"},
        {"Marrowlight.TestFrm.OpenDlg.FilterIndex", "2"},
    };
    EXPECT_EQ(backend.values, expected);

    TestForm fresh;
    for (QObject* o : std::initializer_list<QObject*>{fresh.list, fresh.panel, fresh.items,
                                                      fresh.popup, fresh.item, fresh.openDialog})
        LoadFormState(o, store);
    EXPECT_EQ(fresh.list->currentIndex(), 2);
    EXPECT_EQ(fresh.panel->palette().color(fresh.panel->backgroundRole()),
              QColor(0x12, 0x34, 0x56));
    EXPECT_TRUE(fresh.panel->isHidden());
    EXPECT_EQ(fresh.items->count(), 2);
    EXPECT_EQ(fresh.items->currentRow(), 1);
    EXPECT_TRUE(fresh.item->isChecked());
    EXPECT_EQ(fresh.openDialog->fileName, "/var/log/syslog");
    EXPECT_EQ(fresh.openDialog->filterIndex, 2);

    QComboBox editable;
    editable.setObjectName("PathCBx");
    editable.setEditable(true);
    editable.setEditText("/tmp/typed");
    SaveFormState(&editable, store);
    EXPECT_EQ(backend.values["Marrowlight.PathCBx"], "/tmp/typed");
}

TEST_F(FormStateTest, LoadingAppliesValuesAndRunsTheControlsOwnHandlers) {
    backend.values = {
        {"Marrowlight.TestFrm.Chk", "1"},
        {"Marrowlight.TestFrm.Rdo2", "1"},
        {"Marrowlight.TestFrm.NameEdt", "loaded"},
        {"Marrowlight.TestFrm.Pages.Page1.Box.DeepEdt", "deeper"},
        {"Marrowlight.TestFrm.ListCBx", "2"},         // lists are not part of a dialog walk
        {"Marrowlight.TestFrm.Panel1.InnerChk", "1"}, // nor what lies inside a panel
    };
    int toggles = 0;
    QObject::connect(t.chk, &QCheckBox::toggled, [&toggles] { ++toggles; });
    LoadFormState(&t.form, store);
    EXPECT_TRUE(t.chk->isChecked());
    EXPECT_EQ(toggles, 1);
    EXPECT_TRUE(t.rdo2->isChecked());
    EXPECT_FALSE(t.rdo1->isChecked());
    EXPECT_EQ(t.edit->text(), "loaded");
    EXPECT_EQ(t.deepField->text(), "deeper");
    EXPECT_EQ(t.list->currentIndex(), 0);
    EXPECT_FALSE(t.innerBox->isChecked());
    EXPECT_EQ(backend.opens, 1);
}

TEST_F(FormStateTest, CheckStatesReadAsOnOffValues) {
    struct Case {
        const char* stored;
        bool before;
        bool after;
    };
    const Case cases[] = {
        {"1", false, true},    {"0", true, false},   {"256", false, true}, {"-1", false, true},
        {"yes", false, false}, {"yes", true, true},  {"", true, true},     {"1.0", true, true},
        {"on", true, true},    {"on", false, false},
    };
    for (const Case& c : cases) {
        t.chk->setChecked(c.before);
        backend.values = {{"Marrowlight.Chk", c.stored}};
        LoadFormState(t.chk, store);
        EXPECT_EQ(t.chk->isChecked(), c.after) << '"' << c.stored << '"';
    }
}

TEST_F(FormStateTest, OneBadValueDoesNotStopTheOthers) {
    backend.values = {
        {"Marrowlight.TestFrm.Chk", "checked"},
        {"Marrowlight.TestFrm.SpeedBtn", "1"},
        {"Marrowlight.TestFrm.ColorCBx", "16"}, // no such colour
        {"Marrowlight.TestFrm.NameEdt", "after"},
        {"Marrowlight.TestFrm.Pages.Page2.WrappedChk", "1"},
    };
    backend.unreadable = {"Marrowlight.TestFrm.Pages.Page1.Box.DeepEdt"};
    LoadFormState(&t.form, store);
    EXPECT_FALSE(t.chk->isChecked());
    EXPECT_TRUE(t.speed->isChecked());
    EXPECT_EQ(t.colors->currentIndex(), 3);
    EXPECT_EQ(t.edit->text(), "after");
    EXPECT_EQ(t.deepField->text(), "deep");
    EXPECT_TRUE(t.wrappedBox->isChecked());
}

TEST_F(FormStateTest, RefusedWritesDoNotStopTheWalkAndTheFirstIsReported) {
    backend.unwritable = {"Marrowlight.TestFrm.NameEdt", "Marrowlight.TestFrm.Chk"};
    std::string error;
    try {
        SaveFormState(&t.form, store);
    } catch (const SettingsError& e) {
        error = e.what();
    }
    EXPECT_EQ(error, "Failed to set data for 'Marrowlight.TestFrm.Chk'");
    EXPECT_EQ(backend.values.size(), 6u);
    EXPECT_EQ(backend.values["Marrowlight.TestFrm.Pages.Page2.WrappedChk"], "0");
    EXPECT_EQ(backend.values["Marrowlight.TestFrm.Rdo2"], "0");
}

TEST_F(FormStateTest, MissingValuesChangeOnlyWhatHasNoExistenceTest) {
    LoadFormState(&t.form, store);
    EXPECT_EQ(t.edit->text(), "plain");
    EXPECT_EQ(t.colors->currentIndex(), 3);
    EXPECT_TRUE(t.rdo1->isChecked());

    LoadFormState(t.popup, store); // captions are read without asking first
    for (QAction* a : t.popup->actions())
        EXPECT_EQ(a->text(), "");

    backend.values = {{"Marrowlight.ItemsLBx.ItemIndex", "0"}}; // count missing
    LoadFormState(t.items, store);
    EXPECT_EQ(t.items->count(), 0);

    backend.values = {{"Marrowlight.TestFrm.OpenDlg.FileName", "/a.log"}}; // filter missing
    t.openDialog->filterIndex = 3;
    LoadFormState(t.openDialog, store);
    EXPECT_EQ(t.openDialog->fileName, "/a.log");
    EXPECT_EQ(t.openDialog->filterIndex, 3);

    // Never leaves the list without a selection.
    for (const char* bad : {"3", "-1", "x", "", " 2", "2 ", "+-2", "2x", "4294967298"}) {
        t.list->setCurrentIndex(1);
        backend.values = {{"Marrowlight.ListCBx", bad}};
        LoadFormState(t.list, store);
        EXPECT_EQ(t.list->currentIndex(), 1) << bad;
    }
}

} // namespace
} // namespace marrowlight
