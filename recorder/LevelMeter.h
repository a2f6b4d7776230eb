#pragma once
// The input level as a bar from 0 to 100, drawn as the style draws a
// progress bar. To a screen reader it is no progress bar: those are read out
// at every change, and the level changes twenty times a second while a take
// runs, so the words would be recorded into the take through the speakers.
// It is an indicator whose level is read when asked for and tells of no
// change (see AccessibleRoles.h).
#include <QWidget>

class QStyleOptionProgressBar;

namespace voicememo {

class LevelMeter : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int value READ value)
    Q_PROPERTY(int minimum READ minimum CONSTANT)
    Q_PROPERTY(int maximum READ maximum CONSTANT)

public:
    explicit LevelMeter(QWidget* parent = nullptr);

    int value() const { return value_; }
    int minimum() const { return 0; }
    int maximum() const { return 100; }
    // Shows the level, clamped to the scale; repaints, and nothing else.
    void SetValue(int value);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void InitStyleOption(QStyleOptionProgressBar& option) const;

    int value_ = 0;
};

}  // namespace voicememo
