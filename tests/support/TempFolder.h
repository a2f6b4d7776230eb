#pragma once
// A fresh folder for one test, removed with everything in it afterwards,
// and small helpers to put bytes on the disk and read them back.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

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
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
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
    void MakeFolder(const std::string& relative) const
    {
        std::filesystem::create_directories(path(relative));
    }
    // A file every read of which fails, for root too: /proc/self/mem opens
    // fine but reading its first page gives EIO.
    void MakeUnreadable(const std::string& relative) const
    {
        std::filesystem::create_symlink("/proc/self/mem", path(relative));
    }

private:
    std::filesystem::path path_;
};

}  // namespace voicememo::testing
