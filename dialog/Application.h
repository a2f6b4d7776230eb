#pragma once
// The application around the dialog: platform choice, title, style, fonts
// and translations, and the ways the program is ended from outside.
#include <QObject>
#include <QPoint>
#include <QString>

#include "ProgramStyle.h"  // UserChoseStyle, for main

class QApplication;
class QWidget;

namespace voicememo {
class TForm1;
}

namespace voicememo {

// Before the application exists: prefer X11 where it is available, so the
// stored window position is honoured.
void PreferX11Platform();

// Puts the window's outer corner (its frame's, where a window manager gives
// it one) at the stored place; the window exists but is not yet mapped.
void PlaceFrameAt(QWidget& window, const QPoint& corner);

// The window's outer corner as the settings keep it, the corner PlaceFrameAt
// put there. Under native Wayland a client can neither read nor set its
// position, so the one it was placed at (read from the settings) stays.
QPoint KeptPosition(const QWidget& window, const QPoint& placedAt);

// The application title "ボイスメモ", the dialog's font with its
// substitutions, tooltip timing, Japanese texts of Qt's own controls, the
// roles a screen reader is told. The style is Fusion, or the one the user
// chose.
void SetUpApplication(QApplication& app, bool keepUserStyle = false);

// Shows the window in front of the others and makes it the active one,
// from minimized too. A Wayland compositor lets it come forward with the
// activation token of the start that asked (xdg-activation).
void BringToFront(QWidget& window, const QString& activationToken = {});

// Closes the window through its close query when the desktop session ends
// (a failed save cancels the log-off; a close that waits for the walk for
// unused files does not). On SIGTERM, SIGHUP, SIGINT or SIGQUIT the program
// ends whatever box is up: it saves where it can and says nothing more.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(TForm1* window);
    // Ended from outside: the program goes, its window closed or not.
    bool Ended() const { return ended_; }

private:
    void endProgram();

    TForm1* window_;
    bool ended_ = false;
};

}  // namespace voicememo
