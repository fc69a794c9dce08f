#pragma once

#include "monitor/core/LineClassifier.h"
#include "monitor/core/TerminalEscapes.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QAbstractItemView;
class QModelIndex;
class QFontMetrics;
class QPainter;
class QPalette;
class QPoint;
class QRect;

namespace marrowlight {

struct LineRecord;
class LogListModel;
class SearchPattern;

// What a row shows besides its text: a light highlight when it is selected,
// and the text the find bar looks for, marked wherever it occurs.
struct RowMarks {
    bool Selected = false;
    const SearchPattern* Found = nullptr;
    // Wrapped at the list's width into lines of this height; 0: one line.
    int LineHeight = 0;
};

// One line of a wrapped row: [Start, Start + Length) of its shown text.
struct VisualLine {
    int Start = 0;
    int Length = 0;
};

// A stretch of a row's shown text in the style its terminal sequences set.
struct ShownSpan {
    int Begin = 0;
    int End = 0;
    TerminalStyle Style;
};

// What drawing a line reads, live at every call.
class LineDrawSettings {
  public:
    virtual ~LineDrawSettings() = default;
    // UTF-8 text of Group1KeywordsField..Group3KeywordsField for g = 1..3.
    virtual std::string GroupKeywords(int g) const = 0;
    // Group g's keywords are regular expressions.
    virtual bool GroupUsesRegex(int /*g*/) const { return false; }
    virtual QColor GroupColor(int group) const = 0;
    virtual bool ShowLineNumbers() const = 0;
    virtual bool ShowLineTime() const = 0;
    virtual QString LineTimeMask() const = 0;
    // Rows in the colours their terminal sequences set, over the group colour.
    virtual bool TerminalColours() const { return true; }
};

// Draws log lines: a silver gutter with the line's number or arrival time,
// then the text in the colour of its highest group. Sample texts are measured
// once per font, not once per line. On a dark palette the colours are drawn
// as their variants that stay readable on the list's background.
class LineDrawer {
  public:
    explicit LineDrawer(const LineDrawSettings& settings) : settings_(settings) {}

    // The list's item at index into rect; nothing for a row past the end.
    void DrawListRow(QPainter& painter, const QAbstractItemView& list, const QModelIndex& index,
                     const QRect& rect, const RowMarks& marks = {}) const;

    // The lines the list's row at index takes wrapped at the list's width, at
    // most maxLines: only as much of its text is read and laid out as so many
    // lines can show, however long the row.
    int WrappedLineCount(const QAbstractItemView& list, const QModelIndex& index,
                         int maxLines) const;
    // Breaks text into lines of at most width pixels, at word boundaries where
    // a word fits, at most maxLines of them (at least one, even for no text).
    static std::vector<VisualLine> BreakLines(const QString& text, const QFont& font, int width,
                                              int maxLines);

    // One UTF-8 line, in font and palette, filling rect and on to rightEdge.
    void DrawLine(QPainter& painter, const QFont& font, const QPalette& palette, const QRect& rect,
                  int rightEdge, std::string_view text, const LineRecord* record) const;

    // The row's highest group, from the index or, the first time, its text:
    // what every view of a row colours it by.
    int RowGroup(LogListModel& model, int row) const;

    int GutterWidth(const QFont& font) const;
    // The line number or arrival time shown in the gutter; empty for a line
    // loaded in bulk (no record) and when the gutter is off.
    QString GutterText(const LineRecord* record) const;
    // The colour a group's line (0: no group) is drawn in on this palette.
    QColor TextColor(int group, const QPalette& palette) const;
    // Width of maxLineLen "M"s and two more characters, found arithmetically.
    qint64 ExtentWidth(const QFont& font, std::uint64_t maxLineLen) const;

    static constexpr QRgb Silver = 0xC0C0C0;

