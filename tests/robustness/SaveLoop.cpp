// Saves catalogues and settings of growing generations through the
// program's own save path until it is killed. Started by the crash test:
// argument 1 is the program's folder (with a trailing "/"). It goes on from
// the generation on the disk, and writes one byte to its standard output
// once it starts saving. Argument 2, when given, multiplies the catalogue's
// lines.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "CatalogueFile.h"
#include "GenerationCatalogue.h"
#include "PosixFileSystem.h"
#include "ProfileFile.h"
#include "Settings.h"

using namespace voicememo;
using namespace voicememo::testing;

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3)
        return 2;
    const std::string dir = argv[1];
    const std::size_t scale = argc == 3 ? std::stoul(argv[2]) : 1;
    PosixFileSystem files;
    CatalogueFile catalogue(files, dir);
    ProfileFile settings(files, dir + kSettingsFileName);

    std::uint64_t generation = GenerationOf(catalogue.LoadTable().memos(), scale).value_or(0);
    if (auto value = settings.ReadString("Voice", "Check"))
        generation = std::max(generation, GenerationOfSetting(*value).value_or(0));

    if (::write(STDOUT_FILENO, "r", 1) != 1)
        return 3;
    for (;;) {
        ++generation;
        catalogue.SaveTable(MemoTable(GenerationMemos(generation, scale)));
        settings.WriteString("Voice", "Check", GenerationSetting(generation));
    }
}
