#include "VoiceMemo.h"

#include "CatalogueText.h"

namespace voicememo {

std::string SanitizeTitle(std::string title)
{
    for (char& c : title)
        if (catalogue_text::kSpaced.inField[static_cast<unsigned char>(c)])
            c = ' ';
    return title;
}

}  // namespace voicememo
