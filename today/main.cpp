// voicememo-today: prints the memos shown on a day, one line each (the
// title, a TAB and the voice file's path, in UTF-8), sends them as a desktop
// notification, or writes the catalogue as a calendar feed. It only reads
// the catalogue, so it is safe beside an open dialog.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include "CalendarFeed.h"
#include "CatalogueFile.h"
#include "Codepage.h"
#include "DayNotification.h"
#include "DaySelection.h"
#include "DiskPaths.h"
#include "Error.h"
#include "LocalTime.h"
#include "PosixFileSystem.h"
#include "ProgramFolder.h"
#include "ProgramLauncher.h"
#include "PulseSoundPlayer.h"
#include "VoiceFiles.h"

using namespace voicememo;

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

// Each description starts at the same column of a terminal, where a
// full-width character takes two.
const char* const kUsage =
    "使い方: voicememo-today [--date YYYY-MM-DD] [--folder フォルダー] [--notify] [--ics ファイル] [--feed-on]\n"
    "  その日のボイスメモを一行に一件ずつ表示します (タイトル、タブ、ボイスファイルのパス)。\n"
    "  --date YYYY-MM-DD    今日ではなく指定した日のメモを表示します\n"
    "  --folder フォルダー  プログラムと同じフォルダーではなく、指定したフォルダーの Voice.dat を読みます\n"
    "  --notify             表示の代わりにデスクトップ通知を一件送ります (メモがなければ送りません)\n"
    "  --ics ファイル       表示の代わりにすべてのメモを iCalendar ファイルに書き出します\n"
    "                       (既にあるファイルはボイスメモが書き出したものだけ上書きします)\n"
    "  --feed-on            表示の代わりに Voice.dat の隣に Voice.ics を書き出し、ボイスメモの\n"
    "                       保存のたびに書き出されるようにします (sorvane.ini の [Voice] CalendarFeed=1)\n";

// The dialog "開く" starts.
const QString kDialogProgram = QStringLiteral("voicememo");
// The program's icon, staged beside it; the launcher's icon name where it
// is not there.
const QString kIconFile = QStringLiteral("voicememo.png");
const QString kIconName = QStringLiteral("voicememo");

struct Options {
    std::optional<CalendarDay> date;
    QString folder;
    QString feed;
    bool notify = false;
    bool feedOn = false;
};

// A path that the file system's code page cannot name (UTF-8).
struct UnnamablePath {
    std::string path;
};

void PrintError(const std::string& utf8) { std::fprintf(stderr, "voicememo-today: %s\n", utf8.c_str()); }

// What the reads met that the user is to know of (a rollback journal that
// does not fit its file), each once.
void PrintNotices(FileSystem& files)
{
    for (const std::string& notice : files.TakeNotices())
        PrintError(Cp932ToUtf8(notice));
}

// The options, or nothing after the reason has been printed.
std::optional<Options> ParseOptions(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 < arguments.size())
                return arguments[++i];
            PrintError(argument.toStdString() + " には値が必要です");
            return std::nullopt;
        };
        if (argument == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (argument == QLatin1String("--date")) {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.date = ParseIsoDay(text->toStdString());
            if (!options.date) {
                PrintError("日付 " + text->toStdString() +
                           " が正しくありません。実在する日付を YYYY-MM-DD の形式で指定してください。");
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--folder")) {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.folder = *text;
        } else if (argument == QLatin1String("--notify")) {
            options.notify = true;
        } else if (argument == QLatin1String("--feed-on")) {
            options.feedOn = true;
        } else if (argument == QLatin1String("--ics")) {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.feed = *text;
        } else {
            PrintError("不明なオプションです: " + argument.toStdString());
            return std::nullopt;
        }
    }
    return options;
}

// A path given on the command line, made absolute, as the code page 932
// text the file system takes.
std::string Cp932PathOf(const QString& path, const char* suffix = "")
{
    std::string disk = QFileInfo(path).absoluteFilePath().toStdString();
    while (std::string_view(suffix) == "/" && disk.ends_with('/'))
        disk.pop_back();  // a folder given with its "/" takes no second one
    const auto converted = Utf8ToCp932Exact(disk + suffix);
    if (!converted)
        throw UnnamablePath{disk};
    return *converted;
}

