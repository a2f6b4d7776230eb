#pragma once
// A memo is known by its take, not by how its path is spelt. A path that
// names one of our data/ files (however it reaches the folder: a double
// slash, a link to the folder, a bind mount), or a missing file whose path
// ends in data/<name> (a moved copy of the folder, the folder on another
// machine), keys as data/<name>, the name compared as the "same file" rule
// compares names. Any other path keys by its lexically normal form, so its
// key does not change when its file appears or goes. Two memos name the
// same take when their keys are equal: the merge, the next free name, the
// unused-file search and a deletion all judge so.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "FileSystem.h"

namespace voicememo {

class TakeKeys {
public:
    // dataFolder: our data folder, with its trailing separator.
    TakeKeys(FileSystem& files, std::string dataFolder);

    // What a path tells of its take.
    struct Look {
        std::string key;
        // The name in data/ that the key stands for; empty for a path that
        // keys by itself.
        std::string takeName;
        bool inOurFolder = false;  // its folder is our data folder
        bool missing = false;      // no file of its name in its folder
    };
    Look LookAt(std::string_view path);
    std::string KeyOf(std::string_view path) { return LookAt(path).key; }

    // The name in our data folder that a path stands for when its own file
    // is missing and a file of its name is there: a moved folder's, or
    // another machine's. Nothing for any other path.
    std::optional<std::string> MovedTake(std::string_view path);

    // The key of a take of our data/ of that name.
    std::string KeyOfName(std::string_view name);
    static bool IsTakeKey(std::string_view key);
    // Whether our data folder holds a file of that name.
    bool InOurFolder(std::string_view name);

private:
    // One look at each folder a path names, kept for the paths after it: a
    // catalogue names few folders for many memos.
    struct FolderLook {
        bool ours = false;
        bool calledData = false;                   // an absolute path's folder called data
        std::unordered_set<std::string> nameKeys;  // its files' names, as keys
    };
    const FolderLook& LookAtFolder(std::string_view folder);
    const FolderLook& OurFolder();
    std::string NameKey(std::string_view name);

    FileSystem& files_;
    std::string dataFolder_;
    std::optional<FolderIdentity> dataIdentity_;
    std::unordered_map<std::string, FolderLook> folders_;
    const FolderLook* ours_ = nullptr;
    std::string lastFolder_;
    const FolderLook* last_ = nullptr;
};

}  // namespace voicememo
