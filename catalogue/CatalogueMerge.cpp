#include "CatalogueMerge.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <utility>

namespace voicememo {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
// How many rows, of both sides together, a look for the place where two
// sides meet again passes over at most. Beyond it the rest pairs by keys,
// which costs a look-up per row instead of a comparison.
constexpr std::size_t kFarthestMeeting = 64;

bool SameFileAsWritten(const MemoTable& a, std::size_t rowA, const MemoTable& b, std::size_t rowB)
{
    return a.field(rowA, MemoTable::kFilePath) == b.field(rowB, MemoTable::kFilePath);
}

// Which row of a side each base row is, and the other way round. Most rows
// pair in long runs, walking both in step, so a run is kept rather than a
// row: a catalogue taken in costs a few bytes per run, not 32 per row. The
// few rows paired by their keys are kept as pairs.
class Pairing {
public:
    Pairing(std::size_t baseRows, std::size_t sideRows) : baseRows_(baseRows), sideRows_(sideRows), sameLine(baseRows)
    {
    }
    // Pairs in step come in the order of both sides.
    void PairInStep(std::size_t base, std::size_t side)
    {
        if (!runs_.empty() && runs_.back().base + runs_.back().length == base &&
            runs_.back().side + runs_.back().length == side)
            ++runs_.back().length;
        else
            runs_.push_back({Row(base), Row(side), 1});
    }
    // Pairs by key, once the walk is done.
    void PairByKey(std::size_t base, std::size_t side) { byKey_.push_back({Row(base), Row(side)}); }
    // Sorts the pairs by key for the look-ups.
    void Done()
    {
        std::sort(byKey_.begin(), byKey_.end(), [](const KeyPair& a, const KeyPair& b) { return a.base < b.base; });
        bySide_ = byKey_;
        std::sort(bySide_.begin(), bySide_.end(), [](const KeyPair& a, const KeyPair& b) { return a.side < b.side; });
    }
    std::size_t SideOfBase(std::size_t base) const { return Find(base, &Run::base, &Run::side, byKey_, true); }
    std::size_t BaseOfSide(std::size_t side) const { return Find(side, &Run::side, &Run::base, bySide_, false); }
    // The rows of either without a partner, in order.
    std::vector<std::size_t> UnpairedBase() const { return Unpaired(baseRows_, true); }
    std::vector<std::size_t> UnpairedSide() const { return Unpaired(sideRows_, false); }

    bool Unchanged(const MemoTable& base, std::size_t b, const MemoTable& side, std::size_t s) const
    {
        return sameLine[b] || base.SameMemo(b, side, s);
    }

private:
    // A memo table's rows fit in 31 bits, as its offsets do.
    using Row = std::uint32_t;
    struct Run {
        Row base, side, length;
    };
    struct KeyPair {
        Row base, side;
    };

    std::size_t Find(std::size_t row, Row Run::*from, Row Run::*to, const std::vector<KeyPair>& pairs,
                     bool fromBase) const
    {
        // Runs are in the order of both sides.
        auto run = std::upper_bound(runs_.begin(), runs_.end(), row,
                                    [from](std::size_t r, const Run& x) { return r < x.*from; });
        if (run != runs_.begin()) {
            const Run& before = *(run - 1);
            if (row < before.*from + before.length)
                return before.*to + (row - before.*from);
        }
        auto pair = std::lower_bound(pairs.begin(), pairs.end(), row, [fromBase](const KeyPair& p, std::size_t r) {
            return (fromBase ? p.base : p.side) < r;
        });
        if (pair != pairs.end() && (fromBase ? pair->base : pair->side) == row)
            return fromBase ? pair->side : pair->base;
        return kNone;
    }

    std::vector<std::size_t> Unpaired(std::size_t rows, bool ofBase) const
    {
        std::vector<std::size_t> unpaired;
        auto run = runs_.begin();
        for (std::size_t row = 0; row < rows; ++row) {
            while (run != runs_.end() && (ofBase ? run->base : run->side) + run->length <= row)
                ++run;
            if (run != runs_.end() && (ofBase ? run->base : run->side) <= row) {
                row = (ofBase ? run->base : run->side) + run->length - 1;  // past the run
                continue;
            }
            if (Find(row, ofBase ? &Run::base : &Run::side, ofBase ? &Run::side : &Run::base, ofBase ? byKey_ : bySide_,
                     ofBase) == kNone)
                unpaired.push_back(row);
        }
        return unpaired;
    }