    // A long row is drawn from a multiple of ChunkChars characters on, placed
    // as if every character before it were an "M" wide, as the extent counts
    // them; its colour is that of its whole text, kept in the index.
    static constexpr int ChunkChars = 512;
    static constexpr int MarginChars = 256;

    // How much of a tint a highlight takes at most, on a light and a dark palette.
    struct Shares {
        double Light, Dark;
    };

  private:
    struct Widths {
        int numbers = 0; // "0000000"
        int time = 0;    // "23:59:59"
        int m = 0;       // "M"
        int narrow = 1;  // the narrowest of some narrow characters
        int widest = 1;  // the font's widest character
        QString zero;    // what stands for a zero character
        // A font whose characters all advance alike, with its glyphs: a
        // coloured row of simple text is drawn from them without a layout.
        bool fixed = false;
        qreal advance = 0;
        QRawFont raw;
    };
    const Widths& WidthsFor(const QFont& font) const;
    const GroupMatcher& Matcher() const;
    // The shown text of a row wrapped into at most maxLines lines, its
    // lines, and whether the text is the row's whole text.
    struct Wrapped {
        std::string Utf8;
        QString Text;
        std::vector<VisualLine> Lines;
        bool Whole = true;
        std::vector<ShownSpan> Styled; // the terminal colours, while they are shown
    };
    // Kept for the rows last laid out: the view measures a row before it
    // paints it, and paints the rows on screen again and again.
    const Wrapped& WrapRow(const QAbstractItemView& list, LogListModel& model, int row,
                           int maxLines) const;
    // Width of the text beside the gutter in a wrapped row.
    int WrapWidth(const QAbstractItemView& list) const;
    void DrawWrappedRow(QPainter& painter, const QAbstractItemView& list, LogListModel& model,
                        int row, const QRect& rect, const RowMarks& marks) const;
    // found: the marked parts of line, as [begin, end) positions in it.
    void DrawRow(QPainter& painter, const QFont& font, const QPalette& palette, const QRect& rect,
                 int rightEdge, const QString& line, int group, const LineRecord* record, int shift,
                 bool selected, const std::vector<std::pair<int, int>>& found,
                 const std::vector<ShownSpan>& styled = {}) const;
    void DrawStyled(QPainter& painter, QPoint at, const QRect& rect, int rightEdge,
                    const QString& line, const std::vector<ShownSpan>& styled,
                    const QColor& textColor, const QColor& background,
                    const QPalette& palette) const;
    // Draws the stretches, each from xOf(its start) to xOf(its end), with
    // draw(begin, end) drawing its glyphs in the pen set.
    template <typename XOf, typename Glyphs>
    void DrawStretches(QPainter& painter, qreal originX, const QRect& rect, int rightEdge,
                       int length, const std::vector<ShownSpan>& styled, const QColor& textColor,
                       const QColor& background, const QPalette& palette, XOf xOf,
                       Glyphs glyphs) const;
    static bool Dark(const QPalette& palette);
    // A group's colour as chosen (group 0: the palette's text colour).
    QRgb ChosenColor(int group, const QPalette& palette) const;
    // The chosen colour as drawn on background, a part of a list of this palette.
    QColor DrawnOn(QRgb chosen, const QColor& background, const QPalette& palette) const;
    // background tinted for a selection or a mark, under the colours of these groups.
    QColor Fill(const QPalette& palette, const QColor& background, QRgb tint, const Shares& shares,
                const std::vector<int>& groups) const;

    const LineDrawSettings& settings_;
    mutable GroupMatcherCache matchers_;
    mutable QFont lastFont_;
    mutable Widths lastWidths_;
    mutable bool haveLast_ = false;
    mutable QHash<QString, Widths> cache_;
    // Colours worked out from the palette, kept: finding them takes a search.
    mutable QHash<QPair<QRgb, QRgb>, QRgb> drawnColors_;
    mutable QHash<QString, QRgb> fills_;
    mutable QHash<QString, Wrapped> wraps_;
};

} // namespace marrowlight
