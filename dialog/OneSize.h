#pragma once
// The dialog has one size. Qt's own title bar under Wayland offers 最大化
// whatever the window asks for, and a compositor that holds a maximized
// window to the output's size (weston) ends the connection of a window that
// keeps its own size then, and with it the program. So under Wayland the
// window takes whatever size it is given and goes back to its own at once;
// elsewhere its size stays fixed, and a maximized state is left at once too.
#include <QObject>
#include <QSize>

class QWidget;

namespace voicememo {

class OneSize : public QObject {
public:
    // The window's one size is its minimum size, as its form sets it.
    explicit OneSize(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    QSize size_;
    bool wayland_;
};

}  // namespace voicememo
