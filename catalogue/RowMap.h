#pragma once
// Where each row of a list went in another: rows that keep their order
// together are kept as one run, so a catalogue of millions of lines taken
// in costs a few bytes per run rather than 8 per row.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace voicememo {

class RowMap {
public:
    RowMap() = default;
    // For rows 0 to rows - 1, each -1 (gone) until Add says otherwise.
    explicit RowMap(std::size_t rows) : rows_(rows) {}

    // Row from goes to row to; rows are added in any order, each once.
    void Add(std::size_t from, std::size_t to)
    {
        if (!runs_.empty()) {
            Run& last = runs_.back();
            if (last.from + last.length == from && last.to + last.length == to) {
                ++last.length;
                return;
            }
            sorted_ = sorted_ && last.from < from;
        }
        runs_.push_back({static_cast<Row>(from), static_cast<Row>(to), 1});
    }

    std::size_t size() const { return rows_; }
    // Where the row went; -1 when it is gone.
    std::ptrdiff_t operator[](std::size_t row) const
    {
        Sort();
        auto run =
            std::upper_bound(runs_.begin(), runs_.end(), row, [](std::size_t r, const Run& x) { return r < x.from; });
        if (run == runs_.begin())
            return -1;
        --run;
        return row < run->from + run->length ? static_cast<std::ptrdiff_t>(run->to + (row - run->from)) : -1;
    }

    bool operator==(const RowMap& other) const
    {
        if (rows_ != other.rows_)
            return false;
        for (std::size_t row = 0; row < rows_; ++row)
            if ((*this)[row] != other[row])
                return false;
        return true;
    }
    bool operator==(const std::vector<std::ptrdiff_t>& rows) const
    {
        if (rows_ != rows.size())
            return false;
        for (std::size_t row = 0; row < rows_; ++row)
            if ((*this)[row] != rows[row])
                return false;
        return true;
    }

private:
    // A memo table's rows fit in 31 bits, as its offsets do.
    using Row = std::uint32_t;
    struct Run {
        Row from, to, length;
    };
    void Sort() const
    {
        if (sorted_)
            return;
        std::sort(runs_.begin(), runs_.end(), [](const Run& a, const Run& b) { return a.from < b.from; });
        sorted_ = true;
    }

    std::size_t rows_ = 0;
    mutable std::vector<Run> runs_;
    mutable bool sorted_ = true;
};

}  // namespace voicememo
