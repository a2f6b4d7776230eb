#include "KilledTakes.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "FileBytes.h"
#include "FileSystem.h"
#include "VoiceStore.h"

namespace voicememo {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTakeInfix = ".take-";
constexpr std::size_t kRandomLength = 6;  // mkstemp's "XXXXXX"
// A take no lock can tell about (NFS, or a take without the machine's id)
// counts as left behind once it has not grown for this long: a recorder
// writes its take every 50 ms.
constexpr std::time_t kStillSeconds = 10 * 60;

// What can stand in a file name: letters, digits and ".", "_", "-".
std::string NameToken(std::string_view text)
{
    std::string token;
    for (const char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-')
            token += c;
    return token;
}

std::string FirstLine(const char* file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

class FileCloser {
public:
    explicit FileCloser(int fd) : fd_(fd) {}
    ~FileCloser() { ::close(fd_); }
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

private:
    int fd_;
};

std::uint32_t Little32(const unsigned char* bytes)
{
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

bool WriteLittle32(int fd, std::uint32_t value, off_t at)
{
    const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                    static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    return ::pwrite(fd, bytes, 4, at) == 4;
}

// Where a WAV's sound begins, and the bytes of one frame, read from its
// chunks up to "data": those before it were whole when the recorder began.
struct WavLayout {
    off_t dataStart;
    unsigned blockAlign;
};

std::optional<WavLayout> ReadLayout(int fd, off_t length)
{
    unsigned char riff[12];
    if (::pread(fd, riff, sizeof riff, 0) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0)
        return std::nullopt;
    unsigned blockAlign = 0;
    for (off_t at = sizeof riff; at + 8 <= length;) {
        unsigned char chunk[8];
        if (::pread(fd, chunk, sizeof chunk, at) != sizeof chunk)
            return std::nullopt;
        const std::uint32_t size = Little32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0)
            return blockAlign > 0 ? std::optional<WavLayout>({at + 8, blockAlign}) : std::nullopt;
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char format[16];
            if (size < sizeof format || ::pread(fd, format, sizeof format, at + 8) != sizeof format)
                return std::nullopt;
            blockAlign = format[12] | format[13] << 8;
        }
        at += 8 + off_t{size} + (size & 1);
    }
    return std::nullopt;
}

// Sets the sizes the header gives from the sound that reached the file, the
// last frame cut short taken off. False where the file cannot be written,
// or its sound does not fit the sizes.
bool MendHeader(int fd, const WavLayout& layout, long long frames)
{
    const off_t end = layout.dataStart + frames * layout.blockAlign;
    if (end - 8 > off_t{UINT32_MAX})
        return false;
    return ::ftruncate(fd, end) == 0 && WriteLittle32(fd, static_cast<std::uint32_t>(end - 8), 4) &&
           WriteLittle32(fd, static_cast<std::uint32_t>(end - layout.dataStart), layout.dataStart - 4) &&
           ::fdatasync(fd) == 0;
}

// Puts the mended take at take into the target's place when that is empty or
// missing: swapped with the empty file, so that a take another recorder put
// there meanwhile is seen and swapped back. Otherwise beside it.
std::optional<std::string> PlaceMended(const std::string& take, const std::string& target, int fd)
{
    struct stat reserved {};
    if (::lstat(target.c_str(), &reserved) != 0) {
        if (errno == ENOENT && RenameNoReplace(take, target))
            return target;
    } else if (S_ISREG(reserved.st_mode) && reserved.st_size == 0 &&
               ::renameat2(AT_FDCWD, take.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0) {
        struct stat out {};
        if (::lstat(take.c_str(), &out) == 0 && out.st_ino == reserved.st_ino && out.st_dev == reserved.st_dev &&
            out.st_size == 0) {
            ::unlink(take.c_str());  // an empty name holds nothing to keep
            return target;
        }
        if (::renameat2(AT_FDCWD, take.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
            // The take stays in place; what came meanwhile goes beside it.
            MoveBeside(take, target);
            return target;
        }
    }
    // Kept beside, the take is the user's to delete, whatever the target's mode.
    struct stat info {};
    if (::fstat(fd, &info) == 0)
        ::fchmod(fd, (info.st_mode & 07777) | S_IWUSR);
    return MoveBeside(take, target);
}

std::optional<MendedTake> MendOne(const std::string& folder, const std::string& name, const HiddenTakeName& parsed)
{
    const std::string path = (fs::path(folder) / name).string();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    const FileCloser closer(fd);  // also lets go of the lock
    struct stat opened {
    }, named{};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || ::lstat(path.c_str(), &named) != 0 ||
        named.st_ino != opened.st_ino || named.st_dev != opened.st_dev)
        return std::nullopt;
    const bool still = std::time(nullptr) - opened.st_mtime > kStillSeconds;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EINTR || !still))
        return std::nullopt;  // a recorder that lives holds it
    if (parsed.machine.empty() && !still)
        return std::nullopt;
    if (opened.st_size == 0) {
        ::unlink(path.c_str());  // killed before its header: it holds nothing
        return MendedTake{path, {}};
    }
    const std::optional<WavLayout> layout = ReadLayout(fd, opened.st_size);
    if (!layout || layout->dataStart > opened.st_size)
        return std::nullopt;
    const long long frames = (opened.st_size - layout->dataStart) / layout->blockAlign;
    if (frames == 0) {
        ::unlink(path.c_str());  // a header alone: no sound to keep
        return MendedTake{path, {}};
    }
    if (!MendHeader(fd, *layout, frames))
        return std::nullopt;
    std::optional<std::string> kept = PlaceMended(path, (fs::path(folder) / parsed.target).string(), fd);
    if (!kept)
        return std::nullopt;
    return MendedTake{path, std::move(*kept)};
}

}  // namespace

