#pragma once
// An up-down spinner attached to a single-line edit, the two working as one
// field: the spinner writes its position into the edit as decimal text, and
// reading the position parses the edit's text (a text that is not a number
// within the range gives the last valid position).
#include <QWidget>

class QLineEdit;
class QToolButton;

namespace voicememo {

class UpDown : public QWidget {
    Q_OBJECT
    // The names a screen reader gives the two arrows.
    Q_PROPERTY(QString upName READ upName WRITE setUpName)
    Q_PROPERTY(QString downName READ downName WRITE setDownName)
public:
    explicit UpDown(QWidget* parent = nullptr);

    void setBuddy(QLineEdit* buddy);

    QString upName() const;
    void setUpName(const QString& name);
    QString downName() const;
    void setDownName(const QString& name);

    // Reads the position from the edit's text.
    int position();
    // Moves to the position and writes it into the edit; nothing happens
    // when it already is there.
    void setPosition(int position);

    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }
    // Does not move the position.
    void setRange(int minimum, int maximum);

signals:
    // An arrow step that changed the position.
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(int delta);

    QLineEdit* buddy_ = nullptr;
    QToolButton* up_;
    QToolButton* down_;
    int minimum_ = 1;
    int maximum_ = 31;
    int position_ = 1;
};

}  // namespace voicememo
