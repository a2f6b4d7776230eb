#include "JournalText.h"

#include <algorithm>
#include <cstdint>

#include <QCryptographicHash>

namespace voicememo {

namespace {

constexpr std::string_view kMagic = "voicememo rewrite journal 2\n";
constexpr std::size_t kHashLength = 64;
constexpr std::size_t kMostDigits = 19;  // what fits in 64 bits

// Takes a journal apart piece by piece: once a piece is not there, every
// later one is empty and the whole fails.
class Pieces {
public:
    explicit Pieces(std::string_view bytes) : rest_(bytes) {}

    void Literal(std::string_view text)
    {
        if (!rest_.starts_with(text))
            ok_ = false;
        Skip(text.size());
    }
    std::uint64_t Number()
    {
        const std::size_t digits = std::min(rest_.find_first_not_of("0123456789"), rest_.size());
        if (digits == 0 || digits > kMostDigits)
            ok_ = false;
        std::uint64_t value = 0;
        for (char c : Bytes(digits))
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        return value;
    }
    std::string_view Bytes(std::uint64_t count)
    {
        if (!ok_ || count > rest_.size()) {
            ok_ = false;
            return {};
        }
        const std::string_view taken = rest_.substr(0, count);
        rest_.remove_prefix(count);
        return taken;
    }
    // Whether every piece was there and nothing is left over.
    bool Whole() const { return ok_ && rest_.empty(); }

private:
    void Skip(std::size_t count) { Bytes(count); }

    std::string_view rest_;
    bool ok_ = true;
};

void AppendContentLine(std::string& text, std::string_view name, std::string_view content)
{
    text += std::string(name) + " " + std::to_string(content.size()) + " " + Sha256Hex(content) + "\n";
}

// The size and hash of a content, as its line gives them.
struct Described {
    std::uint64_t size = 0;
    std::string_view hash;
};

Described ContentLine(Pieces& pieces, std::string_view name)
{
    Described described;
    pieces.Literal(std::string(name) + " ");
    described.size = pieces.Number();
    pieces.Literal(" ");
    described.hash = pieces.Bytes(kHashLength);
    pieces.Literal("\n");
    return described;
}

}  // namespace

std::string Sha256Hex(std::string_view bytes)
{
    return QCryptographicHash::hash(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
                                    QCryptographicHash::Sha256)
        .toHex()
        .toStdString();
}

std::string ComposeJournal(std::string_view path, const FileIdentity& identity, std::string_view oldContent,
                           std::string_view newContent)
{
    std::string text(kMagic);
    // The path by its length: a name on disk may hold a line break.
    text += "path " + std::to_string(path.size()) + "\n";
    text += path;
    text += "\nidentity " + std::to_string(identity.device) + " " + std::to_string(identity.inode) + "\n";
    AppendContentLine(text, "old", oldContent);
    AppendContentLine(text, "new", newContent);
    text += "\n";
    text.reserve(text.size() + oldContent.size() + newContent.size());
    text += oldContent;
    text += newContent;
    return text;
}

std::optional<JournalText> ParseJournal(std::string_view bytes)
{
    Pieces pieces(bytes);
    JournalText journal;
    pieces.Literal(kMagic);
    pieces.Literal("path ");
    const std::uint64_t pathSize = pieces.Number();
    pieces.Literal("\n");
    journal.path = pieces.Bytes(pathSize);
    pieces.Literal("\nidentity ");
    journal.identity.device = static_cast<dev_t>(pieces.Number());
    pieces.Literal(" ");
    journal.identity.inode = static_cast<ino_t>(pieces.Number());
    pieces.Literal("\n");
    const Described oldLine = ContentLine(pieces, "old");
    const Described newLine = ContentLine(pieces, "new");
    pieces.Literal("\n");
    journal.oldContent = pieces.Bytes(oldLine.size);
    journal.newContent = pieces.Bytes(newLine.size);
    if (!pieces.Whole() || Sha256Hex(journal.oldContent) != oldLine.hash ||
        Sha256Hex(journal.newContent) != newLine.hash)
        return std::nullopt;
    return journal;
}

bool IsLeftByCutRewrite(std::string_view file, std::string_view oldContent, std::string_view newContent)
{
    if (file.size() > std::max(oldContent.size(), newContent.size()))
        return false;
    // The new content runs from the start up to newEnd...
    const std::size_t common = std::min(file.size(), newContent.size());
    const std::size_t newEnd = static_cast<std::size_t>(
        std::mismatch(file.begin(), file.begin() + common, newContent.begin()).first - file.begin());
    // ...and the old content from oldStart to the end: the two must meet.
    std::size_t oldStart = file.size();
    while (oldStart > newEnd) {
        const std::size_t at = oldStart - 1;
        if (file[at] != (at < oldContent.size() ? oldContent[at] : '\0'))
            break;
        oldStart = at;
    }
    return oldStart <= newEnd;
}

}  // namespace voicememo
