#include "monitor/LineDrawer.h"

#include "monitor/LiveViewSettings.h"
#include "monitor/MonitorRig.h"
#include "monitor/core/LineRecord.h"
#include "settings/ColorListBox.h"
#include "settings/core/ColorContrast.h"
#include "support/core/DateTimeFormat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <gtest/gtest.h>
#include <map>

namespace marrowlight {
namespace {

struct FakeDrawSettings : LineDrawSettings {
    std::string GroupKeywords(int g) const override { return keywords[g - 1]; }
    QColor GroupColor(int group) const override { return colors.at(group); }
    bool ShowLineNumbers() const override { return numbers; }
    bool ShowLineTime() const override { return time; }
    QString LineTimeMask() const override { return mask; }

    std::array<std::string, 3> keywords;
    std::map<int, QColor> colors{{1, Qt::green}, {2, Qt::darkRed}, {3, Qt::red}};
    bool numbers = false;
    bool time = false;
    QString mask = "hh:mm:ss";
};

const QRgb White = 0xFFFFFFFF;
const QRgb SilverPixel = 0xFF000000 | LineDrawer::Silver;

QFont TestFont(int size = 10) {
    return QFont("DejaVu Sans", size);
}

QPalette TestPalette() {
    QPalette palette;
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, QColor(0x20, 0x40, 0x80));
    return palette;
}

QImage Draw(const LineDrawer& drawer, std::string_view text, const LineRecord* record,
            QFont font = TestFont(), QPalette palette = TestPalette()) {
    QImage image(400, 20, QImage::Format_RGB32);
    image.fill(Qt::magenta); // anything left unpainted shows up
    QPainter painter(&image);
    drawer.DrawLine(painter, font, palette, QRect(0, 0, 400, 20), 400, text, record);
    return image;
}

bool ColumnIs(const QImage& image, int x, QRgb color) {
    for (int y = 0; y < image.height(); ++y)
        if (image.pixel(x, y) != color)
            return false;
    return true;
}

int FirstColumnNotIn(const QImage& image, std::initializer_list<QRgb> colors, int from = 0) {
    for (int x = from; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (std::find(colors.begin(), colors.end(), image.pixel(x, y)) == colors.end())
                return x;
    return -1;
}

bool Contains(const QImage& image, QRgb color, int fromX = 0, int toX = 400) {
    for (int x = fromX; x < toX; ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == color)
                return true;
    return false;
}

TEST(DrawListRow, GutterTextFollowsModeAndRecord) {
    const LineRecord seventh{DateTimeFromLocal(2024, 5, 7, 14, 5, 0), 42};
    const LineRecord unnumbered{DateTimeFromLocal(2024, 5, 7, 14, 5, 0), 0};
    const LineRecord large{0, 123456789};
    struct Case {
        bool numbers, time;
        const char* mask;
        const LineRecord* record;
        const char* expected;
    } cases[] = {
        {true, false, "hh:mm:ss", &seventh, "42"},
        {true, false, "hh:mm:ss", &unnumbered, ""},
        {true, false, "hh:mm:ss", nullptr, ""},
        {true, false, "hh:mm:ss", &large, "123456789"},
        {false, true, "dd-hh:mm", &seventh, "07-14:05"},
        {false, true, "hh:mm:ss", &seventh, "14:05:00"},
        {false, true, "hh:mm:ss", nullptr, ""},
        {true, true, "hh:mm:ss", &seventh, "42"}, // numbers win
        {false, false, "hh:mm:ss", &seventh, ""},
    };
    for (const Case& c : cases) {
        FakeDrawSettings settings;
        settings.numbers = c.numbers;
        settings.time = c.time;
        settings.mask = c.mask;
        EXPECT_EQ(LineDrawer(settings).GutterText(c.record), QString(c.expected))
            << c.numbers << c.time << c.mask;
    }
}

TEST(DrawListRow, GutterBandWidthAndPlacement) {
    const QFontMetrics metrics(TestFont());
    struct Case {
        bool numbers, time;
        int gutter;
    } cases[] = {
        {true, false, metrics.horizontalAdvance("0000000") + 2},
        {false, true, metrics.horizontalAdvance("23:59:59") + 2},
        {false, false, 0},
    };
    for (const Case& c : cases) {
        FakeDrawSettings settings;
        settings.numbers = c.numbers;
        settings.time = c.time;
        LineDrawer drawer(settings);
        ASSERT_EQ(drawer.GutterWidth(TestFont()), c.gutter);

        // A bulk line: empty band of full width, text right after it.
        const QImage image = Draw(drawer, "Lorem", nullptr);
        if (c.gutter > 0) {
            EXPECT_TRUE(ColumnIs(image, 0, SilverPixel));
            EXPECT_TRUE(ColumnIs(image, c.gutter - 1, SilverPixel));
        }
        EXPECT_TRUE(ColumnIs(image, c.gutter, White));
        EXPECT_FALSE(Contains(image, SilverPixel, c.gutter, 400));
        const int firstInk = FirstColumnNotIn(image, {White, SilverPixel});
        EXPECT_GE(firstInk, c.gutter + 3);
        EXPECT_LE(firstInk, c.gutter + 5);
        EXPECT_FALSE(Contains(image, 0xFFFF00FF)) << "row not filled";
    }
}

TEST(DrawListRow, LongNumberRunsPastTheBandOnSilver) {
    FakeDrawSettings settings;
    settings.numbers = true;
    LineDrawer drawer(settings);
    const int gutter = drawer.GutterWidth(TestFont());
    const LineRecord record{0, 123456789};
    const QImage image = Draw(drawer, "", &record);
    EXPECT_TRUE(Contains(image, 0xFF000000, gutter, 400));
    EXPECT_TRUE(Contains(image, SilverPixel, gutter, 400));
}

TEST(DrawListRow, ZeroCharacterIsDrawnVisibly) {
    FakeDrawSettings settings;
    LineDrawer drawer(settings);
    EXPECT_EQ(FirstColumnNotIn(Draw(drawer, "", nullptr), {White}), -1);
    EXPECT_NE(FirstColumnNotIn(Draw(drawer, std::string_view("\0", 1), nullptr), {White}), -1);
}

TEST(DrawListRow, TextColourIsTheHighestGroupsOrThePalettes) {
    testing::MonitorRig rig;
    rig.options.Group1KeywordsField->setText("Info");
    rig.options.Group2KeywordsField->setText("Warn");
    rig.options.Group3KeywordsField->setText("Error");
    rig.options.Group1ColorList->setCurrentIndex(2);  // Green
    rig.options.Group2ColorList->setCurrentIndex(1);  // Maroon
    rig.options.Group3ColorList->setCurrentIndex(12); // Blue
    LiveViewSettings settings(OptionsView(rig.options), rig.menu);
    LineDrawer drawer(settings);

    const QFont bold("DejaVu Sans", 20, QFont::Black);
    struct Case {
        const char* line;
        QRgb color;
    } cases[] = {
        {"IIII Info", 0xFF008000},
        {"IIII Warn Info", 0xFF800000},
        {"IIII Info Error Warn", 0xFF0000FF},
        {"IIII INFO", TestPalette().color(QPalette::Text).rgb()},
    };
    for (const Case& c : cases) {
        QImage image(400, 40, QImage::Format_RGB32);
        QPainter painter(&image);
        drawer.DrawLine(painter, bold, TestPalette(), QRect(0, 0, 400, 40), 400, c.line, nullptr);
        painter.end();
        EXPECT_TRUE(Contains(image, c.color)) << c.line;
    }

    // A new colour shows at the next repaint.
    rig.options.Group3ColorList->setCurrentIndex(9); // Red
    QImage image(400, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    drawer.DrawLine(painter, bold, TestPalette(), QRect(0, 0, 400, 40), 400, "IIII Error", nullptr);
    painter.end();
    EXPECT_TRUE(Contains(image, 0xFFFF0000));
}

// The list's background follows the palette; a navy group line on a dark one
// is drawn in its lighter, readable variant, and nowhere in navy itself.
TEST(DrawListRow, OnADarkPaletteGroupColoursAreDrawnReadable) {
    FakeDrawSettings settings;
    settings.keywords = {"Info", "", ""};
    settings.colors[1] = QColor(0x00, 0x00, 0x80);
    settings.numbers = true;
    LineDrawer drawer(settings);
    const QFont bold("DejaVu Sans", 20, QFont::Black);
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(0x1B, 0x1E, 0x20));
    dark.setColor(QPalette::Text, QColor(0xFC, 0xFC, 0xFC));
    const LineRecord record{0, 7};
    for (const QPalette& palette : {TestPalette(), dark}) {
        const uint32_t base = palette.color(QPalette::Base).rgb() & 0xFFFFFF;
        const uint32_t text = palette.color(QPalette::Text).rgb() & 0xFFFFFF;
        QImage image(400, 40, QImage::Format_RGB32);
        QPainter painter(&image);
        drawer.DrawLine(painter, bold, palette, QRect(0, 0, 400, 40), 400, "IIII Info", &record);
        painter.end();
        const QRgb navy = 0xFF000080;
        const QRgb drawn = 0xFF000000 | DrawnColor(0x000080, base, text);
        EXPECT_EQ(drawn != navy, IsDarkPalette(base, text));
        EXPECT_TRUE(Contains(image, drawn));
        EXPECT_EQ(Contains(image, navy), drawn == navy);
        EXPECT_EQ(image.pixel(399, 39), palette.color(QPalette::Base).rgb());
        EXPECT_EQ(image.pixel(0, 39), 0xFF000000 | DrawnColor(LineDrawer::Silver, base, text));
    }
}

} // namespace
} // namespace marrowlight
