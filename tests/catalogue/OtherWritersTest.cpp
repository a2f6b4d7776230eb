// Other programs writing the catalogue while the window saves: a writer
// that writes in place with a pause, and writes that land between a save's
// read and its rename.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "AsUser.h"
#include "CatalogueFile.h"
#include "Error.h"
#include "Messages.h"
#include "PosixFileSystem.h"
#include "TempFolder.h"

using namespace voicememo;
using namespace std::chrono_literals;
using voicememo::testing::RunUnprivileged;
using voicememo::testing::TempFolder;

namespace {

std::string Line(const std::string& title, const std::string& dir)
{
    return title + "\t" + dir + "data/" + title + ".wav\t2026/12/08\t10:00\tTODO\t\r\n";
}

std::string Lines(const std::string& titles, const std::string& dir)
{
    std::string text;
    for (char title : titles)
        text += Line(std::string(1, title), dir);
    return text;
}

// The titles the memos hold, in their order: "ABC".
std::string Titles(const MemoTable& memos)
{
    std::string titles;
    for (std::size_t row = 0; row < memos.size(); ++row)
        titles += memos.field(row, MemoTable::kTitle);
    return titles;
}

std::string TitlesIn(const std::string& path)
{
    PosixFileSystem files;
    auto text = files.ReadFile(path);
    return text ? Titles(MemoTable::FromCatalogueText(*text)) : "(none)";
}

MemoTable With(MemoTable memos, const std::string& title, const std::string& dir)
{
    memos.append(ParseCatalogueLine(Line(title, dir).substr(0, Line(title, dir).size() - 2)));
    return memos;
}

// A network disk: the system tells nothing of other machines' writers.
struct BlindFiles : PosixFileSystem {
    std::unique_ptr<WriterWatch> WatchWriters(const std::string&) override
    {
        struct Blind : WriterWatch {
            State Look() override { return CannotTell; }
            bool Undisturbed() override { return true; }
            void Release() override {}
        };
        return std::make_unique<Blind>();
    }
};

// Steps another thread takes while this one looks.
class Steps {
public:
    void Reach(int step)
    {
        const std::lock_guard lock(mutex_);
        step_ = step;
        changed_.notify_all();
    }
    void WaitFor(int step)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return step_ >= step; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int step_ = 0;
};

// The window's part while another program truncates the catalogue, writes
// one memo, pauses, and writes the rest through the same open file, as
// "what happened: what happened ...".
std::string WindowBesideAWriterInPlace(FileSystem& files, const std::string& dir, bool heldStillAfterClose)
{
    const std::string path = dir + kCatalogueFileName;
    CatalogueFile window(files, dir);
    // Time alone lets nothing in: only the writer's close does, or where
    // no writer can be seen, the file holding still.
    window.SetWriterWaits({1h, 0ms});
    const MemoTable loaded = window.LoadTable();
    std::string seen = Titles(loaded);

    Steps steps;
    std::thread writer([&] {
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        const std::string first = Line("A", dir), rest = Line("B", dir) + Line("C", dir);
        const bool wrote = fd >= 0 && ::write(fd, first.data(), first.size()) == ssize_t(first.size());
        steps.Reach(1);
        steps.WaitFor(2);
        if (!wrote || ::write(fd, rest.data(), rest.size()) != ssize_t(rest.size()))
            seen += " (the writer failed)";
        ::close(fd);
    });
    steps.WaitFor(1);
    struct stat before {};
    ::stat(path.c_str(), &before);
    const MemoTable ours = With(loaded, "D", dir);
    for (int look = 0; look < 2; ++look) {
        const CatalogueSync in = window.TakeInChanges(ours);
        seen += " | take-in " + (in.memos ? Titles(*in.memos) : "-") + (in.deferred ? " deferred" : "") + " told " +
                std::to_string(in.notices.size());
    }
    const CatalogueSync saved = window.SaveTable(ours);
    struct stat after {};
    ::stat(path.c_str(), &after);
    seen += " | save" + std::string(saved.deferred ? " deferred" : "") + (saved.written ? " written" : "") + " file " +
            TitlesIn(path) + (after.st_ino == before.st_ino ? "" : " replaced");

    steps.Reach(2);
    writer.join();
    if (heldStillAfterClose)
        window.SetWriterWaits({0ms, 0ms});
    const CatalogueSync in = window.TakeInChanges(ours);
    const MemoTable shown = in.memos ? *in.memos : ours;
    const CatalogueSync last = window.SaveTable(shown);
    seen +=
        " | closed: take-in " + Titles(shown) + ", save" + (last.written ? " written" : "") + " file " + TitlesIn(path);
    return seen;
}

TEST(OtherWritersTest, AWriterInPlaceIsNeitherTakenInNorReplacedUntilItCloses)
{
    enum Watcher { Lease, EventsOnly, Blind };
    struct Row {
        Watcher watcher;
        std::string seen;
    };
    const std::string told = "ABC | take-in - deferred told 1 | take-in - deferred told 0 | save deferred file A";
    const std::string merged = " | closed: take-in ABCD, save written file ABCD";
    const std::vector<Row> rows = {
        // The file is ours: the lease cannot be had while it is open.
        {Lease, told + merged},
        // Another user's file, no lease: the modify without a close tells.
        {EventsOnly, told + merged},
        // A network disk: it changed and has not held still.
        {Blind, "ABC | take-in - deferred told 0 | take-in - deferred told 0 | save deferred file A" + merged},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.watcher);
        TempFolder folder;
        folder.Write("Voice.dat", Lines("ABC", folder.dir()));
        std::string seen;
        if (row.watcher == Lease) {
            PosixFileSystem files;
            seen = WindowBesideAWriterInPlace(files, folder.dir(), false);
        } else if (row.watcher == Blind) {
            BlindFiles files;
            seen = WindowBesideAWriterInPlace(files, folder.dir(), true);
        } else {
            if (::geteuid() != 0)
                GTEST_SKIP() << "another user's file needs root to make";
            folder.SetMode("", 0777);
            folder.SetMode("Voice.dat", 0666);
            auto child = RunUnprivileged([&] {
                PosixFileSystem files;
                return WindowBesideAWriterInPlace(files, folder.dir(), false);
            });
            ASSERT_TRUE(child);
            seen = *child;
        }
        EXPECT_EQ(seen, row.seen);
    }
}

