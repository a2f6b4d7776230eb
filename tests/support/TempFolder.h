#pragma once
// A fresh folder for one test, removed with everything in it afterwards,
// and small helpers to put bytes on the disk and read them back.
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace voicememo::testing {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "voicememo-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp");
        path_ = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing "/", as the program names its own folder.
    std::string dir() const { return path_.string() + "/"; }
    std::filesystem::path path(const std::string& relative) const { return path_ / relative; }

    void Write(const std::string& relative, const std::string& bytes) const
    {
        std::filesystem::create_directories(path(relative).parent_path());
        std::ofstream out(path(relative), std::ios::binary);
        out << bytes;
    }
    std::string Read(const std::string& relative) const
    {
        std::ifstream in(path(relative), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& relative) const { return std::filesystem::exists(path(relative)); }
    void MakeFolder(const std::string& relative) const { std::filesystem::create_directories(path(relative)); }
    // A file every read of which fails, for root too: /proc/self/mem opens
    // fine but reading its first page gives EIO.
    void MakeUnreadable(const std::string& relative) const
    {
        std::filesystem::create_symlink("/proc/self/mem", path(relative));
    }

    // Hands the folder and everything in it to another user (a link itself,
    // not what it points to), so a test can act as that user.
    void GiveTo(uid_t uid, gid_t gid) const
    {
        if (::lchown(path_.c_str(), uid, gid) != 0)
            throw std::runtime_error("lchown " + path_.string());
        for (const auto& entry : std::filesystem::recursive_directory_iterator(path_))
            if (::lchown(entry.path().c_str(), uid, gid) != 0)
                throw std::runtime_error("lchown " + entry.path().string());
    }
    void SetMode(const std::string& relative, unsigned mode) const
    {
        std::filesystem::permissions(path(relative), std::filesystem::perms(mode));
    }
    // The names in a folder, temporary files too, sorted.
    std::vector<std::string> Entries(const std::string& relative) const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path(relative)))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace voicememo::testing
