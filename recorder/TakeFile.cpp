#include "TakeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sndfile.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "AtomicReplace.h"
#include "FileBytes.h"
#include "KilledTakes.h"
#include "Trash.h"
#include "VoiceDecoder.h"

namespace voicememo {

namespace {

namespace fs = std::filesystem;

fs::path FolderOf(const std::string& target)
{
    fs::path folder = fs::path(target).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The system's error behind a libsndfile call that failed, errno having been
// cleared before it; a failure of libsndfile's own counts as one of the disk.
int SoundFileError() { return errno != 0 ? errno : EIO; }

// The take gets the reserved file's owner, group and permissions, not
// mkstemp's private 0600 and the recorder's user.
void TakeOverMode(int fd, const std::string& target)
{
    struct stat st {};
    const bool reserved = ::stat(target.c_str(), &st) == 0;
    if (reserved)
        TakeOverOwner(fd, st);
    ::fchmod(fd, reserved ? (st.st_mode & 07777) : 0644);
}

// The entry at the path itself, a link not followed.
std::optional<FileIdentity> EntryIdentity(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

// Whether the file at path may be replaced by a recorder started on
// replaceable: the same file, still in place, that the user may write.
TakeProblem ReplaceProblem(const std::string& path, const std::optional<FileIdentity>& replaceable)
{
    if (EntryIdentity(path) != replaceable)
        return TakeProblem::TargetChanged;
    return MayWriteFile(path) ? TakeProblem::None : TakeProblem::TargetReadOnly;
}

// A take the target held, on its way to the trash.
struct TrashedTake {
    enum class State { Trashed, NoTrash, Changed };
    State state;
    std::string where{};  // in the trash, when Trashed
};

// Puts a trashed file back at its name, and takes the trash's note of it
// away ("files/<name>" is noted in "info/<name>.trashinfo").
void TakeOutOfTrash(const std::string& where, const std::string& landing)
{
    if (!RenameNoReplace(where, landing))
        return;
    const fs::path trashed(where);
    std::error_code ignored;
    fs::remove(trashed.parent_path().parent_path() / "info" / (trashed.filename().string() + ".trashinfo"), ignored);
}

// Moves the file at landing to the desktop's trash, which notes where it lay
// so that it can be restored there, but only while it is the file
// replaceable names: NoTrash leaves it in place, Changed means another file
// took or left the name meanwhile.
TrashedTake TrashOldTake(const std::string& landing, const std::optional<FileIdentity>& replaceable)
{
    std::optional<std::string> trashed = MoveToTrash(landing);
    if (!trashed)
        return {EntryIdentity(landing) == replaceable ? TrashedTake::State::NoTrash : TrashedTake::State::Changed};
    std::string where = std::move(*trashed);
    if (EntryIdentity(where) == replaceable)
        return {TrashedTake::State::Trashed, std::move(where)};
    // Another file took the name between the check and the move: it goes
    // back, or stays in the trash where the name is taken again.
    TakeOutOfTrash(where, landing);
    return {TrashedTake::State::Changed};
}

}  // namespace

bool HoldsTake(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && info.st_size > 0;
}

double TakeSeconds(const std::string& path)
{
    struct stat info {};
    const int fd = OpenRegularFile(path, O_RDONLY | O_CLOEXEC, info);
    if (fd < 0)
        return 0;
    const VoiceDecoder sound(fd);
    return sound.IsOpen() && sound.Rate() > 0 ? static_cast<double>(sound.Frames()) / sound.Rate() : 0;
}

std::unique_ptr<TakeFile> TakeFile::Create(const std::string& target, int& error)
{
    const std::optional<std::string> landing = FollowLinks(target);
    if (!landing) {
        error = ELOOP;
        return nullptr;
    }
    TakeFolderLock lock(FolderOf(*landing).string());
    std::string path = HiddenTakeTemplate(*landing);
    int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    ::flock(fd, LOCK_EX);
    TakeOverMode(fd, *landing);

    SF_INFO format{};
    format.samplerate = kTakeSampleRate;
    format.channels = 1;
    format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    errno = 0;
    SNDFILE* sound = sf_open_fd(fd, SFM_WRITE, &format, SF_FALSE);
    if (!sound) {
        error = SoundFileError();
        ::unlink(path.c_str());
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TakeFile>(new TakeFile(target, *landing, std::move(path), fd, sound));
}

TakeFile::TakeFile(std::string target, std::string landing, std::string path, int fd, SNDFILE* sound)
    : target_(std::move(target)),
      landing_(std::move(landing)),
      path_(std::move(path)),
      fd_(fd),
      sound_(sound)
{
}

TakeFile::~TakeFile() { Discard(); }

bool TakeFile::Append(const std::int16_t* samples, std::size_t count, int& error)
{
    errno = 0;
    const sf_count_t written = sound_ ? sf_write_short(sound_, samples, static_cast<sf_count_t>(count)) : 0;
    // Of a write cut short by a full disk, the samples that reached it count:
    // the header written at the end tells their number.
    frames_ += std::max<sf_count_t>(written, 0);
    if (written == static_cast<sf_count_t>(count))
        return true;
    error = SoundFileError();
    return false;
}

TakeOutcome TakeFile::Keep(HeldFile& replaceable, TakeProblem ending)
{
    if (fd_ < 0)
        return {TakeProblem::CannotSave, false};
    if (frames_ == 0) {
        // Nothing was heard: an empty take replaces nothing and is no file.
        Discard();
        return {ending, false};
    }
    // sf_close writes the final header: only now is the file a whole WAV.
    errno = 0;
    const int closed = sf_close(sound_);
    sound_ = nullptr;
    if (closed != 0) {
        TakeOutcome failed{TakeProblem::CannotSave, false, ProblemCause::System(SoundFileError())};
        Discard();
        return failed;
    }
    if (::fsync(fd_) != 0)
        return Failed(errno);
    const bool cut = ending != TakeProblem::None;
    TakeOutcome outcome = cut && HoldsTake(landing_) ? KeepBeside(ending) : PutInPlace(replaceable.identity());
    if (cut && outcome.problem != TakeProblem::CannotSave)
        outcome.problem = ending;  // why it was cut says more than where it went
    if (outcome.saved) {
        // The take is the target now: it is held in place of the old file,
        // without the lock that marked it as a take in progress.
        ::flock(fd_, LOCK_UN);
        replaceable = HeldFile(std::exchange(fd_, -1));
    }
    CloseAll();
    return outcome;
}

// The check and the replace are one step: RENAME_EXCHANGE swaps the take
// and the target atomically, then the file swapped out is checked; one that
// may not be replaced is swapped back at once. Nothing is lost in between:
// both files keep a name throughout, and the folder's lock keeps other
// recorders' sweeps off the swapped-out one.
TakeOutcome TakeFile::PutInPlace(const std::optional<FileIdentity>& replaceable)
{
    TakeFolderLock lock(FolderOf(landing_).string());
    if (replaceable && HoldsTake(landing_))
        return ReplaceThroughTrash(replaceable);
    if (!replaceable) {
        // There was no file: the take may only create one.
        if (!RenameNoReplace(path_, landing_))
            return errno == EEXIST ? KeepBeside(TakeProblem::TargetChanged) : Failed(errno);
    } else if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, landing_.c_str(), RENAME_EXCHANGE) == 0) {
        // path_ now names what was the target.
        const TakeProblem problem = ReplaceProblem(path_, replaceable);
        if (problem != TakeProblem::None) {
            if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, landing_.c_str(), RENAME_EXCHANGE) != 0) {
                // Only a name removed meanwhile stops the swap back, and then
                // it was the take's: the other file goes back to its name.
                const int error = errno;
                if (!RenameNoReplace(path_, landing_))
                    MoveBeside(path_, landing_);
                return {TakeProblem::CannotSave, false, ProblemCause::System(error)};
            }
            return KeepBeside(problem);
        }
        ::unlink(path_.c_str());
    } else if (errno == ENOENT) {
        return KeepBeside(TakeProblem::TargetChanged);  // the file is gone
    } else if (errno == EINVAL) {
        // A file system without the exchange: check, then replace. Only here
        // a file put in place between the two steps could be lost.
        const TakeProblem problem = ReplaceProblem(landing_, replaceable);
        if (problem != TakeProblem::None)
            return KeepBeside(problem);
        if (::rename(path_.c_str(), landing_.c_str()) != 0)
            return Failed(errno);
    } else {
        return Failed(errno);
    }
    SyncFolder(FolderOf(landing_).string());
    return {TakeProblem::None, true, {}};
}

