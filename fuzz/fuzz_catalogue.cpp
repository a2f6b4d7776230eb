// The catalogue reader and writer on any file content: what is read writes
// back to a file that reads as the same memos, and a save through
// CatalogueFile writes exactly that file.
#include <cstdint>
#include <map>
#include <string>

#include "ByteText.h"
#include "CatalogueFile.h"
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

    // The same through the file: load, save, load again; saved as the table
    // read holds it, and as a table built from the memos.
    MemoryFiles files;
    files.files["/app/Voice.dat"] = content;
    CatalogueFile catalogue(files, "/app/");
    const MemoTable loaded = catalogue.LoadTable();
    FUZZ_CHECK(loaded.memos() == memos);
    for (const MemoTable& saved : {loaded, MemoTable(memos)}) {
        FUZZ_CHECK(catalogue.SaveTable(saved).empty());
        if (memos.empty())
            FUZZ_CHECK(!files.FileExists("/app/Voice.dat"));
        else
            FUZZ_CHECK(files.files["/app/Voice.dat"] == written);
        FUZZ_CHECK(CatalogueFile(files, "/app/").LoadTable().memos() == memos);
    }
    return 0;
}
