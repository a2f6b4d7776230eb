#include "LabelLayout.h"

#include <QPainter>
#include <QtMath>
#include <algorithm>

namespace voicememo {

LabelLayout::LabelLayout(const QString& text, const QFont& font, int width, int maxLines)
    : layout_(text, font),
      lineSpacing_(QFontMetrics(font).lineSpacing())
{
    QTextOption wrapping;
    wrapping.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout_.setTextOption(wrapping);
    layout_.beginLayout();
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, laidOut_ * lineSpacing_));
        if (laidOut_ == maxLines - 1 && line.textStart() + line.textLength() < text.size()) {
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