// A take the target holds goes to the trash before the new one takes its
// name, for the trash to note that name and put the take back there. For
// that moment the target is missing; should the new take fail to take its
// name, the old one goes back. Where no trash can be had the old take
// stays, never deleted for good, and the new one is kept beside it.
TakeOutcome TakeFile::ReplaceThroughTrash(const std::optional<FileIdentity>& replaceable)
{
    if (const TakeProblem problem = ReplaceProblem(landing_, replaceable); problem != TakeProblem::None)
        return KeepBeside(problem);
    const TrashedTake old = TrashOldTake(landing_, replaceable);
    if (old.state == TrashedTake::State::NoTrash)
        return KeepBeside(TakeProblem::NoTrash);
    if (old.state == TrashedTake::State::Changed)
        return KeepBeside(TakeProblem::TargetChanged);
    if (!RenameNoReplace(path_, landing_)) {
        const int error = errno;
        TakeOutOfTrash(old.where, landing_);
        return error == EEXIST ? KeepBeside(TakeProblem::TargetChanged) : Failed(error);
    }
    SyncFolder(FolderOf(landing_).string());
    return TakeOutcome{TakeProblem::None, true, {}, {}, true};
}

TakeOutcome TakeFile::KeepBeside(TakeProblem why)
{
    // The kept take is the user's to delete, whatever the target's mode.
    struct stat info {};
    if (::fstat(fd_, &info) == 0)
        ::fchmod(fd_, (info.st_mode & 07777) | S_IWUSR);
    // Beside the name the recorder was given, where the dialog looks; beside
    // the link's end when that lies on another file system.
    std::optional<std::string> kept = MoveBeside(path_, target_);
    if (!kept && errno == EXDEV)
        kept = MoveBeside(path_, landing_);
    if (!kept)
        return Failed(errno);
    SyncFolder(FolderOf(*kept).string());
    return {why, false, {}, *kept};
}

TakeOutcome TakeFile::Failed(int error)
{
    Discard();
    return {TakeProblem::CannotSave, false, ProblemCause::System(error)};
}

void TakeFile::Discard()
{
    if (fd_ < 0)
        return;
    ::unlink(path_.c_str());
    CloseAll();
}

void TakeFile::CloseAll()
{
    if (sound_)
        sf_close(sound_);
    sound_ = nullptr;
    if (fd_ >= 0)
        ::close(fd_);  // also releases the lock
    fd_ = -1;
}

std::vector<MendedTake> TakeFile::MendKilled(const std::string& target)
{
    return MendKilledTakes(FolderOf(FollowLinks(target).value_or(target)).string());
}

}  // namespace voicememo
