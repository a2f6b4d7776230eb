#include "TakeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sndfile.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace voicememo {

namespace {

namespace fs = std::filesystem;

fs::path FolderOf(const std::string& target)
{
    fs::path folder = fs::path(target).parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// ".Voice3.wav.take-": hidden, and tied to the one target it belongs to.
std::string TakePrefix(const std::string& target)
{
    return "." + fs::path(target).filename().string() + ".take-";
}

void SyncFolder(const fs::path& folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// The take gets the reserved file's permissions, not mkstemp's private 0600.
void TakeOverMode(int fd, const std::string& target)
{
    struct stat st {};
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    ::fchmod(fd, mode);
}

}  // namespace

std::unique_ptr<TakeFile> TakeFile::Create(const std::string& target, std::string& reason)
{
    std::string path = (FolderOf(target) / (TakePrefix(target) + "XXXXXX")).string();
    int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    ::flock(fd, LOCK_EX);
    TakeOverMode(fd, target);

    SF_INFO format{};
    format.samplerate = kTakeSampleRate;
    format.channels = 1;
    format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* sound = sf_open_fd(fd, SFM_WRITE, &format, SF_FALSE);
    if (!sound) {
        reason = sf_strerror(nullptr);
        ::unlink(path.c_str());
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<TakeFile>(new TakeFile(target, std::move(path), fd, sound));
}

TakeFile::TakeFile(std::string target, std::string path, int fd, SNDFILE* sound)
    : target_(std::move(target)), path_(std::move(path)), fd_(fd), sound_(sound)
{
}

TakeFile::~TakeFile()
{
    Discard();
}

bool TakeFile::Append(const std::int16_t* samples, std::size_t count)
{
    return sound_ && sf_write_short(sound_, samples, static_cast<sf_count_t>(count)) ==
                         static_cast<sf_count_t>(count);
}

bool TakeFile::Keep(std::string& reason)
{
    if (fd_ < 0) {
        reason = "the take is already closed";
        return false;
    }
    // sf_close writes the final header: only now is the file a whole WAV.
    if (sf_close(sound_) != 0) {
        sound_ = nullptr;
        reason = sf_strerror(nullptr);
        Discard();
        return false;
    }
    sound_ = nullptr;
    if (::fsync(fd_) != 0 || ::rename(path_.c_str(), target_.c_str()) != 0) {
        reason = std::strerror(errno);
        Discard();
        return false;
    }
    SyncFolder(FolderOf(target_));
    CloseAll();
    return true;
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

void TakeFile::RemoveStale(const std::string& target)
{
    const std::string prefix = TakePrefix(target);
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(FolderOf(target), error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix) || !entry.is_regular_file(error))
            continue;
        int fd = ::open(entry.path().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(entry.path().c_str());
        ::close(fd);
    }
}

}  // namespace voicememo
