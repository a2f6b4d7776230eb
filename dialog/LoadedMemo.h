#pragma once
// The memo under the editing controls as they took it: which of its fields
// the user has changed since, and which another writer (a second machine
// through a sync tool) changed in the list meanwhile. A field the user left
// alone is never written back, so a click or a save does not undo what the
// other writer did; a field the user changed wins, and what it replaced is
// told.
#include <QString>
#include <vector>

#include "VoiceMemo.h"

namespace voicememo {

class LoadedMemo {
public:
    // What the controls edit: the title, and the kind together with its
    // date, which the user picks as one.
    enum class Field { Title, KindAndDate };

    // The controls took `memo` and show it as `shown` (in their own way:
    // "2001/03/05" as 2001/3/5, an unknown kind as the buttons stood).
    // Only Title, Kind and ShownDate are looked at.
    void Load(const VoiceMemo& memo, const VoiceMemo& shown);
    // The field alone taken anew.
    void Reload(Field field, const VoiceMemo& memo, const VoiceMemo& shown);

    // The controls show something else than they took; typing a title
    // back to what it was is no change.
    bool Touched(Field field, const VoiceMemo& shown) const;
    // The list's memo holds something else than the controls took.
    bool Arrived(Field field, const VoiceMemo& memo) const;

    struct Commit {
        VoiceMemo memo;               // with the touched fields from the controls
        std::vector<Field> replaced;  // what arrived meanwhile, now written over
    };
    Commit Apply(const VoiceMemo& memo, const VoiceMemo& shown) const;

private:
    VoiceMemo taken_;  // as the list held it
    VoiceMemo shown_;  // as the controls showed it
};

// One line that tells what a commit wrote over: the memo by its title in the
// list, and the values the other writer had given it, so that the user can
// put them back.
QString ReplacedValuesNotice(const VoiceMemo& arrived, const VoiceMemo& committed,
                             const std::vector<LoadedMemo::Field>& replaced);

}  // namespace voicememo
