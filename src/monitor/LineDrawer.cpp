#include "monitor/LineDrawer.h"

#include "monitor/LogListModel.h"
#include "monitor/core/LineRecord.h"
#include "monitor/core/TextSearch.h"
#include "settings/core/ColorContrast.h"
#include "support/core/DateTimeFormat.h"

#include <QAbstractItemView>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QPalette>
#include <QTextLayout>
#include <algorithm>

namespace marrowlight {

namespace {

// Found text is marked amber, selected rows take some of the palette's
// highlight; a dark list takes less, its colours being lightened to suit.
constexpr QRgb FoundTint = 0xFFC107;
constexpr LineDrawer::Shares FoundShare{0.6, 0.35};
constexpr LineDrawer::Shares SelectionShare{0.35, 0.3};
// Marks drawn at most in one row: a row of one letter repeated stays quick.
constexpr size_t MaxMarks = 512;

uint32_t Rgb(const QColor& color) {
    return color.rgb() & 0xFFFFFF;
}

// Where the pattern matches drawn UTF-8 text, as positions in the shown text,
// where a zero byte takes zeroWidth characters.
std::vector<std::pair<int, int>> FoundParts(std::string_view utf8, const SearchPattern& pattern,
                                            int zeroWidth, bool lineStart, bool lineEnd) {
    std::vector<std::pair<size_t, size_t>> bytes;
    size_t from = 0;
    while (from <= utf8.size() && bytes.size() < MaxMarks) {
        SearchMatch match;
        if (pattern.Find(utf8, from, match, lineStart, lineEnd) != FindResult::Match)
            break;
        if (match.End > match.Begin)
            bytes.emplace_back(match.Begin, match.End);
        from = match.End > match.Begin ? match.End : match.Begin + 1;
        while (from < utf8.size() && (static_cast<unsigned char>(utf8[from]) & 0xC0) == 0x80)
            ++from;
    }
    std::vector<std::pair<int, int>> parts;
    size_t at = 0;
    int position = 0;
    auto positionOf = [&](size_t byte) {
        for (; at < byte && at < utf8.size(); ++at) {
            const auto c = static_cast<unsigned char>(utf8[at]);
            if ((c & 0xC0) != 0x80)
                position += c == 0 ? zeroWidth : c >= 0xF0 ? 2 : 1;
        }
        return position;
    };
    for (const auto& [begin, end] : bytes) {
        const int first = positionOf(begin);
        parts.emplace_back(first, positionOf(end));
    }
    return parts;
}

// A zero byte would end the text in most renderers; show it instead.
QString ShownText(std::string_view utf8, const QString& zero) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    if (utf8.find('\0') != std::string_view::npos)
        text.replace(QChar(0), zero);
    return text;
}

// The spans' byte offsets in the UTF-8 text as positions in its shown text.
std::vector<ShownSpan> ShownSpans(std::string_view utf8, const std::vector<StyledSpan>& spans,
                                  const QString& zero) {
    std::vector<ShownSpan> shown;
    shown.reserve(spans.size());
    size_t doneBytes = 0;
    int doneChars = 0;
    auto charsAt = [&](size_t bytes) {
        bytes = std::min(bytes, utf8.size());
        if (bytes > doneBytes) {
            doneChars += int(ShownText(utf8.substr(doneBytes, bytes - doneBytes), zero).size());
            doneBytes = bytes;
        }
        return doneChars;
    };
    for (const StyledSpan& span : spans) {
        const int begin = charsAt(span.Start);
        const int end = charsAt(size_t(span.Start) + span.Length);
        if (end > begin)
            shown.push_back({begin, end, span.Style});
    }
    return shown;
}

} // namespace

