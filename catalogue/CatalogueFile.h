#pragma once
// The catalogue file Voice.dat: one memo per line, six TAB-separated fields,
// each line ending in CR LF. The calendar reads the same file.
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "MemoTable.h"
#include "VoiceMemo.h"

namespace voicememo {

inline constexpr const char* kCatalogueFileName = "Voice.dat";

// One line into a memo; every line, an empty one too, gives one memo.
// Extra TABs stay in the last field.
VoiceMemo ParseCatalogueLine(std::string_view line);
// A memo into its line, without the line end.
std::string FormatCatalogueLine(const VoiceMemo& memo);

std::vector<VoiceMemo> ParseCatalogue(std::string_view content);
std::string FormatCatalogue(const std::vector<VoiceMemo>& memos);

// Replaces the file atomically with the bytes, as a save does. Throws Error
// "ﾌｧｲﾙ %s を作成できません" or "ｽﾄﾘｰﾑへの書き込みｴﾗｰ"; the old file then
// stays as it was.
void ReplaceOrThrow(FileSystem& files, const std::string& path, const std::string& bytes);

class CatalogueFile {
public:
    CatalogueFile(FileSystem& files, const std::string& exeDir);

    const std::string& path() const { return path_; }

    // The memos of the file, held as the file's text with the fields found
    // in it; none when it does not exist. A file that exists but cannot be
    // read throws "ﾌｧｲﾙ %s は開けません" and is remembered, so that a later
    // save never destroys it.
    MemoTable LoadTable();

    // Writes the memos, or deletes the file when there are none. After a
    // failed load the file is read again first: when that works, its memos
    // are put before the given ones and written with them, and returned so
    // the caller can show them (nothing is returned otherwise); when it fails
    // again, nothing is written and, if there are memos to keep,
    // "ﾌｧｲﾙ %s は開けません" is thrown.
    // Failures to write throw "ﾌｧｲﾙ %s を作成できません" or
    // "ｽﾄﾘｰﾑへの書き込みｴﾗｰ" and leave the old file as it was.
    std::vector<VoiceMemo> SaveTable(const MemoTable& memos);

    bool loadFailed() const { return loadFailed_; }

private:
    FileSystem& files_;
    std::string path_;
    bool loadFailed_ = false;
};

}  // namespace voicememo
