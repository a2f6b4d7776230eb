// The catalogue's load and save and the search for unused voice files, each
// next to its floor: the least any implementation must do for the same work.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string_view>

#include "BenchData.h"
#include "CatalogueFile.h"
#include "PosixFileSystem.h"
#include "TempFolder.h"
#include "VoiceStore.h"

using namespace voicememo;
using voicememo::testing::TempFolder;

namespace {

// One folder per catalogue size, written once and kept for the whole run.
struct CatalogueFolder {
    TempFolder folder;
    std::vector<VoiceMemo> memos;
};

CatalogueFolder& CatalogueOf(int count)
{
    static std::map<int, std::unique_ptr<CatalogueFolder>> folders;
    auto& entry = folders[count];
    if (!entry) {
        entry = std::make_unique<CatalogueFolder>();
        entry->memos = bench::SampleMemos(entry->folder.dir(), count);
        bench::WriteSampleCatalogue(entry->folder.dir(), count);
    }
    return *entry;
}

std::string ReadWhole(const std::string& path)
{
    std::string content;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        std::abort();
    content.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < content.size()) {
        ssize_t got = ::read(fd, content.data() + done, content.size() - done);
        if (got <= 0)
            std::abort();
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    return content;
}

// Reading the file and splitting it at its line ends.
void LoadFloor(benchmark::State& state)
{
    CatalogueFolder& data = CatalogueOf(static_cast<int>(state.range(0)));
    const std::string path = data.folder.dir() + kCatalogueFileName;
    for (auto _ : state) {
        const std::string content = ReadWhole(path);
        std::vector<std::string_view> lines;
        const char* at = content.data();
        const char* end = at + content.size();
        while (at < end) {
            const char* lf = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
            const char* next = lf ? lf + 1 : end;
            const char* stop = lf ? lf : end;
            if (stop > at && stop[-1] == '\r')
                --stop;
            lines.emplace_back(at, static_cast<std::size_t>(stop - at));
            at = next;
        }
        benchmark::DoNotOptimize(lines.data());
        benchmark::ClobberMemory();
    }
}

void Load(benchmark::State& state)
{
    CatalogueFolder& data = CatalogueOf(static_cast<int>(state.range(0)));
    PosixFileSystem files;
    CatalogueFile catalogue(files, data.folder.dir());
    for (auto _ : state) {
        // As the dialog loads it: the file's text with the fields found in it.
        MemoTable memos = catalogue.LoadTable();
        if (memos.size() != data.memos.size())
            state.SkipWithError("the catalogue did not read back");
        benchmark::DoNotOptimize(memos.field(0, 0).data());
        benchmark::ClobberMemory();
    }
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void SyncFolder(const std::string& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(fd);
    ::close(fd);
}

// Writing the same bytes beside the file, making them durable and renaming
// them over it, the rename made durable too.
void SaveFloor(benchmark::State& state)
{
    CatalogueFolder& data = CatalogueOf(static_cast<int>(state.range(0)));
    const std::string bytes = FormatCatalogue(data.memos);
    const std::string path = data.folder.dir() + "Floor.dat";
    const std::string temporary = data.folder.dir() + ".Floor.dat.tmp";
    for (auto _ : state) {
        int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0 || ::close(fd) != 0 ||
            ::rename(temporary.c_str(), path.c_str()) != 0)
            state.SkipWithError("cannot write");
        SyncFolder(data.folder.dir());
    }
}

// Two lists a memo apart, saved in turn: each save writes, as after an
// edit in the window.
void Save(benchmark::State& state)
{
    CatalogueFolder& data = CatalogueOf(static_cast<int>(state.range(0)));
    PosixFileSystem files;
    // A catalogue of its own, so that the load benchmarks read what they expect.
    CatalogueFile catalogue(files, data.folder.dir() + "saved-");
    // As the dialog saves its list: from the table the memos are held in.
    std::vector<VoiceMemo> edited = data.memos;
    edited[edited.size() / 2].Title += "*";
    const MemoTable tables[] = {MemoTable(data.memos), MemoTable(edited)};
    std::size_t turn = 0;
    for (auto _ : state) {
        const CatalogueSync saved = catalogue.SaveTable(tables[turn++ % 2]);
        if (!saved.written || saved.memos)
            state.SkipWithError("not saved as it was");
    }
}

// The same save after another program changed the file since the last one
// (a memo renamed, one removed, one added, renamed over the file as a sync
// tool does): the window's list, with an edit of its own, is merged with
// the file. Its floor is the plain save.
void SaveMerged(benchmark::State& state)
{
    CatalogueFolder& data = CatalogueOf(static_cast<int>(state.range(0)));
    const std::string dir = data.folder.dir() + "merged-";
    const std::string path = dir + kCatalogueFileName;
    const std::string part = path + ".part";
    std::ofstream(path, std::ios::binary) << FormatCatalogue(data.memos);
    PosixFileSystem files;
    CatalogueFile window(files, dir);
    MemoTable list = window.LoadTable();
    std::size_t round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ++round;
        VoiceMemo ours = list.memo(round * 7919 % list.size());
        ours.Title += "*";
        list.set(round * 7919 % list.size(), ours);
        MemoTable theirs = MemoTable::FromCatalogueText(ReadWhole(path));
        VoiceMemo renamed = theirs.memo(round * 104729 % theirs.size());
        renamed.Title += "+";
        theirs.set(round * 104729 % theirs.size(), renamed);
        theirs.erase(round * 15485863 % theirs.size());
        theirs.append(bench::SampleMemo(data.folder.dir(), static_cast<int>(data.memos.size() + round)));
        // Made durable, as a sync tool does, so that its writing back does
        // not fall into the save measured.
        const std::string bytes = theirs.ToCatalogueText();
        const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || !WriteAll(fd, bytes) || ::fsync(fd) != 0 || ::close(fd) != 0 ||
            ::rename(part.c_str(), path.c_str()) != 0)
            state.SkipWithError("cannot write");
        SyncFolder(data.folder.dir());
        state.ResumeTiming();