const LineDrawer::Widths& LineDrawer::WidthsFor(const QFont& font) const {
    if (haveLast_ && font == lastFont_)
        return lastWidths_;
    const QString key = font.key();
    auto it = cache_.find(key);
    if (it == cache_.end()) {
        const QFontMetrics metrics(font);
        Widths widths;
        widths.numbers = metrics.horizontalAdvance(QStringLiteral("0000000"));
        widths.time = metrics.horizontalAdvance(QStringLiteral("23:59:59"));
        widths.m = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
        widths.narrow = widths.m;
        widths.widest = std::max(widths.m, metrics.maxWidth());
        for (QChar c : QStringLiteral(" .,:;'|!iljI1"))
            widths.narrow = std::min(widths.narrow, std::max(1, metrics.horizontalAdvance(c)));
        // The symbol for NUL where the font has it, a spelled-out mark elsewhere.
        widths.zero = metrics.inFontUcs4(0x2400) ? QString(QChar(0x2400)) : QStringLiteral("<NUL>");
        const QFontMetricsF exact(font);
        widths.advance = exact.horizontalAdvance(QLatin1Char('M'));
        widths.fixed = QFontInfo(font).fixedPitch() &&
                       exact.horizontalAdvance(QLatin1Char('i')) == widths.advance &&
                       exact.horizontalAdvance(QLatin1Char(' ')) == widths.advance;
        if (widths.fixed)
            widths.raw = QRawFont::fromFont(font);
        widths.fixed = widths.fixed && widths.raw.isValid();
        it = cache_.insert(key, widths);
    }
    lastFont_ = font;
    lastWidths_ = *it;
    haveLast_ = true;
    return lastWidths_;
}

const GroupMatcher& LineDrawer::Matcher() const {
    GroupKinds kinds{};
    for (int g = 1; g <= 3; ++g)
        kinds[g - 1] = settings_.GroupUsesRegex(g) ? KeywordKind::Regex : KeywordKind::Plain;
    return matchers_.For(
        {settings_.GroupKeywords(1), settings_.GroupKeywords(2), settings_.GroupKeywords(3)},
        kinds);
}

int LineDrawer::RowGroup(LogListModel& model, int row) const {
    int group = model.KnownGroup(row);
    if (group < 0)
        group = model.ClassifyRow(row, Matcher());
    return std::max(group, 0);
}

int LineDrawer::GutterWidth(const QFont& font) const {
    if (settings_.ShowLineNumbers())
        return WidthsFor(font).numbers + 2;
    if (settings_.ShowLineTime())
        return WidthsFor(font).time + 2;
    return 0;
}

QString LineDrawer::GutterText(const LineRecord* record) const {
    if (!record)
        return {};
    if (settings_.ShowLineNumbers())
        return record->LineNo > 0 ? QString::number(record->LineNo) : QString();
    if (settings_.ShowLineTime())
        return QString::fromStdString(
            FormatDateTime(record->Time, settings_.LineTimeMask().toStdString()));
    return {};
}

bool LineDrawer::Dark(const QPalette& palette) {
    return IsDarkPalette(Rgb(palette.color(QPalette::Base)), Rgb(palette.color(QPalette::Text)));
}

QColor LineDrawer::DrawnOn(QRgb chosen, const QColor& background, const QPalette& palette) const {
    // The palette, not a tinted background, tells a dark list from a light one.
    if (!Dark(palette))
        return QColor::fromRgb(chosen);
    const QPair<QRgb, QRgb> key(chosen & 0xFFFFFF, Rgb(background));
    auto it = drawnColors_.constFind(key);
    if (it == drawnColors_.constEnd()) {
        if (drawnColors_.size() > 256)
            drawnColors_.clear();
        it = drawnColors_.insert(key, LightenedToRead(chosen & 0xFFFFFF, Rgb(background)));
    }
    return QColor::fromRgb(*it);
}

QRgb LineDrawer::ChosenColor(int group, const QPalette& palette) const {
    return group > 0 ? settings_.GroupColor(group).rgb() : palette.color(QPalette::Text).rgb();
}

QColor LineDrawer::TextColor(int group, const QPalette& palette) const {
    return DrawnOn(ChosenColor(group, palette), palette.color(QPalette::Base), palette);
}

QColor LineDrawer::Fill(const QPalette& palette, const QColor& background, QRgb tint,
                        const Shares& shares, const std::vector<int>& groups) const {
    // On a light palette the tint goes only as far as the colours on it stay
    // readable; on a dark one the colours are lightened to suit the tint instead.
    const double share = Dark(palette) ? shares.Dark : shares.Light;
    std::vector<uint32_t> texts;
    QString key =
        QStringLiteral("%1.%2.%3.%4").arg(Rgb(background)).arg(tint & 0xFFFFFF).arg(share);
    if (!Dark(palette)) {
        for (int group : groups) {
            texts.push_back(Rgb(TextColor(group, palette)));
            key += QLatin1Char('.') + QString::number(texts.back());
        }
    }
    auto it = fills_.constFind(key);
    if (it == fills_.constEnd()) {
        if (fills_.size() > 256)
            fills_.clear();
        it = fills_.insert(key, TintedBackground(Rgb(background), tint & 0xFFFFFF, share, texts));
    }
    return QColor::fromRgb(*it);
}