// A path as the user sees it in a terminal: a TAB, CR or LF written \t, \r,
// \n, as the window writes them.
std::string ShownPath(const std::string& path)
{
    std::string shown;
    for (const char c : path) {
        if (c == '\t')
            shown += "\\t";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\n')
            shown += "\\n";
        else
            shown += c;
    }
    return shown;
}

void PrintUnnamable(const std::string& path) { PrintError(ShownPath(path) + " の名前はボイスメモでは使えません"); }

// The catalogue's folder with a trailing "/".
std::string CatalogueFolder(const QString& folder) { return folder.isEmpty() ? ExeDir() : Cp932PathOf(folder, "/"); }

QString ProgramIcon()
{
    const QFileInfo icon(QCoreApplication::applicationDirPath() + u'/' + kIconFile);
    return icon.isFile() ? icon.absoluteFilePath() : kIconName;
}

// Sends the notification and does what the user picked in it. It is given
// up when the day ends: a reminder for a day gone is of no use.
bool Notify(const std::vector<VoiceMemo>& memos, const std::string& folder, const QDate& day)
{
    if (memos.empty())
        return true;
    DayNotice notice{DayName(day, QDate::currentDate()), {}, ProgramIcon()};
    for (const VoiceMemo& memo : memos)
        notice.titles << QString::fromStdString(Cp932ToUtf8(memo.Title));
    const NotificationResult result = DayNotification(QDate::currentDate().addDays(1).startOfDay()).Send(notice);
    if (!result.sent) {
        PrintError(result.error.toStdString());
        return false;
    }
    if (result.action == ChosenAction::Play) {
        PulseSoundPlayer player;
        for (const VoiceMemo& memo : memos)
            player.PlayToEnd(VoiceDiskPath(memo, folder), [] {});
    } else if (result.action == ChosenAction::Open) {
        // The dialog beside the catalogue, which reads that catalogue.
        const std::string diskFolder = ResolveDiskPath(folder).value_or(Cp932ToUtf8(folder));
        if (!StartCompanionProgram(diskFolder, kDialogProgram, {})) {
            PrintError("ボイスメモ (" + kDialogProgram.toStdString() + ") を起動できません");
            return false;
        }
    }
    return true;
}

CalendarDay Today()
{
    const LocalDateTime now = SystemClock().Now();
    return {now.year, now.month, now.day};
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const auto options = ParseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fputs(kUsage, stderr);
        return kUsageError;
    }
    ReadOnlyPosixFileSystem files;
    try {
        const std::string folder = CatalogueFolder(options->folder);
        const std::vector<VoiceMemo> memos = CatalogueFile(files, folder).LoadTable().memos();
        PrintNotices(files);
        if (!options->feed.isEmpty())
            WriteCalendarFeed(files, Cp932PathOf(options->feed), memos, folder);
        if (options->feedOn)
            SwitchCalendarFeedOn(files, folder, memos);
        PrintNotices(files);
        const CalendarDay day = options->date.value_or(Today());
        const std::vector<VoiceMemo> shown = MemosShownOn(memos, day);
        if (options->notify)
            return Notify(shown, folder, QDate(day.year, day.month, day.day)) ? 0 : kFailed;
        if (options->feed.isEmpty() && !options->feedOn)
            for (const VoiceMemo& memo : shown)
                std::printf("%s\t%s\n", Cp932ToUtf8(memo.Title).c_str(), VoiceDiskPath(memo, folder).c_str());
    } catch (const Error& error) {
        PrintNotices(files);
        PrintError(Cp932ToUtf8(error.message()));
        return kFailed;
    } catch (const UnnamablePath& path) {
        PrintUnnamable(path.path);
        return kFailed;
    } catch (const UnusableFolder& exeFolder) {
        PrintUnnamable(exeFolder.folder());
        return kFailed;
    }
    return 0;
}
