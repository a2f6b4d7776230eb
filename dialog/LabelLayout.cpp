#include "LabelLayout.h"

#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <limits>

namespace voicememo {

namespace {

// A line that ends between two Japanese characters ends at its last space
// instead where the rest then fits on the last line: "Voice / 夕食.wav", not
// "Voice 夕 / 食.wav".
void PreferTheSpace(QTextLine& line, const QString& text, const QFontMetrics& metrics, int width)
{
    const qsizetype end = line.textStart() + line.textLength();
    if (end >= text.size() || text[end - 1].isSpace())
        return;
    const qsizetype space = text.lastIndexOf(u' ', end - 1);
    if (space > line.textStart() && metrics.horizontalAdvance(text.mid(space + 1)) <= width)
        line.setNumColumns(static_cast<int>(space + 1 - line.textStart()));
}

}  // namespace

LabelLayout::LabelLayout(const QString& text, const QFont& font, int width, int maxLines)
    : layout_(text, font),
      lineSpacing_(QFontMetrics(font).lineSpacing())
{
    // Lines break where Unicode lets a person break them: at spaces, between
    // Japanese characters, never inside a run of letters or digits. Only a
    // label shown whole breaks a word too long for a line.
    const bool whole = maxLines == std::numeric_limits<int>::max();
    QTextOption wrapping;
    wrapping.setWrapMode(whole ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::WordWrap);
    layout_.setTextOption(wrapping);
    layout_.beginLayout();
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, laidOut_ * lineSpacing_));
        if (!whole && laidOut_ == maxLines - 2)
            PreferTheSpace(line, text, QFontMetrics(font), width);
        const bool more = line.textStart() + line.textLength() < text.size();
        const bool wordTooLong = line.naturalTextWidth() > width;
        if ((laidOut_ == maxLines - 1 && more) || wordTooLong) {
            // The rest, cut with "…", is the last line.
            const QFontMetrics metrics(font);
            cut_ = metrics.elidedText(text.mid(line.textStart()).trimmed(), Qt::ElideRight, width);
            cutWidth_ = metrics.horizontalAdvance(cut_);
            break;
        }
        ++laidOut_;
    }
    layout_.endLayout();
    widest_ = cutWidth_;
    for (int i = 0; i < laidOut_; ++i)
        widest_ = std::max(widest_, qCeil(layout_.lineAt(i).naturalTextWidth()));
}

QStringList LabelLayout::lines() const
{
    QStringList lines;
    for (int i = 0; i < laidOut_; ++i) {
        const QTextLine line = layout_.lineAt(i);
        lines << layout_.text().mid(line.textStart(), line.textLength()).trimmed();
    }
    if (!cut_.isNull())
        lines << cut_;
    return lines;
}

void LabelLayout::draw(QPainter* painter, int centre, int top) const
{
    for (int i = 0; i < laidOut_; ++i) {
        const QTextLine line = layout_.lineAt(i);
        line.draw(painter, QPointF(centre - qCeil(line.naturalTextWidth()) / 2, top));
    }
    if (!cut_.isNull())
        painter->drawText(QPoint(centre - cutWidth_ / 2,
                                 top + laidOut_ * lineSpacing_ + painter->fontMetrics().ascent()),
                          cut_);
}

}  // namespace voicememo