qint64 LineDrawer::ExtentWidth(const QFont& font, std::uint64_t maxLineLen) const {
    const qint64 m = WidthsFor(font).m;
    return static_cast<qint64>(maxLineLen + 2) * m;
}

std::vector<VisualLine> LineDrawer::BreakLines(const QString& text, const QFont& font, int width,
                                               int maxLines) {
    std::vector<VisualLine> lines;
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (int(lines.size()) < std::max(1, maxLines)) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(std::max(1, width));
        lines.push_back({line.textStart(), line.textLength()});
    }
    layout.endLayout();
    if (lines.empty())
        lines.push_back({0, 0});
    return lines;
}

int LineDrawer::WrapWidth(const QAbstractItemView& list) const {
    const QFont font = list.font();
    return std::max(WidthsFor(font).m, list.viewport()->width() - GutterWidth(font) - 5);
}

const LineDrawer::Wrapped& LineDrawer::WrapRow(const QAbstractItemView& list, LogListModel& model,
                                               int row, int maxLines) const {
    const QFont font = list.font();
    const int width = WrapWidth(list);
    // A line's bytes at its place in its file never change; a new file is a
    // new source.
    const LineEntry entry = model.Lines()[size_t(row)];
    const QString key = QStringLiteral("%1.%2.%3.%4.%5.")
                            .arg(quintptr(model.Lines().Source().get()))
                            .arg(entry.Offset)
                            .arg(entry.Length())
                            .arg(width)
                            .arg(maxLines) +
                        font.key() +
                        (settings_.TerminalColours() ? QStringLiteral(".c") : QString());
    if (auto it = wraps_.constFind(key); it != wraps_.constEnd())
        return *it;
    if (wraps_.size() > 256)
        wraps_.clear();
    // No more characters than so many lines of the narrowest can hold: a
    // multi-megabyte row costs what a screenful of text does.
    const uint64_t chars =
        uint64_t(std::max(1, maxLines)) * (uint64_t(width / WidthsFor(font).narrow) + 1) +
        MarginChars;
    Wrapped wrapped;
    wrapped.Whole = model.MaxChars(row) <= chars;
    std::vector<StyledSpan> spans;
    std::vector<StyledSpan>* wanted = settings_.TerminalColours() ? &spans : nullptr;
    wrapped.Utf8 =
        wrapped.Whole ? model.Utf8Text(row, wanted) : model.Utf8Part(row, 0, chars, wanted);
    wrapped.Text = ShownText(wrapped.Utf8, WidthsFor(font).zero);
    wrapped.Styled = ShownSpans(wrapped.Utf8, spans, WidthsFor(font).zero);
    // Most rows fit at any width: laying them out would only say so.
    if (wrapped.Whole && wrapped.Text.size() * WidthsFor(font).widest <= width &&
        !wrapped.Text.contains(QLatin1Char('\t')))
        wrapped.Lines = {{0, int(wrapped.Text.size())}};
    else
        wrapped.Lines = BreakLines(wrapped.Text, font, width, maxLines);
    return *wraps_.insert(key, std::move(wrapped));
}

int LineDrawer::WrappedLineCount(const QAbstractItemView& list, const QModelIndex& index,
                                 int maxLines) const {
    auto* model = qobject_cast<LogListModel*>(list.model());
    if (!model || !index.isValid() || index.row() >= model->rowCount())
        return 1;
    return int(WrapRow(list, *model, index.row(), maxLines).Lines.size());
}

