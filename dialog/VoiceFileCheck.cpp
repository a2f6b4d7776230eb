#include "VoiceFileCheck.h"

namespace voicememo {

bool VoiceFileCheck::holdsSound(const std::string& path)
{
    auto known = known_.find(path);
    if (known == known_.end())
        known = known_.emplace(path, files_.FileHoldsBytes(path)).first;
    return known->second;
}

}  // namespace voicememo
