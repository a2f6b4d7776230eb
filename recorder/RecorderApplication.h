#pragma once
// The application around the recorder's window: its names, the program's
// icon, style and face.
class QApplication;

namespace voicememo {

// Call once the application exists. Sets no display name: Qt would append
// it to the window's title ("録音 - Voice1.wav — 録音"). The style is Fusion,
// or the one the user chose (UserChoseStyle).
void SetUpRecorderApplication(QApplication& app, bool keepUserStyle = false);

}  // namespace voicememo