void LineDrawer::DrawListRow(QPainter& painter, const QAbstractItemView& list,
                             const QModelIndex& index, const QRect& rect,
                             const RowMarks& marks) const {
    auto* model = qobject_cast<LogListModel*>(list.model());
    if (!model || !index.isValid() || index.row() >= model->rowCount())
        return;
    const int row = index.row();
    const QFont font = list.font();
    if (marks.LineHeight > 0) {
        DrawWrappedRow(painter, list, *model, row, rect, marks);
        return;
    }
    const int rightEdge = list.viewport()->width();
    const int m = WidthsFor(font).m;
    const int narrow = WidthsFor(font).narrow;

    // Only the characters that can reach the viewport are read and laid out:
    // a multi-megabyte line would stall every repaint otherwise.
    const qint64 origin = qint64(rect.left()) + GutterWidth(font) + 3;
    const qint64 left = -origin;
    const qint64 right = rightEdge - origin;
    const qint64 chunk = qint64(ChunkChars) * m;
    const uint64_t first = left < chunk ? 0 : uint64_t(left / chunk) * ChunkChars;
    const qint64 shift = qint64(first) * m;
    const uint64_t chars = uint64_t(std::max<qint64>(0, right - shift) / narrow) + MarginChars;
    const int group = RowGroup(*model, row);
    const bool whole = first == 0 && model->MaxChars(row) <= chars;
    std::vector<StyledSpan> spans;
    std::vector<StyledSpan>* wanted = settings_.TerminalColours() ? &spans : nullptr;
    const std::string text =
        whole ? model->Utf8Text(row, wanted) : model->Utf8Part(row, first, chars, wanted);
    const QString& zero = WidthsFor(font).zero;
    const std::vector<ShownSpan> styled = ShownSpans(text, spans, zero);
    std::vector<std::pair<int, int>> found;
    if (marks.Found && marks.Found->CanSearch())
        found = FoundParts(text, *marks.Found, int(zero.size()), first == 0, whole);
    DrawRow(painter, font, list.palette(), rect, rightEdge, ShownText(text, zero), group,
            model->Record(row), whole ? 0 : int(shift), marks.Selected, found, styled);
}

void LineDrawer::DrawWrappedRow(QPainter& painter, const QAbstractItemView& list,
                                LogListModel& model, int row, const QRect& rect,
                                const RowMarks& marks) const {
    const QFont font = list.font();
    const Wrapped& wrapped = WrapRow(list, model, row, rect.height() / marks.LineHeight);
    const int group = RowGroup(model, row);
    const QString& zero = WidthsFor(font).zero;
    std::vector<std::pair<int, int>> found;
    if (marks.Found && marks.Found->CanSearch())
        found = FoundParts(wrapped.Utf8, *marks.Found, int(zero.size()), true, wrapped.Whole);
    const VisualLine& end = wrapped.Lines.back();
    // What does not fit ends in an ellipsis; the whole row is still copied
    // and searched.
    const bool cut = !wrapped.Whole || end.Start + end.Length < wrapped.Text.size();
    const int rightEdge = list.viewport()->width();
    for (size_t j = 0; j < wrapped.Lines.size(); ++j) {
        const VisualLine& line = wrapped.Lines[j];
        QString part = wrapped.Text.mid(line.Start, line.Length);
        if (cut && j + 1 == wrapped.Lines.size() && !part.isEmpty())
            part.back() = QChar(0x2026);
        std::vector<std::pair<int, int>> parts;
        for (const auto& [begin, finish] : found) {
            const int from = std::max(begin, line.Start) - line.Start;
            const int to = std::min(finish, line.Start + line.Length) - line.Start;
            if (from < to)
                parts.emplace_back(from, to);
        }
        std::vector<ShownSpan> styled;
        for (const ShownSpan& span : wrapped.Styled) {
            const int from = std::max(span.Begin, line.Start) - line.Start;
            const int to = std::min(span.End, line.Start + line.Length) - line.Start;
            if (from < to)
                styled.push_back({from, to, span.Style});
        }
        const QRect lineRect(rect.left(), rect.top() + int(j) * marks.LineHeight, rect.width(),
                             marks.LineHeight);
        // The gutter's number or time stands on the row's first line only.
        DrawRow(painter, font, list.palette(), lineRect, rightEdge, part, group,
                j == 0 ? model.Record(row) : nullptr, 0, marks.Selected, parts, styled);
    }
}

void LineDrawer::DrawLine(QPainter& painter, const QFont& font, const QPalette& palette,
                          const QRect& rect, int rightEdge, std::string_view text,
                          const LineRecord* record) const {
    DrawRow(painter, font, palette, rect, rightEdge, ShownText(text, WidthsFor(font).zero),
            Matcher().Highest(text), record, 0, false, {});
}

namespace {

// Characters that a fixed-pitch font draws one glyph each, side by side,
// whatever their neighbours: no tabs, combining marks or joined scripts.
bool SimpleText(const QString& line) {
    for (QChar c : line) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0xAD || u >= 0x300)
            return false;
    }
    return true;
}

} // namespace

