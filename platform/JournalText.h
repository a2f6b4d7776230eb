#pragma once
// The bytes of a rollback journal (RewriteJournal.h): the path and identity
// of the file rewritten in place, and its old and new content, each with its
// size and SHA-256. The sizes and hashes tell a whole journal from a damaged
// one; the two contents tell a file that a cut rewrite left from any other.
// The header is text, so a user who is handed a journal can read it.
#include <optional>
#include <string>
#include <string_view>

#include "FileIdentity.h"

namespace voicememo {

struct JournalText {
    std::string_view path;
    FileIdentity identity;
    std::string_view oldContent;
    std::string_view newContent;
};

std::string ComposeJournal(std::string_view path, const FileIdentity& identity, std::string_view oldContent,
                           std::string_view newContent);
// Nothing for bytes that are no whole journal of this kind: another
// version, cut short, or a size or hash that does not match its content.
std::optional<JournalText> ParseJournal(std::string_view bytes);

// Whether the file holds exactly what a rewrite of it from oldContent to
// newContent leaves when cut short at any moment: the new content's first
// bytes, then the old content's bytes at the same places (zeros past its
// end, where room was taken for a longer new content), and no longer than
// the longer of the two. So the old content whole or cut, and the new one
// whole, are such files too.
bool IsLeftByCutRewrite(std::string_view file, std::string_view oldContent, std::string_view newContent);

// The SHA-256 of the bytes, in lower-case hexadecimal.
std::string Sha256Hex(std::string_view bytes);

}  // namespace voicememo
