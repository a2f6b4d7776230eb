#include "IcalCalls.h"

#include "Diagnostics.h"

namespace voicememo {

const IcalCalls* Ical()
{
    static const auto calls =
        LazyLibrary::Load<IcalCalls>({"libical.so.3"}, lcFiles, "カレンダーのファイルを書けません",
                                     [](LazyLibrary& library, IcalCalls& calls) {
                                         VOICEMEMO_ICAL_CALLS(VOICEMEMO_TAKE_CALL)
                                     });
    return calls ? &*calls : nullptr;
}

}  // namespace voicememo