    std::size_t baseRows_, sideRows_;
    std::vector<Run> runs_;
    std::vector<KeyPair> byKey_;   // in the base's order
    std::vector<KeyPair> bySide_;  // the same, in the side's order

public:
    // A base row whose side's row is the very same line, as the walk in
    // step found it: unchanged, and written as the base's line.
    std::vector<bool> sameLine;
};

// The rows each side skips to the nearest place after rowA and rowB where
// both name the same file again; nothing when none is near.
std::optional<std::pair<std::size_t, std::size_t>> NextMeeting(const MemoTable& a, std::size_t rowA, const MemoTable& b,
                                                               std::size_t rowB)
{
    for (std::size_t skipped = 1; skipped <= kFarthestMeeting; ++skipped) {
        for (std::size_t skipA = 0; skipA <= skipped; ++skipA) {
            const std::size_t skipB = skipped - skipA;
            if (rowA + skipA < a.size() && rowB + skipB < b.size() &&
                SameFileAsWritten(a, rowA + skipA, b, rowB + skipB))
                return std::pair(skipA, skipB);
        }
    }
    return std::nullopt;
}

// Pairs the k-th of the rows of a with a file's key with the k-th of the
// rows of b with that key, each list in its table's order.
template <typename Pair>
void PairByKey(const MemoTable& a, const std::vector<std::size_t>& rowsA, const MemoTable& b,
               const std::vector<std::size_t>& rowsB, const FileKey& keyOf, Pair pair)
{
    if (rowsA.empty() || rowsB.empty())
        return;
    struct Waiting {
        std::vector<std::size_t> rows;
        std::size_t next = 0;
    };
    std::unordered_map<std::string, Waiting> waiting;
    waiting.reserve(rowsA.size());
    for (std::size_t row : rowsA)
        waiting[keyOf(a.field(row, MemoTable::kFilePath))].rows.push_back(row);
    for (std::size_t row : rowsB) {
        auto found = waiting.find(keyOf(b.field(row, MemoTable::kFilePath)));
        if (found != waiting.end() && found->second.next < found->second.rows.size())
            pair(found->second.rows[found->second.next++], row);
    }
}

// Walks both in step, pairing the rows that name the same file as written
// (a memo changed in place stays paired); past rows added or removed it
// looks for the nearest place where they meet again. What is left pairs by
// keys: a memo moved, or named in other letters.
Pairing PairWithBase(const MemoTable& base, const MemoTable& side, const FileKey& keyOf)
{
    Pairing pairing(base.size(), side.size());
    std::size_t b = 0, s = 0;
    while (b < base.size() && s < side.size()) {
        if (base.SameLine(b, side, s)) {
            pairing.sameLine[b] = true;
            pairing.PairInStep(b++, s++);
            continue;
        }
        if (SameFileAsWritten(base, b, side, s)) {
            pairing.PairInStep(b++, s++);
            continue;
        }
        const auto meeting = NextMeeting(base, b, side, s);
        if (!meeting)
            break;
        b += meeting->first;
        s += meeting->second;
    }
    PairByKey(base, pairing.UnpairedBase(), side, pairing.UnpairedSide(), keyOf,
              [&pairing](std::size_t inBase, std::size_t inSide) { pairing.PairByKey(inBase, inSide); });
    pairing.Done();
    return pairing;
}

// The merged catalogue, line by line, and where ours' rows went.
class MergedLines {
public:
    MergedLines(std::size_t oursRows, std::size_t rows, std::size_t bytes) : rowOfOurs(oursRows), lines(rows, bytes) {}

    void Add(const MemoTable& from, std::size_t row, std::size_t oursRow)
    {
        lines.Append(from, row);
        Placed(oursRow);
    }
    void Add(const MemoTable::Fields& fields, std::size_t oursRow)
    {
        lines.Append(fields);
        Placed(oursRow);
    }
    void Lost(int column, std::string_view value)
    {
        lost.push_back({static_cast<std::size_t>(rows_), column, std::string(value)});
    }

    RowMap rowOfOurs;
    MemoTable::Builder lines;
    std::vector<LostValue> lost;

private:
    void Placed(std::size_t oursRow)
    {
        if (oursRow != kNone)
            rowOfOurs.Add(oursRow, static_cast<std::size_t>(rows_));
        ++rows_;
    }
    std::ptrdiff_t rows_ = 0;
};

// A memo both sides hold: each field from the side that changed it; where
// both did, the window's, or the file's by the rules, the other's value
// being lost.
void AddBothKept(MergedLines& merged, const MemoTable& base, std::size_t b, const Pairing& withOurs,
                 const MemoTable& ours, std::size_t o, const Pairing& withTheirs, const MemoTable& theirs,
                 std::size_t t, const MergeRules& rules)
{
    const bool oursUnchanged = withOurs.Unchanged(base, b, ours, o);
    if (oursUnchanged && withTheirs.sameLine[b]) {
        merged.Add(base, b, o);
    } else if (oursUnchanged) {
        merged.Add(theirs, t, o);
    } else if (withTheirs.Unchanged(base, b, theirs, t)) {
        merged.Add(ours, o, o);
    } else {
        const MemoTable::Fields was = base.fields(b), mine = ours.fields(o), other = theirs.fields(t);
        MemoTable::Fields fields;
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const bool bothChanged = mine[f] != was[f] && other[f] != was[f] && mine[f] != other[f];
            fields[f] = mine[f] == was[f] || (bothChanged && rules.theirsWinsBoth) ? other[f] : mine[f];
            if (bothChanged)
                merged.Lost(static_cast<int>(f), rules.theirsWinsBoth ? mine[f] : other[f]);
        }
        merged.Add(fields, o);
    }
}

}  // namespace

