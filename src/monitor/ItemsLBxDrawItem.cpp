#include "monitor/ItemsLBxDrawItem.h"

#include "monitor/LogListModel.h"
#include "monitor/core/TObjectInfo.h"
#include "support/core/DateTimeFormat.h"

#include <QAbstractItemView>
#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace marrowlight {

namespace {

// A zero byte would end the text in most renderers; show it instead.
QString ShownText(std::string_view utf8, const QString& zero) {
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    if (utf8.find('\0') != std::string_view::npos)
        text.replace(QChar(0), zero);
    return text;
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
        for (QChar c : QStringLiteral(" .,:;'|!iljI1"))
            widths.narrow = std::min(widths.narrow, std::max(1, metrics.horizontalAdvance(c)));
        // The symbol for NUL where the font has it, a spelled-out mark elsewhere.
        widths.zero = metrics.inFontUcs4(0x2400) ? QString(QChar(0x2400)) : QStringLiteral("<NUL>");
        it = cache_.insert(key, widths);
    }
    lastFont_ = font;
    lastWidths_ = *it;
    haveLast_ = true;
    return lastWidths_;
}

const GroupMatcher& LineDrawer::Matcher() const {
    return matchers_.For(
        {settings_.GroupKeywords(1), settings_.GroupKeywords(2), settings_.GroupKeywords(3)});
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

QString LineDrawer::GutterText(const TObjectInfo* record) const {
    if (!record)
        return {};
    if (settings_.ShowLineNumbers())
        return record->LineNo > 0 ? QString::number(record->LineNo) : QString();
    if (settings_.ShowLineTime())
        return QString::fromStdString(
            FormatDateTime(record->Time, settings_.LineTimeMask().toStdString()));
    return {};
}

qint64 LineDrawer::ExtentWidth(const QFont& font, std::uint64_t maxLineLen) const {
    const qint64 m = WidthsFor(font).m;
    return static_cast<qint64>(maxLineLen + 2) * m;
}

void LineDrawer::ItemsLBxDrawItem(QPainter& painter, const QAbstractItemView& list,
                                  const QModelIndex& index, const QRect& rect) const {
    auto* model = qobject_cast<LogListModel*>(list.model());
    if (!model || !index.isValid() || index.row() >= model->rowCount())
        return;
    const int row = index.row();
    const QFont font = list.font();
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
    const std::string text = whole ? model->Utf8Text(row) : model->Utf8Part(row, first, chars);
    DrawRow(painter, font, list.palette(), rect, rightEdge, ShownText(text, WidthsFor(font).zero),
            group, model->Record(row), whole ? 0 : int(shift));
}

void LineDrawer::DrawLine(QPainter& painter, const QFont& font, const QPalette& palette,
                          const QRect& rect, int rightEdge, std::string_view text,
                          const TObjectInfo* record) const {
    DrawRow(painter, font, palette, rect, rightEdge, ShownText(text, WidthsFor(font).zero),
            Matcher().Highest(text), record, 0);
}

void LineDrawer::DrawRow(QPainter& painter, const QFont& font, const QPalette& palette,
                         const QRect& rect, int rightEdge, const QString& line, int group,
                         const TObjectInfo* record, int shift) const {
    const QColor textColor =
        group > 0 ? settings_.GroupColor(group) : palette.color(QPalette::Text);

    const int gutter = GutterWidth(font);
    const QString gutterText = GutterText(record);

    const QColor silver = QColor::fromRgb(Silver);
    const QColor base = palette.color(QPalette::Base);
    const int right = std::max(rect.right() + 1, rightEdge);

    // The band stays at the list's left edge (x = 0) however far the rows are
    // scrolled sideways; the text scrolls beside it and slides under it.
    painter.save();
    painter.setFont(font);
    painter.fillRect(QRect(gutter, rect.top(), right - gutter, rect.height()), base);

    const int baseline = rect.top() + QFontMetrics(font).ascent();
    painter.setPen(textColor);
    painter.drawText(rect.left() + gutter + 3 + shift, baseline, line);

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
