#include "LoadedMemo.h"

#include <QStringList>
#include <utility>

#include "TextCodec.h"

namespace voicememo {

namespace {

using Field = LoadedMemo::Field;

bool SameField(Field field, const VoiceMemo& a, const VoiceMemo& b)
{
    return field == Field::Title ? a.Title == b.Title : a.Kind == b.Kind && a.ShownDate == b.ShownDate;
}

void CopyField(Field field, const VoiceMemo& from, VoiceMemo& to)
{
    if (field == Field::Title) {
        to.Title = from.Title;
    } else {
        to.Kind = from.Kind;
        to.ShownDate = from.ShownDate;
    }
}

constexpr Field kFields[] = {Field::Title, Field::KindAndDate};

// What the kind and date had become, named as the kind buttons name them;
// the date alone when the kind stayed a date.
std::pair<QString, QString> KindAndDateChange(const VoiceMemo& arrived, const VoiceMemo& committed)
{
    const QString date = Decode(arrived.ShownDate);
    if (arrived.Kind == kKindDaily && committed.Kind == kKindDaily)
        return {QStringLiteral("表示する日付"), date};
    if (arrived.Kind == kKindTodo)
        return {QStringLiteral("種類"), QStringLiteral("TODOボイスメモ")};
    if (arrived.Kind == kKindDaily)
        return {QStringLiteral("種類"), date.isEmpty() ? QStringLiteral("日付指定ボイスメモ")
                                                       : QStringLiteral("%1 の日付指定ボイスメモ").arg(date)};
    return {QStringLiteral("種類"), Decode(arrived.Kind)};
}

}  // namespace

void LoadedMemo::Load(const VoiceMemo& memo, const VoiceMemo& shown)
{
    for (Field field : kFields)
        Reload(field, memo, shown);
}

void LoadedMemo::Reload(Field field, const VoiceMemo& memo, const VoiceMemo& shown)
{
    CopyField(field, memo, taken_);
    CopyField(field, shown, shown_);
}

bool LoadedMemo::Touched(Field field, const VoiceMemo& shown) const { return !SameField(field, shown, shown_); }

bool LoadedMemo::Arrived(Field field, const VoiceMemo& memo) const { return !SameField(field, memo, taken_); }

LoadedMemo::Commit LoadedMemo::Apply(const VoiceMemo& memo, const VoiceMemo& shown) const
{
    Commit commit{memo, {}};
    for (Field field : kFields) {
        if (!Touched(field, shown))
            continue;
        CopyField(field, shown, commit.memo);
        // The list sanitizes a title as it takes it; one typed live into the
        // list is already there and replaces nothing.
        VoiceMemo written = commit.memo;
        written.Title = SanitizeTitle(written.Title);
        if (Arrived(field, memo) && !SameField(field, memo, written))
            commit.replaced.push_back(field);
    }
    return commit;
}

QString ReplacedValuesNotice(const VoiceMemo& arrived, const VoiceMemo& committed,
                             const std::vector<LoadedMemo::Field>& replaced)
{
    QStringList names, values;
    for (Field field : replaced) {
        const auto [name, value] = field == Field::Title ? std::pair(QStringLiteral("タイトル"), Decode(arrived.Title))
                                                         : KindAndDateChange(arrived, committed);
        names << name;
        values << QStringLiteral("「%1」").arg(value);
    }
    return QStringLiteral("ボイスメモ「%1」の%2は別の場所で%3に変えられていましたが、ここで変えた値にしました。")
        .arg(Decode(committed.Title), names.join(QStringLiteral("と")), values.join(QStringLiteral("と")));
}

}  // namespace voicememo