// A write that lands at the last moment of a save, just before its rename.
enum class Intrusion { Append, RenameOver, SameSizeTimeBack, AppendEachTime, OpenedUnderLease };

class LateWriters : public PosixFileSystem {
public:
    LateWriters(std::string dir, Intrusion intrusion) : dir_(std::move(dir)), intrusion_(intrusion) {}
    ~LateWriters() override
    {
        if (late_.joinable())
            late_.join();
    }

    std::optional<WriteResult> ReplaceFileIf(const std::string& path, const std::string& bytes,
                                             const std::function<bool()>& stillSo) override
    {
        return PosixFileSystem::ReplaceFileIf(path, bytes, [&] {
            if (intrusion_ == Intrusion::AppendEachTime || intrusions_ == 0)
                Intrude();
            return stillSo();
        });
    }
    // The lease only where the intrusion is about it: an append of this
    // thread would wait on it.
    std::unique_ptr<WriterWatch> WatchWriters(const std::string& path) override
    {
        if (intrusion_ != Intrusion::OpenedUnderLease)
            return nullptr;
        auto watch = PosixFileSystem::WatchWriters(path);
        watch_ = watch.get();
        return watch;
    }
    void Finish()
    {
        if (late_.joinable())
            late_.join();
    }

private:
    std::string Path() const { return dir_ + kCatalogueFileName; }
    void Append(const std::string& line) const
    {
        const int fd = ::open(Path().c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        EXPECT_EQ(::write(fd, line.data(), line.size()), ssize_t(line.size()));
        ::close(fd);
    }
    void Intrude()
    {
        const std::string title(1, char('E' + intrusions_++));
        switch (intrusion_) {
        case Intrusion::Append:
        case Intrusion::AppendEachTime:
            return Append(Line(title, dir_));
        case Intrusion::RenameOver: {
            const std::string text = *ReadFile(Path()) + Line(title, dir_);
            std::ofstream(dir_ + "incoming", std::ios::binary) << text;
            std::filesystem::rename(dir_ + "incoming", Path());
            return;
        }
        case Intrusion::SameSizeTimeBack: {
            // A title changed, the size and the time as they were.
            struct stat old {};
            ::stat(Path().c_str(), &old);
            std::string text = *ReadFile(Path());
            text[0] = 'Z';
            const int fd = ::open(Path().c_str(), O_WRONLY | O_CLOEXEC);
            EXPECT_EQ(::pwrite(fd, text.data(), text.size(), 0), ssize_t(text.size()));
            const timespec times[2] = {old.st_atim, old.st_mtim};
            ::futimens(fd, times);
            ::close(fd);
            return;
        }
        case Intrusion::OpenedUnderLease:
            // Its open waits on the lease until the save lets go.
            late_ = std::thread([this, title] { Append(Line(title, dir_)); });
            for (auto until = std::chrono::steady_clock::now() + 20s;
                 watch_->Undisturbed() && std::chrono::steady_clock::now() < until;)
                std::this_thread::yield();
            return;
        }
    }

    std::string dir_;
    Intrusion intrusion_;
    int intrusions_ = 0;
    WriterWatch* watch_ = nullptr;
    std::thread late_;
};

TEST(OtherWritersTest, AWriteBetweenTheSavesReadAndItsRenameIsMergedNotLost)
{
    struct Row {
        Intrusion intrusion;
        bool changedBefore;  // another program wrote before the save too
        std::string file;    // after the save, and once more where it waited
    };
    const std::vector<Row> rows = {
        {Intrusion::Append, false, "ABCED"},
        {Intrusion::RenameOver, false, "ABCED"},
        {Intrusion::SameSizeTimeBack, false, "ZBCD"},
        {Intrusion::Append, true, "ABCXED"},
        {Intrusion::RenameOver, true, "ABCXED"},
        {Intrusion::OpenedUnderLease, false, "ABCED"},
        // Written on and on: the save gives up, the window keeps its list.
        {Intrusion::AppendEachTime, false, "ABCEFGH"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.intrusion) * 2 + row.changedBefore);
        TempFolder folder;
        const std::string dir = folder.dir();
        folder.Write("Voice.dat", Lines("ABC", dir));
        LateWriters files(dir, row.intrusion);
        CatalogueFile window(files, dir);
        const MemoTable ours = With(window.LoadTable(), "D", dir);
        if (row.changedBefore)
            folder.Write("Voice.dat", Lines("ABCX", dir));
        std::string outcome;
        try {
            CatalogueSync saved = window.SaveTable(ours);
            files.Finish();
            if (saved.deferred)
                saved = window.SaveTable(ours);  // the late writer has closed the file since
            outcome = TitlesIn(dir + kCatalogueFileName);
        } catch (const Error& error) {
            EXPECT_EQ(error.message(), FormatMessage(messages::kCatalogueBeingRewritten, window.path()));
            outcome = TitlesIn(dir + kCatalogueFileName);
        }
        EXPECT_EQ(outcome, row.file);
        EXPECT_EQ(folder.Entries(""), std::vector<std::string>{"Voice.dat"});
    }
}

}  // namespace