MergedCatalogue MergeCatalogues(const MemoTable& base, const MemoTable& ours, const MemoTable& theirs,
                                const FileKey& keyOf, MergeRules rules)
{
    const Pairing withTheirs = PairWithBase(base, theirs, keyOf);
    const Pairing withOurs = PairWithBase(base, ours, keyOf);
    // A file both sides added is one memo: pairs of ours and theirs, in
    // theirs' order, as they are found.
    std::vector<std::pair<std::size_t, std::size_t>> addedByBoth;
    PairByKey(ours, withOurs.UnpairedSide(), theirs, withTheirs.UnpairedSide(), keyOf,
              [&](std::size_t o, std::size_t t) { addedByBoth.emplace_back(t, o); });
    const auto oursOfTheirs = [&addedByBoth](std::size_t t) {
        auto found = std::lower_bound(addedByBoth.begin(), addedByBoth.end(), std::pair(t, std::size_t{0}));
        return found != addedByBoth.end() && found->first == t ? found->second : kNone;
    };
    std::vector<bool> oursAddedByBoth(ours.size());
    for (const auto& both : addedByBoth)
        oursAddedByBoth[both.second] = true;

    // Room for the file's lines and a few of ours: a guess beyond what a
    // take-in adds would cost its bytes in every merge of a large file.
    MergedLines merged(ours.size(), theirs.size() + ours.size() / 16, theirs.text().size() + ours.text().size() / 16);
    for (std::size_t t = 0; t < theirs.size(); ++t) {
        const std::size_t b = withTheirs.BaseOfSide(t);
        if (b == kNone) {
            const std::size_t o = oursOfTheirs(t);
            if (o != kNone && rules.theirsWinsBoth)
                merged.Add(theirs, t, o);
            else if (o != kNone)
                merged.Add(ours, o, o);
            else
                merged.Add(theirs, t, kNone);
        } else if (const std::size_t o = withOurs.SideOfBase(b); o != kNone) {
            AddBothKept(merged, base, b, withOurs, ours, o, withTheirs, theirs, t, rules);
        } else if (rules.keepRemoved || !withTheirs.Unchanged(base, b, theirs, t)) {
            merged.Add(theirs, t, kNone);  // removed by us, but changed by them
        }
    }
    // Ours that the file does not hold: added by us, or removed by them
    // but changed by us.
    for (std::size_t o = 0; o < ours.size(); ++o) {
        const std::size_t b = withOurs.BaseOfSide(o);
        const bool keep = b == kNone ? !oursAddedByBoth[o]
                                     : withTheirs.SideOfBase(b) == kNone &&
                                           (rules.keepRemoved || !withOurs.Unchanged(base, b, ours, o));
        if (keep)
            merged.Add(ours, o, o);
    }

    MergedCatalogue result;
    result.memos = std::move(merged.lines).Build();
    result.rowOfOurs = std::move(merged.rowOfOurs);
    result.lost = std::move(merged.lost);
    result.sameAsOurs = result.memos == ours;
    result.sameAsTheirs = result.memos == theirs;
    return result;
}

MergedCatalogue TakenAsItStands(const MemoTable& ours, MemoTable theirs, const FileKey& keyOf)
{
    // Each row of ours goes where the base's row went in theirs; the rows
    // theirs removed go, as a merge drops a row only they changed.
    const Pairing withTheirs = PairWithBase(ours, theirs, keyOf);
    MergedCatalogue result;
    result.rowOfOurs = RowMap(ours.size());
    for (std::size_t o = 0; o < ours.size(); ++o)
        if (const std::size_t t = withTheirs.SideOfBase(o); t != kNone)
            result.rowOfOurs.Add(o, t);
    result.sameAsOurs = theirs == ours;
    result.sameAsTheirs = true;
    result.memos = std::move(theirs);
    return result;
}

}  // namespace voicememo
