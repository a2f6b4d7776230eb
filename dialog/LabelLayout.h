#pragma once
#include <QStringList>
#include <QTextLayout>

class QFont;
class QPainter;

namespace voicememo {

// A label of the icon view broken into lines of at most the width, where a
// person would break them: at spaces and between Japanese characters. Past
// the last line allowed, or at a word too long for a line, the rest is cut
// with "…"; a label shown whole (maxLines the largest int) breaks such a
// word anywhere instead. Laid out once, for the lines' texts and widths
// and for drawing them: each laying out of a Japanese text is dear.
class LabelLayout {
public:
    LabelLayout(const QString& text, const QFont& font, int width, int maxLines);
    // The lines' texts, without the spaces at their ends.
    QStringList lines() const;
    int lineCount() const { return laidOut_ + (cut_.isNull() ? 0 : 1); }
    // The width of the widest line.
    int widest() const { return widest_; }
    // Draws the lines one under the other from `top`, each centred on
    // `centre`, in the painter's pen.
    void draw(QPainter* painter, int centre, int top) const;

private:
    QTextLayout layout_;
    int lineSpacing_;
    int laidOut_ = 0;  // the lines drawn as laid out
    QString cut_;      // the last line, cut with "…", when the text went on past it
    int cutWidth_ = 0;
    int widest_ = 0;
};

}  // namespace voicememo
