#include "MemoTable.h"

#include <cstring>
#include <stdexcept>

#include "CatalogueText.h"

namespace voicememo {

namespace text = catalogue_text;

namespace {

// Offsets into a text or a block are 31 bits wide.
void CheckRoom(std::size_t bytes)
{
    if (bytes > UINT32_MAX / 2)
        throw std::length_error("memo table");
}

}  // namespace

MemoTable MemoTable::FromCatalogueText(std::string content)
{
    return FromCatalogueText(std::make_shared<const std::string>(std::move(content)));
}

MemoTable MemoTable::FromCatalogueText(std::shared_ptr<const std::string> content)
{
    MemoTable table;
    table.text_ = std::move(content);
    table.pristine_ = true;
    std::string_view whole = *table.text_;
    // The lines counted first, so the rows take what they need and no more:
    // a vector grown by doubling held up to twice that, and three times
    // while it moved (a catalogue of blank lines is mostly rows).
    std::size_t lines = 0;
    ForEachLine(whole, [&lines](std::string_view) { ++lines; });
    table.rows_.reserve(lines);
    const char* const base = whole.data();
    // A line's fields are found when they are asked for, so a load costs
    // little more than finding the lines.
    CheckRoom(whole.size());
    ForEachLine(whole, [&](std::string_view line) {
        Row row{};
        row.at = static_cast<std::uint32_t>(line.data() - base);
        row.end = static_cast<std::uint32_t>(line.data() + line.size() - base);
        table.rows_.push_back(row);
    });
    return table;
}

MemoTable::MemoTable(const std::vector<VoiceMemo>& memos) { insert(0, memos); }

const std::string& MemoTable::text() const
{
    static const std::string none;
    return text_ ? *text_ : none;
}

std::string_view MemoTable::LineOf(const Row& row) const
{
    // Rows stand within their text or block, as they were made.
    if (row.written) {
        const WrittenRow& w = written_[row.at];
        return {block_.data() + w.at[0], w.at[kFields] - w.at[0]};
    }
    return {text_->data() + row.at, row.end - row.at};
}

std::string_view MemoTable::field(std::size_t row, int column) const
{
    const Row& r = rows_.at(row);
    const auto at = static_cast<std::size_t>(column);
    if (!r.written) {
        // Split only as far as the field asked for: the merge asks every
        // line for its voice file.
        std::string_view rest = LineOf(r);
        for (int i = 0; i < column; ++i)
            text::TakeField(rest);
        return column == kFields - 1 ? rest : text::TakeField(rest);
    }
    const WrittenRow& w = written_[r.at];
    const auto start = w.at[at];
    // Fields before the last end at the TAB after them.
    auto end = w.at[at + 1];
    if (column < kFields - 1 && end > start)
        --end;
    return std::string_view(block_).substr(start, end - start);
}

MemoTable::Fields MemoTable::fields(std::size_t row) const { return FieldsOf(rows_.at(row)); }

VoiceMemo MemoTable::memo(std::size_t row) const
{
    const Fields fields = FieldsOf(rows_.at(row));
    return {std::string(fields[0]), std::string(fields[1]), std::string(fields[2]),
            std::string(fields[3]), std::string(fields[4]), std::string(fields[5])};
}

bool MemoTable::ReadsAsItStands(const Row& row) const { return !row.written || written_[row.at].writesAsItStands; }

MemoTable::Fields MemoTable::FieldsOf(const Row& row) const
{
    if (!row.written)
        return text::SplitFields(LineOf(row));
    const WrittenRow& w = written_[row.at];
    Fields fields;
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

bool MemoTable::SameLine(std::size_t row, const MemoTable& other, std::size_t otherRow) const
{
    const Row& mine = rows_.at(row);
    const Row& theirs = other.rows_.at(otherRow);
    // A line of one text shared by both is the same without a look at it.
    if (!mine.written && !theirs.written && text_ == other.text_ && mine.at == theirs.at && mine.end == theirs.end)
        return true;
    return ReadsAsItStands(mine) && other.ReadsAsItStands(theirs) && LineOf(mine) == other.LineOf(theirs);
}

bool MemoTable::SameMemo(std::size_t row, const MemoTable& other, std::size_t otherRow) const
{
    return SameLine(row, other, otherRow) || FieldsOf(rows_.at(row)) == other.FieldsOf(other.rows_.at(otherRow));
}

bool MemoTable::operator==(const MemoTable& other) const
{
    if (size() != other.size())
        return false;
    for (std::size_t row = 0; row < size(); ++row)
        if (!SameMemo(row, other, row))
            return false;
    return true;
}

MemoTable::Row MemoTable::Write(const VoiceMemo& memo)
{
    CheckRoom(block_.size());
    if (written_.size() >= UINT32_MAX)
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

void MemoTable::append(const VoiceMemo& memo)
{
    pristine_ = false;
    rows_.push_back(Write(memo));
}

void MemoTable::insert(std::size_t row, const std::vector<VoiceMemo>& memos)
{
    pristine_ = false;
    std::vector<Row> added;
    added.reserve(memos.size());
    for (const VoiceMemo& memo : memos)
        added.push_back(Write(memo));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row), added.begin(), added.end());
}

void MemoTable::set(std::size_t row, const VoiceMemo& memo)
{
    pristine_ = false;
    rows_.at(row) = Write(memo);
}

void MemoTable::erase(std::size_t row)
{
    pristine_ = false;
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
}

namespace {

// Whether a line read holds all its fields: at least five TABs.
bool HoldsEveryField(std::string_view line)
{
    const char* at = line.data();
    const char* const end = at + line.size();
    for (int tab = 0; tab < MemoTable::kFields - 1; ++tab) {
        const void* found = std::memchr(at, text::kTab, static_cast<std::size_t>(end - at));
        if (!found)
            return false;
        at = static_cast<const char*>(found) + 1;
    }
    return true;
}

}  // namespace

void MemoTable::Builder::Append(const MemoTable& from, std::size_t row)
{
    const Row& r = from.rows_.at(row);
    if (!r.written && from.whole_) {
        // Its line ends in CR LF, as every line a Builder writes.
        if (run_ != from.text_.get() || r.at != runEnd_) {
            CopyRun();
            run_ = from.text_.get();
            runStart_ = runEnd_ = r.at;
            runTo_ = text_.size();
        }
        runEnd_ = r.end + 2;
        CheckRoom(runTo_ + (runEnd_ - runStart_));
        Row line{};
        line.at = static_cast<std::uint32_t>(runTo_ + (r.at - runStart_));
        line.end = static_cast<std::uint32_t>(runTo_ + (r.end - runStart_));
        rows_.push_back(line);
        return;
    }
    CopyRun();
    const std::size_t start = text_.size();
    // A line read with all its fields holds nothing a line may not hold:
    // it is written back as it is, as is a row written whole.
    const std::string_view line = from.LineOf(r);
    if (r.written ? from.written_[r.at].writesAsItStands : HoldsEveryField(line))
        text_.append(line.data(), line.size());
    else
        text::AppendLine(text_, from.FieldsOf(r));
    EndLine(start);
}

void MemoTable::Builder::Append(const Fields& fields)
{
    CopyRun();
    const std::size_t start = text_.size();
    text::AppendLine(text_, fields);
    EndLine(start);
}

void MemoTable::Builder::EndLine(std::size_t start)
{
    text_.append("\r\n", 2);
    CheckRoom(text_.size());
    Row line{};
    line.at = static_cast<std::uint32_t>(start);
    line.end = static_cast<std::uint32_t>(text_.size() - 2);
    rows_.push_back(line);
}

void MemoTable::Builder::CopyRun()
{
    if (run_)
        text_.append(*run_, runStart_, runEnd_ - runStart_);
    run_ = nullptr;
}

MemoTable MemoTable::Builder::Build() &&
{
    CopyRun();
    MemoTable table;
    table.text_ = std::make_shared<const std::string>(std::move(text_));
    table.rows_ = std::move(rows_);
    table.whole_ = true;
    return table;
}

MemoTable MemoTable::Written() const
{
    std::size_t bytes = 0;
    for (const Row& row : rows_)
        bytes += LineOf(row).size() + 2 + kFields;
    Builder built(size(), bytes);
    for (std::size_t row = 0; row < size(); ++row)
        built.Append(*this, row);
    return std::move(built).Build();
}

std::string MemoTable::ToCatalogueText() const { return Written().text(); }

}  // namespace voicememo
