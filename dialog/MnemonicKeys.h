#pragma once
#include <QObject>

class QWidget;

namespace voicememo {

// An underlined letter pressed alone, while the focused control takes no
// text, presses its button or focuses the control its label names, as
// Alt with the letter does.
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
    QWidget* window_;
};

}  // namespace voicememo
