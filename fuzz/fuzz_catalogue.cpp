// The catalogue reader and writer on any file content: what is read writes
// back to a file that reads as the same memos, a save through CatalogueFile
// writes exactly that file, and a change on one side of a merge alone is
// what the merge gives.
#include <cstdint>
#include <map>
#include <string>

#include "ByteText.h"
#include "CatalogueFile.h"
#include "CatalogueMerge.h"
#include "FuzzCheck.h"

using namespace voicememo;

namespace {

// One folder in memory.
class MemoryFiles : public FileSystem {
public:
    std::map<std::string, std::string> files;

    bool FileExists(const std::string& path) override { return files.contains(path); }
    std::optional<std::string> ReadFile(const std::string& path) override
    {
        auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }
    WriteResult ReplaceFile(const std::string& path, const std::string& bytes) override
    {
        files[path] = bytes;
        return WriteResult::Done;
    }
    void CreateEmptyFile(const std::string& path) override { files[path].clear(); }
    bool DeleteFile(const std::string& path) override { return files.erase(path) > 0; }
    std::vector<std::string> ListFiles(const std::string&, const std::string&, const std::string&) override
    {
        return {};
    }
};

bool FieldHoldsNoLineBreak(const std::string& field)
{
    return field.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string content(reinterpret_cast<const char*>(data), size);

    const auto memos = ParseCatalogue(content);
    for (const auto& memo : memos) {
        for (const std::string* field :
             {&memo.Title, &memo.FilePath, &memo.RecordedDate, &memo.RecordedTime, &memo.Kind})
            FUZZ_CHECK(FieldHoldsNoLineBreak(*field) && field->find('\t') == std::string::npos);
        FUZZ_CHECK(FieldHoldsNoLineBreak(memo.ShownDate));
    }

    const std::string written = FormatCatalogue(memos);
    FUZZ_CHECK(ParseCatalogue(written) == memos);
    FUZZ_CHECK(FormatCatalogue(ParseCatalogue(written)) == written);

    // The same through the file. A save of what was loaded writes nothing;
    // a save of a changed list writes exactly its text; a change on one
    // side alone merges to that side.
    MemoryFiles files;
    files.files["/app/Voice.dat"] = content;
    CatalogueFile catalogue(files, "/app/");
    const MemoTable loaded = catalogue.LoadTable();
    FUZZ_CHECK(loaded.memos() == memos);
    FUZZ_CHECK(!catalogue.SaveTable(loaded).written && files.files["/app/Voice.dat"] == content);

    const VoiceMemo added{"new", "/app/data/Voice1.wav", "d", "t", kKindTodo, ""};
    MemoTable grown = loaded;
    grown.append(added);
    const CatalogueSync saved = catalogue.SaveTable(grown);
    FUZZ_CHECK(saved.written && !saved.memos);
    FUZZ_CHECK(files.files["/app/Voice.dat"] == written + FormatCatalogue({added}));
    FUZZ_CHECK(!catalogue.SaveTable(MemoTable(memos)).memos);
    if (memos.empty())
        FUZZ_CHECK(!files.FileExists("/app/Voice.dat"));
    else
        FUZZ_CHECK(files.files["/app/Voice.dat"] == written);
    FUZZ_CHECK(CatalogueFile(files, "/app/").LoadTable().memos() == memos);

    const FileKey key = [](std::string_view path) { return LowerAscii(path); };
    const MergedCatalogue ours = MergeCatalogues(loaded, grown, loaded, key);
    FUZZ_CHECK(ours.sameAsOurs && ours.memos == grown);
    const MergedCatalogue theirs = MergeCatalogues(loaded, loaded, grown, key);
    FUZZ_CHECK(theirs.sameAsTheirs && theirs.memos == grown);
    return 0;
}
