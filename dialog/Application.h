#pragma once
// The application around the dialog: platform choice, title, style, fonts
// and translations, and the ways the program is ended from outside.
#include <QObject>

class QApplication;
class QWidget;

namespace voicememo {
class TForm1;
}

namespace voicememo {

// Before the application exists: prefer X11 where it is available, so the
// stored window position is honoured.
void PreferX11Platform();

// The application title "ボイスメモ", the dialog's font with its
// substitutions, tooltip timing, Japanese texts of Qt's own controls.
void SetUpApplication(QApplication& app);

// Shows the window in front of the others and makes it the active one,
// from minimized too.
void BringToFront(QWidget& window);

// Closes the window through its close query when the desktop session ends
// (a failed save cancels the log-off; a close that waits for the walk for
// unused files does not) and on SIGTERM or SIGHUP.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(TForm1* window);

private:
    void closeWindow();

    TForm1* window_;
};

}  // namespace voicememo
