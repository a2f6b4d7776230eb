#pragma once
// The face both programs' windows are drawn in: the dialog's "ＭＳ Ｐゴシック"
// at 12 px, with the Japanese Gothic faces of a Linux desktop standing in
// where it is missing.
namespace voicememo {

// Makes it the application's font; call once the application exists.
void UseDialogFont();

}  // namespace voicememo