template <typename XOf, typename Glyphs>
void LineDrawer::DrawStretches(QPainter& painter, qreal originX, const QRect& rect, int rightEdge,
                               int length, const std::vector<ShownSpan>& styled,
                               const QColor& textColor, const QColor& background,
                               const QPalette& palette, XOf xOf, Glyphs glyphs) const {
    // Returns false once the stretch starts past the right edge.
    auto draw = [&](int begin, int end, const TerminalStyle& style) {
        if (begin >= end)
            return true;
        const qreal left = originX + xOf(begin);
        if (left >= rightEdge)
            return false;
        const qreal right = originX + xOf(end);
        if (right <= 0)
            return true;
        QColor under = background;
        if (style.Background) {
            under = QColor::fromRgb(style.Background & 0xFFFFFF);
            painter.fillRect(
                QRect(qRound(left), rect.top(), qRound(right) - qRound(left), rect.height()),
                under);
        }
        painter.setPen(
            style.Foreground
                ? DrawnOn(QRgb(style.Foreground & 0xFFFFFF) | 0xFF000000u, under, palette)
                : (style.Background ? DrawnOn(textColor.rgb(), under, palette) : textColor));
        glyphs(begin, end, style.Bold);
        return true;
    };
    int done = 0;
    bool more = true;
    for (const ShownSpan& span : styled) {
        more = draw(done, span.Begin, TerminalStyle{}) && draw(span.Begin, span.End, span.Style);
        if (!more)
            break;
        done = span.End;
    }
    if (more)
        draw(done, length, TerminalStyle{});
    painter.setPen(textColor);
}

