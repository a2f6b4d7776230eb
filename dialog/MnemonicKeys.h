#pragma once
#include <QObject>

class QAbstractButton;
class QWidget;

namespace voicememo {

// An underlined letter pressed alone, while the focused control takes no
// text, presses its button or focuses the control its label names, as
// Alt with the letter does. A kind (radio) button, by either way, is
// checked before it takes the focus.
class MnemonicKeys : public QObject {
    Q_OBJECT
public:
    explicit MnemonicKeys(QWidget* window);

    // Triggers the control whose caption underlines the letter; false when
    // none does.
    bool trigger(QChar letter);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void press(QAbstractButton* button);

    QWidget* window_;
};

}  // namespace voicememo
