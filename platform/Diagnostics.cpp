#include "Diagnostics.h"

namespace voicememo {

// Information only: off until a rule switches it on.
Q_LOGGING_CATEGORY(lcSound, "voicememo.sound", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "voicememo.files", QtWarningMsg)
Q_LOGGING_CATEGORY(lcRecorder, "voicememo.recorder", QtWarningMsg)

}  // namespace voicememo
