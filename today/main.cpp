// voicememo-today: prints the memos shown on a day, one line each (the
// title, a TAB and the voice file's path, in UTF-8), or writes the
// catalogue as a calendar feed. It only reads the catalogue, so it is safe
// beside an open dialog.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>

#include "CalendarFeed.h"
#include "CatalogueFile.h"
#include "Codepage.h"
#include "DaySelection.h"
#include "Error.h"
#include "PosixFileSystem.h"
#include "SystemServices.h"
#include "VoiceFiles.h"

using namespace voicememo;

namespace {

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

const char* const kUsage =
    "使い方: voicememo-today [--date YYYY-MM-DD] [--folder フォルダ] [--ics ファイル]\n"
    "  その日のボイスメモを一行に一件ずつ表示します (タイトル、タブ、ボイスファイルのパス)。\n"
    "  --date YYYY-MM-DD  今日の代わりにその日のメモを表示します\n"
    "  --folder フォルダ   プログラムの隣の代わりにそのフォルダの Voice.dat を読みます\n"
    "  --ics ファイル      すべてのメモを iCalendar ファイルに書き出します (表示はしません)\n";

struct Options {
    std::optional<CalendarDay> date;
    QString folder;
    QString feed;
};

void PrintError(const std::string& utf8)
{
    std::fprintf(stderr, "voicememo-today: %s\n", utf8.c_str());
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
                PrintError("日付 " + text->toStdString() + " は YYYY-MM-DD の形の実在する日ではありません");
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--folder")) {
            const auto text = value();
            if (!text)
                return std::nullopt;
            options.folder = *text;
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
    const std::string disk = QFileInfo(path).absoluteFilePath().toStdString() + suffix;
    const auto converted = Utf8ToCp932Exact(disk);
    if (!converted)
        throw Error(Utf8ToCp932(disk + " の名前はボイスメモでは使えません"));
    return *converted;
}

// The catalogue's folder with a trailing "/".
std::string CatalogueFolder(const QString& folder)
{
    return folder.isEmpty() ? ExeDir() : Cp932PathOf(folder, "/");
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
    try {
        const std::string folder = CatalogueFolder(options->folder);
        ReadOnlyPosixFileSystem files;
        const std::vector<VoiceMemo> memos = CatalogueFile(files, folder).Load();
        if (!options->feed.isEmpty()) {
            WriteCalendarFeed(files, Cp932PathOf(options->feed), memos, folder);
            return 0;
        }
        const CalendarDay day = options->date.value_or(Today());
        for (const VoiceMemo& memo : MemosShownOn(memos, day))
            std::printf("%s\t%s\n", Cp932ToUtf8(memo.Title).c_str(), VoiceDiskPath(memo, folder).c_str());
    } catch (const Error& error) {
        PrintError(Cp932ToUtf8(error.message()));
        return kFailed;
    }
    return 0;
}