std::string ThisMachineId()
{
    static const std::string id = [] {
        for (const char* file : {"/etc/machine-id", "/var/lib/dbus/machine-id"})
            if (std::string token = NameToken(FirstLine(file)); !token.empty())
                return token;
        char host[256] = {};
        if (::gethostname(host, sizeof host - 1) == 0)
            if (std::string token = NameToken(host); !token.empty())
                return "host." + token;
        return std::string("unknown");
    }();
    return id;
}

std::string HiddenTakeTemplate(const std::string& landing, const std::string& machine)
{
    const fs::path target(landing);
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    return (folder / ("." + target.filename().string() + std::string(kTakeInfix) + machine + "-" +
                      std::string(kRandomLength, 'X')))
        .string();
}

std::optional<HiddenTakeName> ParseHiddenTake(std::string_view name)
{
    const std::size_t infix = name.rfind(kTakeInfix);
    if (!name.starts_with('.') || infix == std::string_view::npos || infix < 2)
        return std::nullopt;
    const std::string_view rest = name.substr(infix + kTakeInfix.size());
    const std::size_t dash = rest.rfind('-');
    const std::string_view random = dash == std::string_view::npos ? rest : rest.substr(dash + 1);
    if (random.size() != kRandomLength)
        return std::nullopt;
    return HiddenTakeName{std::string(name.substr(1, infix - 1)),
                          dash == std::string_view::npos ? std::string() : std::string(rest.substr(0, dash))};
}

TakeFolderLock::TakeFolderLock(const std::string& folder)
    : fd_(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (fd_ >= 0)
        while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {}
}

TakeFolderLock::~TakeFolderLock()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL)
        return false;
    return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
}

std::optional<std::string> MoveBeside(const std::string& from, const std::string& besideOf)
{
    constexpr int kMostTries = 10000;
    const fs::path named(besideOf);
    const fs::path folder = named.parent_path().empty() ? fs::path(".") : named.parent_path();
    const std::string stem = named.stem().string();
    const std::string extension = named.extension().string();
    for (int number = 2; number < kMostTries; ++number) {
        const std::string candidate = (folder / (stem + " (" + std::to_string(number) + ")" + extension)).string();
        if (RenameNoReplace(from, candidate))
            return candidate;
        if (errno != EEXIST)
            return std::nullopt;
    }
    errno = EEXIST;
    return std::nullopt;
}

std::vector<MendedTake> MendKilledTakes(const std::string& folder, const std::string& machine)
{
    std::vector<std::pair<std::string, HiddenTakeName>> takes;
    if (DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str())) {
        while (const dirent* entry = ::readdir(dir))
            if (auto parsed = ParseHiddenTake(entry->d_name);
                parsed && (parsed->machine.empty() || parsed->machine == machine))
                takes.emplace_back(entry->d_name, std::move(*parsed));
        ::closedir(dir);
    }
    std::vector<MendedTake> mended;
    if (takes.empty())
        return mended;
    std::sort(takes.begin(), takes.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const TakeFolderLock lock(folder);
    for (const auto& [name, parsed] : takes)
        if (std::optional<MendedTake> one = MendOne(folder, name, parsed))
            mended.push_back(std::move(*one));
    if (!mended.empty())
        SyncFolder(folder.empty() ? "." : folder);
    return mended;
}

std::vector<MendedTake> MendKilledTakes(FileSystem& files, const std::string& exeDir)
{
    const std::optional<std::string> folder = files.DiskPath(VoiceStore(files, exeDir).folder());
    return folder ? MendKilledTakes(*folder) : std::vector<MendedTake>{};
}

}  // namespace voicememo
