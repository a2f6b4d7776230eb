#pragma once
// The application around the recorder's window: its names, the program's
// icon, style and face, and its error box.
class QApplication;
class QString;

namespace voicememo {

// Call once the application exists. Sets no display name: Qt would append
// it to the window's title ("録音 - Voice1.wav — 録音"). The style is Fusion,
// or the one the user chose (UserChoseStyle).
void SetUpRecorderApplication(QApplication& app, bool keepUserStyle = false);

// Says why the recorder cannot start, as the program's error box does: the
// stop icon and a plain "OK" button, without a picture on it.
void ShowRecorderError(const QString& message);

}  // namespace voicememo
