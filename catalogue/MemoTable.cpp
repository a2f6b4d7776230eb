#include "MemoTable.h"

#include <algorithm>
#include <stdexcept>

#include "CatalogueText.h"

namespace voicememo {

namespace text = catalogue_text;

MemoTable MemoTable::FromCatalogueText(std::string content)
{
    MemoTable table;
    table.block_ = std::move(content);
    std::string_view whole = table.block_;
    table.rows_.reserve(whole.size() / 64);  // a guess at the lines; the vector grows past it if need be
    const char* const base = table.block_.data();
    // A line's fields are found when they are asked for, so a load costs
    // little more than finding the lines.
    if (whole.size() > UINT32_MAX / 2)
        throw std::length_error("memo table");
    ForEachLine(whole, [&](std::string_view line) {
        Row row{};
        row.at = static_cast<std::uint32_t>(line.data() - base);
        row.end = static_cast<std::uint32_t>(line.data() + line.size() - base);
        table.rows_.push_back(row);
    });
    return table;
}

MemoTable::MemoTable(const std::vector<VoiceMemo>& memos) { insert(0, memos); }

std::string_view MemoTable::LineOf(const Row& row) const
{
    if (row.written) {
        const WrittenRow& w = written_[row.at];
        return std::string_view(block_).substr(w.at[0], w.at[kFields] - w.at[0]);
    }
    return std::string_view(block_).substr(row.at, row.end - row.at);
}

std::string_view MemoTable::field(std::size_t row, int column) const
{
    const Row& r = rows_.at(row);
    if (!r.written)
        return text::SplitFields(LineOf(r))[static_cast<std::size_t>(column)];
    const WrittenRow& w = written_[r.at];
    const auto start = w.at[static_cast<std::size_t>(column)];
    // Fields before the last end at the TAB after them.
    auto end = w.at[static_cast<std::size_t>(column) + 1];
    if (column < kFields - 1 && end > start)
        --end;
    return std::string_view(block_).substr(start, end - start);
}

VoiceMemo MemoTable::memo(std::size_t row) const
{
    const text::Fields fields = FieldsOf(rows_.at(row));
    return {std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
            std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
}

std::array<std::string_view, MemoTable::kFields> MemoTable::FieldsOf(const Row& row) const
{
    if (!row.written)
        return text::SplitFields(LineOf(row));
    const WrittenRow& w = written_[row.at];
    text::Fields fields;
    for (int i = 0; i < kFields; ++i) {
        const auto start = w.at[static_cast<std::size_t>(i)];
        auto end = w.at[static_cast<std::size_t>(i) + 1];
        if (i < kFields - 1 && end > start)
            --end;
        fields[static_cast<std::size_t>(i)] = std::string_view(block_).substr(start, end - start);
    }
    return fields;
}

std::vector<VoiceMemo> MemoTable::memos() const
{
    std::vector<VoiceMemo> all;
    all.reserve(size());
    for (std::size_t row = 0; row < size(); ++row)
        all.push_back(memo(row));
    return all;
}

MemoTable::Row MemoTable::Write(const VoiceMemo& memo)
{
    if (block_.size() > UINT32_MAX / 2 || written_.size() >= UINT32_MAX)
        throw std::length_error("memo table");
    WrittenRow row{};
    row.writesAsItStands = true;
    const std::string* fields[kFields] = {&memo.Title,        &memo.FilePath, &memo.RecordedDate,
                                          &memo.RecordedTime, &memo.Kind,     &memo.ShownDate};
    for (int i = 0; i < kFields; ++i) {
        row.at[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(block_.size());
        const bool* spaced = i < kFields - 1 ? text::kSpaced.inField : text::kSpaced.inLastField;
        for (char c : *fields[i])
            if (spaced[static_cast<unsigned char>(c)])
                row.writesAsItStands = false;
        block_ += *fields[i];
        if (i < kFields - 1)
            block_ += text::kTab;  // the separator a field's end is read from
    }
    row.at[kFields] = static_cast<std::uint32_t>(block_.size());
    // A row written over another leaves the old entry unused, as it leaves
    // its old bytes in the block.
    written_.push_back(row);
    return {static_cast<std::uint32_t>(written_.size() - 1), 0, 1};
}

void MemoTable::append(const VoiceMemo& memo) { rows_.push_back(Write(memo)); }

void MemoTable::insert(std::size_t row, const std::vector<VoiceMemo>& memos)
{
    std::vector<Row> added;
    added.reserve(memos.size());
    for (const VoiceMemo& memo : memos)
        added.push_back(Write(memo));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row), added.begin(), added.end());
}

void MemoTable::set(std::size_t row, const VoiceMemo& memo) { rows_.at(row) = Write(memo); }

void MemoTable::erase(std::size_t row) { rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row)); }

std::string MemoTable::ToCatalogueText() const
{
    std::size_t bytes = 0;
    for (const Row& row : rows_)
        bytes += LineOf(row).size() + 2 + kFields;
    std::string content;
    content.reserve(bytes);
    for (std::size_t row = 0; row < size(); ++row) {
        const Row& r = rows_[row];
        // A line read with all its fields holds nothing a line may not
        // hold: it is written back as it is, as is a row written whole.
        const std::string_view line = LineOf(r);
        const bool whole = r.written ? written_[r.at].writesAsItStands
                                     : std::count(line.begin(), line.end(), text::kTab) >= kFields - 1;
        if (whole) {
            content.append(line);
            content += "\r\n";
            continue;
        }
        text::AppendLine(content, FieldsOf(r));
        content += "\r\n";
    }
    return content;
}

}  // namespace voicememo
