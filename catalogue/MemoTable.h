#pragma once
// The memos of the catalogue held in one block of bytes, each field a
// stretch of it: a catalogue of any size takes about its own size in memory,
// and a loaded file becomes the block as it is, with no copy per field.
// Changed and added memos are written at the block's end.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "VoiceMemo.h"

namespace voicememo {

class MemoTable {
public:
    // The columns: the fields of a memo in their order in a line.
    enum Column : int { kTitle, kFilePath, kRecordedDate, kRecordedTime, kKind, kShownDate, kFields };

    MemoTable() = default;
    // The memos of a catalogue file's text, line by line as the calendar
    // reads them; the text becomes the table's block.
    static MemoTable FromCatalogueText(std::string text);
    explicit MemoTable(const std::vector<VoiceMemo>& memos);

    std::size_t size() const { return rows_.size(); }
    bool empty() const { return rows_.empty(); }
    std::string_view field(std::size_t row, int column) const;
    VoiceMemo memo(std::size_t row) const;
    std::vector<VoiceMemo> memos() const;

    void append(const VoiceMemo& memo);
    void insert(std::size_t row, const std::vector<VoiceMemo>& memos);
    void set(std::size_t row, const VoiceMemo& memo);
    void erase(std::size_t row);

    // The catalogue file's text: a line per memo, each ended by CR LF.
    std::string ToCatalogueText() const;

private:
    // A row read from the file is its line: where it begins and ends in the
    // block; its fields are found when asked for. Rows are the most of a
    // big catalogue's memory beside the block, so they take 8 bytes each.
    // A row written since (changed, added) is few among many: it names its
    // entry in written_, which holds where each of its fields begins and
    // where the last ends, and whether it may be written out as its
    // stretch of the block (no field holds a byte that its line could not).
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
    std::array<std::string_view, kFields> FieldsOf(const Row& row) const;

    std::string block_;
    std::vector<Row> rows_;
    std::vector<WrittenRow> written_;
};

}  // namespace voicememo
