#include "CatalogueMerge.h"

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

// Which row of a side each base row is, and the other way round.
struct Pairing {
    Pairing(std::size_t baseRows, std::size_t sideRows)
        : sideOfBase(baseRows, kNone),
          baseOfSide(sideRows, kNone),
          sameLine(baseRows)
    {
    }
    void Pair(std::size_t base, std::size_t side)
    {
        sideOfBase[base] = side;
        baseOfSide[side] = base;
    }
    bool Unchanged(const MemoTable& base, std::size_t b, const MemoTable& side, std::size_t s) const
    {
        return sameLine[b] || base.SameMemo(b, side, s);
    }

    std::vector<std::size_t> sideOfBase;
    std::vector<std::size_t> baseOfSide;
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

std::vector<std::size_t> Unpaired(const std::vector<std::size_t>& partners)
{
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < partners.size(); ++row)
        if (partners[row] == kNone)
            rows.push_back(row);
    return rows;
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
            pairing.Pair(b++, s++);
            continue;
        }
        if (SameFileAsWritten(base, b, side, s)) {
            pairing.Pair(b++, s++);
            continue;
        }
        const auto meeting = NextMeeting(base, b, side, s);
        if (!meeting)
            break;
        b += meeting->first;
        s += meeting->second;
    }
    PairByKey(base, Unpaired(pairing.sideOfBase), side, Unpaired(pairing.baseOfSide), keyOf,
              [&pairing](std::size_t inBase, std::size_t inSide) { pairing.Pair(inBase, inSide); });
    return pairing;
}

// The merged catalogue, line by line, and where ours' rows went.
class MergedLines {
public:
    MergedLines(std::size_t oursRows, std::size_t rows, std::size_t bytes) : rowOfOurs(oursRows, -1), lines(rows, bytes)
    {
    }

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

    std::vector<std::ptrdiff_t> rowOfOurs;
    MemoTable::Builder lines;
    std::vector<LostValue> lost;

private:
    void Placed(std::size_t oursRow)
    {
        if (oursRow != kNone)
            rowOfOurs[oursRow] = rows_;
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
    // A file both sides added is one memo.
    std::vector<std::size_t> oursOfTheirs(theirs.size(), kNone);
    std::vector<bool> addedByBoth(ours.size());
    PairByKey(ours, Unpaired(withOurs.baseOfSide), theirs, Unpaired(withTheirs.baseOfSide), keyOf,
              [&](std::size_t o, std::size_t t) {
                  oursOfTheirs[t] = o;
                  addedByBoth[o] = true;
              });

    MergedLines merged(ours.size(), theirs.size() + ours.size() / 16, theirs.text().size() + ours.size() * 8);
    for (std::size_t t = 0; t < theirs.size(); ++t) {
        const std::size_t b = withTheirs.baseOfSide[t];
        if (b == kNone) {
            const std::size_t o = oursOfTheirs[t];
            if (o != kNone && rules.theirsWinsBoth)
                merged.Add(theirs, t, o);
            else if (o != kNone)
                merged.Add(ours, o, o);
            else
                merged.Add(theirs, t, kNone);
        } else if (const std::size_t o = withOurs.sideOfBase[b]; o != kNone) {
            AddBothKept(merged, base, b, withOurs, ours, o, withTheirs, theirs, t, rules);
        } else if (rules.keepRemoved || !withTheirs.Unchanged(base, b, theirs, t)) {
            merged.Add(theirs, t, kNone);  // removed by us, but changed by them
        }
    }
    // Ours that the file does not hold: added by us, or removed by them
    // but changed by us.
    for (std::size_t o = 0; o < ours.size(); ++o) {
        const std::size_t b = withOurs.baseOfSide[o];
        const bool keep = b == kNone ? !addedByBoth[o]
                                     : withTheirs.sideOfBase[b] == kNone &&
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

}  // namespace voicememo