        CatalogueSync saved = window.SaveTable(list);
        if (!saved.written || !saved.memos)
            state.SkipWithError("not merged");
        else
            list = std::move(*saved.memos);
    }
}

struct SearchFolder {
    TempFolder folder;
    bench::UsedTexts used;
};

SearchFolder& SearchFolderOf(int files)
{
    static std::map<int, std::unique_ptr<SearchFolder>> folders;
    auto& entry = folders[files];
    if (!entry) {
        entry = std::make_unique<SearchFolder>();
        entry->used = bench::MakeHalfUsedDataFolder(entry->folder.dir(), files);
    }
    return *entry;
}

// Listing the data folder and reading every text once.
void UnusedSearchFloor(benchmark::State& state)
{
    SearchFolder& data = SearchFolderOf(static_cast<int>(state.range(0)));
    PosixFileSystem files;
    VoiceStore store(files, data.folder.dir());
    for (auto _ : state) {
        auto names = files.ListFiles(store.folder(), "Voice", ".wav");
        std::size_t seen = 0;
        for (const auto* texts : {&data.used.memoPaths, &data.used.settingsLines})
            for (const std::string& text : *texts)
                seen += std::hash<std::string_view>{}(text);
        benchmark::DoNotOptimize(seen);
        benchmark::DoNotOptimize(names.data());
    }
}

void UnusedSearch(benchmark::State& state)
{
    SearchFolder& data = SearchFolderOf(static_cast<int>(state.range(0)));
    PosixFileSystem files;
    VoiceStore store(files, data.folder.dir());
    for (auto _ : state) {
        std::size_t found = 0;
        store.FindUnusedVoiceFiles(data.used.memoPaths, data.used.settingsLines,
                                   [&found](const std::string&, const std::string&) { ++found; });
        if (found != static_cast<std::size_t>(state.range(0) / 2))
            state.SkipWithError("not half of the files found unused");
    }
}

// Each figure right after its floor, so that both see the same load of the machine.
void Register(const char* name, void (*function)(benchmark::State&), int arg)
{
    benchmark::RegisterBenchmark(name, function)
        ->Arg(arg)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MinTime(0.2)
        ->Repetitions(5)
        ->ReportAggregatesOnly(true);
}

}  // namespace

namespace voicememo::bench {

void RegisterCatalogueBenchmarks()
{
    for (int count : {1000, 10000, 100000}) {
        Register("LoadFloor", LoadFloor, count);
        Register("Load", Load, count);
    }
    for (int count : {1000, 10000, 100000}) {
        Register("SaveFloor", SaveFloor, count);
        Register("Save", Save, count);
    }
    Register("SaveMerged", SaveMerged, 100000);
    Register("UnusedSearchFloor", UnusedSearchFloor, 10000);
    Register("UnusedSearch", UnusedSearch, 10000);
}

}  // namespace voicememo::bench