// The line is shaped once, as a plain line is, and each stretch draws its
// own glyphs of it in its colour: shaping each stretch on its own cost
// several times the plain line for a row that changes colour every few
// characters. In a fixed-pitch font simple text needs no shaping at all:
// each character's glyph stands one advance after the last. Bold is struck
// twice a pixel apart, as terminals do, so the glyphs keep the places of
// the plain line. A colour is drawn as its readable variant on what lies
// under it; only stretches in view are drawn.
void LineDrawer::DrawStyled(QPainter& painter, QPoint at, const QRect& rect, int rightEdge,
                            const QString& line, const std::vector<ShownSpan>& styled,
                            const QColor& textColor, const QColor& background,
                            const QPalette& palette) const {
    const int length = int(line.size());
    const Widths& widths = WidthsFor(painter.font());
    if (widths.fixed && SimpleText(line)) {
        std::vector<quint32> indexes(size_t(length) + 1);
        int count = length;
        if (widths.raw.glyphIndexesForChars(line.constData(), length, indexes.data(), &count) &&
            count == length &&
            std::find(indexes.begin(), indexes.begin() + count, 0u) == indexes.begin() + count) {
            const qreal advance = widths.advance;
            std::vector<QPointF> places(size_t(length) + 1);
            for (int i = 0; i < length; ++i)
                places[size_t(i)] = QPointF(i * advance, 0);
            QGlyphRun run;
            run.setRawFont(widths.raw);
            const QPointF origin(at);
            DrawStretches(
                painter, origin.x(), rect, rightEdge, length, styled, textColor, background,
                palette, [&](int character) { return character * advance; },
                [&](int begin, int end, bool bold) {
                    run.setRawData(indexes.data() + begin, places.data() + begin, end - begin);
                    painter.drawGlyphRun(origin, run);
                    if (bold)
                        painter.drawGlyphRun(origin + QPointF(1, 0), run);
                });
            return;
        }
    }

    QTextLayout layout(line, painter.font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.setCacheEnabled(false);
    layout.beginLayout();
    QTextLine textLine = layout.createLine();
    if (!textLine.isValid()) {
        layout.endLayout();
        return;
    }
    textLine.setLineWidth(1e9);
    layout.endLayout();
    const QPointF origin(at.x(), at.y() - textLine.ascent());

    // Where each character has one glyph (no ligatures, joined or
    // right-to-left text) the line's glyphs are cut into the stretches;
    // elsewhere the layout finds each stretch's glyphs, which costs more.
    const QList<QGlyphRun> lineRuns = textLine.glyphRuns();
    std::vector<int> runStarts; // the first character of each run
    std::vector<QList<quint32>> indexes;
    std::vector<QList<QPointF>> places;
    int glyphs = 0;
    bool oneToOne = true;
    for (const QGlyphRun& run : lineRuns) {
        runStarts.push_back(glyphs);
        indexes.push_back(run.glyphIndexes());
        places.push_back(run.positions());
        glyphs += int(indexes.back().size());
        oneToOne = oneToOne && !run.isRightToLeft();
    }
    oneToOne = oneToOne && glyphs == length;
    auto runOf = [&](int character) {
        return size_t(std::upper_bound(runStarts.begin(), runStarts.end(), character) -
                      runStarts.begin() - 1);
    };
    auto xOf = [&](int character) {
        if (!oneToOne)
            return textLine.cursorToX(character);
        if (character >= glyphs)
            return textLine.naturalTextWidth();
        const size_t r = runOf(character);
        return places[r][character - runStarts[r]].x();
    };
    auto draw = [&](int begin, int end, bool bold) {
        auto strike = [&](const QGlyphRun& run) {
            painter.drawGlyphRun(origin, run);
            if (bold)
                painter.drawGlyphRun(origin + QPointF(1, 0), run);
        };
        if (!oneToOne) {
            for (const QGlyphRun& run : textLine.glyphRuns(begin, end - begin))
                strike(run);
            return;
        }
        for (size_t r = runOf(begin); r < runStarts.size() && runStarts[r] < end; ++r) {
            const int from = std::max(begin, runStarts[r]) - runStarts[r];
            const int to = std::min<int>(end - runStarts[r], int(places[r].size()));
            if (from >= to)
                continue;
            QGlyphRun part = lineRuns[qsizetype(r)];
            part.setRawData(indexes[r].constData() + from, places[r].constData() + from, to - from);
            strike(part);
        }
    };
    DrawStretches(painter, origin.x(), rect, rightEdge, length, styled, textColor, background,
                  palette, xOf, draw);
}

void LineDrawer::DrawRow(QPainter& painter, const QFont& font, const QPalette& palette,
                         const QRect& rect, int rightEdge, const QString& line, int group,
                         const LineRecord* record, int shift, bool selected,
                         const std::vector<std::pair<int, int>>& found,
                         const std::vector<ShownSpan>& styled) const {
    const int gutter = GutterWidth(font);
    const QString gutterText = GutterText(record);

    // The gutter band is silver, or on a dark palette as light as it must be.
    const QColor base = palette.color(QPalette::Base);
    const QColor silver = DrawnOn(Silver, base, palette);
    // One selection fill for every row, whichever colours the rows have.
    const QColor background = selected
                                  ? Fill(palette, base, Rgb(palette.color(QPalette::Highlight)),
                                         SelectionShare, {0, 1, 2, 3})
                                  : base;
    const QRgb chosen = ChosenColor(group, palette);
    const QColor textColor = DrawnOn(chosen, background, palette);
    const int right = std::max(rect.right() + 1, rightEdge);

    // The band stays at the list's left edge (x = 0) however far the rows are
    // scrolled sideways; the text scrolls beside it and slides under it.
    painter.save();
    painter.setFont(font);
    painter.fillRect(QRect(gutter, rect.top(), right - gutter, rect.height()), background);

    const QFontMetrics metrics(font);
    const int baseline = rect.top() + metrics.ascent();
    const int x = rect.left() + gutter + 3 + shift;
    painter.setPen(textColor);
    if (styled.empty())
        painter.drawText(x, baseline, line);
    else
        DrawStyled(painter, QPoint(x, baseline), rect, right, line, styled, textColor, background,
                   palette);
    if (!found.empty()) {
        // A fill, and a frame in the text's colour that shows the mark where
        // no fill can; the marked text is drawn again over the fill, in the
        // colour that is readable on it.
        const QColor fill = Fill(palette, background, FoundTint, FoundShare, {group});
        const QColor markedText = DrawnOn(chosen, fill, palette);
        for (const auto& [begin, end] : found) {
            const int left = x + metrics.horizontalAdvance(line.left(begin));
            if (left >= right)
                break;
            const int width = metrics.horizontalAdvance(line.mid(begin, end - begin));
            const QRect mark(left, rect.top(), std::max(1, width), rect.height());
            painter.save();
            painter.setClipRect(mark);
            painter.fillRect(mark, fill);
            painter.setPen(markedText);
            painter.drawText(x, baseline, line);
            painter.setPen(textColor);
            painter.drawRect(mark.adjusted(0, 0, -1, -1));
            painter.restore();
        }
    }

    if (gutter > 0)
        painter.fillRect(QRect(0, rect.top(), gutter, rect.height()), silver);
    if (!gutterText.isEmpty()) {
        // Opaque on silver, so a number wider than the band stays readable.
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(silver);
        painter.setPen(Qt::black);
        painter.drawText(1, baseline, gutterText);
    }
    painter.restore();
}

} // namespace marrowlight
