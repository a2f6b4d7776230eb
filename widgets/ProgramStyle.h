#pragma once
// The style both programs' windows are drawn in: Fusion, unless the user
// chose one (-style, --style or QT_STYLE_OVERRIDE).
#include <QString>

namespace voicememo {

// Before the application exists: whether the user chose a style, which Qt
// reads and takes away from argv.
bool UserChoseStyle(int argc, char* argv[]);

// The name of the style to use once the application exists: the one Qt put
// in place for the user's choice, or Fusion.
QString StyleToUse(bool userChoseStyle);

}  // namespace voicememo
