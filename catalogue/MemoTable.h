#pragma once
// The memos of the catalogue held as the text of the file they were read
// from, each field a stretch of it: a catalogue of any size takes about its
// own size in memory, and a loaded file becomes the text as it is, with no
// copy per field. The text is never changed, so copies of a table share it;
// changed and added memos are written to a block of the table's own.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "VoiceMemo.h"

namespace voicememo {

class MemoTable {
public:
    // The columns: the fields of a memo in their order in a line.
    enum Column : int { kTitle, kFilePath, kRecordedDate, kRecordedTime, kKind, kShownDate, kFields };

    using Fields = std::array<std::string_view, kFields>;

    MemoTable() = default;
    // The memos of a catalogue file's text, line by line as the calendar
    // reads them; the table keeps the text.
    static MemoTable FromCatalogueText(std::string text);
    static MemoTable FromCatalogueText(std::shared_ptr<const std::string> text);
    explicit MemoTable(const std::vector<VoiceMemo>& memos);

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    std::string_view field(std::size_t row, int column) const;
    Fields fields(std::size_t row) const;
    VoiceMemo memo(std::size_t row) const;
    std::vector<VoiceMemo> memos() const;

    // Whether a row holds the same memo as a row of another table.
    bool SameMemo(std::size_t row, const MemoTable& other, std::size_t otherRow) const;
    // Whether both rows stand as the very same line (so the same memo),
    // told without splitting them.
    bool SameLine(std::size_t row, const MemoTable& other, std::size_t otherRow) const;
    // The same memos in the same order.
    bool operator==(const MemoTable& other) const;
    // Every row is still the line of the text it was read from, in order:
    // nothing was changed, added or removed since FromCatalogueText.
    bool Pristine() const { return pristine_; }

    // The text the table was read from (or written as, by Written); the
    // memos changed or added since stand elsewhere.
    const std::string& text() const;
    // The same text, to be shared (null for a table that has none).
    std::shared_ptr<const std::string> sharedText() const { return text_; }

    void append(const VoiceMemo& memo);
    void insert(std::size_t row, const std::vector<VoiceMemo>& memos);
    void set(std::size_t row, const VoiceMemo& memo);
    void erase(std::size_t row);

    // The catalogue file's text: a line per memo, each ended by CR LF.
    std::string ToCatalogueText() const;
    // The same memos as a file holds them once written: read from
    // ToCatalogueText's text, which text() then gives.
    MemoTable Written() const;

    class Builder;

private:
    // A row read from the file is its line: where it begins and ends in the
    // text; its fields are found when asked for. Rows are the most of a
    // big catalogue's memory beside the text, so they take 8 bytes each.
    // A row written since (changed, added) is few among many: it names its
    // entry in written_, which holds where each of its fields begins in the
    // block and where the last ends, and whether it may be written out as
    // its stretch of the block (no field holds a byte that its line could not).
    struct Row {
        std::uint32_t at;        // a line read: where it begins; a row written: its entry in written_
        std::uint32_t end : 31;  // a line read: where it ends
        std::uint32_t written : 1;
    };
    struct WrittenRow {
        std::array<std::uint32_t, kFields + 1> at;
        bool writesAsItStands;
    };
    Row Write(const VoiceMemo& memo);
    std::string_view LineOf(const Row& row) const;
    // Whether LineOf is a line that reads as the row's memo.
    bool ReadsAsItStands(const Row& row) const;
    Fields FieldsOf(const Row& row) const;

    std::shared_ptr<const std::string> text_;
    bool whole_ = false;  // each line of the text holds all its fields (a Builder's)
    bool pristine_ = false;
    std::string block_;
    std::vector<Row> rows_;
    std::vector<WrittenRow> written_;
};

// Puts a table together line by line as the catalogue file will hold it:
// the table's text() is the file's text, each row a line of it. The tables
// rows are taken from must outlive the Builder.
class MemoTable::Builder {
public:
    Builder(std::size_t rows, std::size_t bytes)
    {
        rows_.reserve(rows);
        text_.reserve(bytes);
    }
    // A row of a table, as ToCatalogueText writes it.
    void Append(const MemoTable& from, std::size_t row);
    void Append(const Fields& fields);
    MemoTable Build() &&;

private:
    void EndLine(std::size_t start);
    void CopyRun();

    std::string text_;
    std::vector<Row> rows_;
    // Lines of a Builder's text that follow one another there are copied
    // together, once the run ends: the stretch of that text, and where it
    // goes in ours.
    const std::string* run_ = nullptr;
    std::size_t runStart_ = 0, runEnd_ = 0, runTo_ = 0;
};

}  // namespace voicememo
