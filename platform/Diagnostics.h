#pragma once
// The program's logging categories: silent unless switched on, for example
// with QT_LOGGING_RULES="voicememo.*=true" in the environment. Each failure
// the user is not told of (playback is best effort, a recorder that did not
// start still leaves its memo, a save that had to rewrite a file in place)
// leaves one line there.
#include <QLoggingCategory>

namespace voicememo {

Q_DECLARE_LOGGING_CATEGORY(lcSound)     // "voicememo.sound"
Q_DECLARE_LOGGING_CATEGORY(lcFiles)     // "voicememo.files"
Q_DECLARE_LOGGING_CATEGORY(lcRecorder)  // "voicememo.recorder"

}  // namespace voicememo
