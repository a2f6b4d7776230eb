#include <gtest/gtest.h>

#include <QDateTime>
#include <QString>
#include <filesystem>
#include <optional>

#include <time.h>

#include "Codepage.h"
#include "LocalTime.h"
#include "ProgramFolder.h"

using namespace voicememo;

TEST(LocalTimeAndFolderTest, SeparatorIsTheFirstCharacterThatIsNeitherLetterNorDigit)
{
    struct Case {
        const char* format;
        char fallback;
        char separator;
    };
    for (auto [format, fallback, separator] : std::initializer_list<Case>{{"yyyy/MM/dd", '/', '/'},
                                                                          {"dd.MM.yy", '/', '.'},
                                                                          {"yyyy-MM-dd", '/', '-'},
                                                                          {"M/d/yy", '/', '/'},
                                                                          {"HH:mm:ss", ':', ':'},
                                                                          {"h.mm AP", ':', '.'},
                                                                          {"yyyyMMdd", '/', '/'},
                                                                          {"", ':', ':'},
                                                                          {"yyyy'/'MM", '/', '/'},
                                                                          {"d MMM yyyy", '/', ' '},
                                                                          {"yyyy年M月d日", '/', '/'},
                                                                          {"yyyy／MM／dd", '/', '/'}}) {
        EXPECT_EQ(SeparatorOfFormat(QString::fromUtf8(format), fallback), separator) << format;
    }
}

// The environment as a session sets it, changed while the program runs;
// each memo takes the separators in force when it is added.
TEST(LocalTimeAndFolderTest, SeparatorsFollowTheRegionalSettingsAndArePlainUnderTheCLocale)
{
    struct Case {
        const char* lcAll;
        const char* lcTime;
        const char* lang;
        char date;
        char time;
    };
    SystemRegionalSettings regional;
    const std::string saved[] = {qgetenv("LC_ALL").toStdString(), qgetenv("LC_TIME").toStdString(),
                                 qgetenv("LANG").toStdString()};
    for (auto [lcAll, lcTime, lang, date, time] :
         std::initializer_list<Case>{{"", "", "de_DE.UTF-8", '.', ':'},
                                     {"", "", "C.UTF-8", '/', ':'},
                                     {"", "", "C", '/', ':'},
                                     {"", "", "POSIX", '/', ':'},
                                     {"", "", "", '/', ':'},
                                     {"", "fi_FI.UTF-8", "C.UTF-8", '.', '.'},
                                     {"C", "de_DE.UTF-8", "de_DE.UTF-8", '/', ':'},
                                     {"ja_JP.UTF-8", "", "C", '/', ':'}}) {
        for (auto [variable, value] : {std::pair{"LC_ALL", lcAll}, {"LC_TIME", lcTime}, {"LANG", lang}})
            ::setenv(variable, value, 1);
        const Separators separators = regional.Current();
        EXPECT_EQ(separators.date, date) << lcAll << "|" << lcTime << "|" << lang;
        EXPECT_EQ(separators.time, time) << lcAll << "|" << lcTime << "|" << lang;
    }
    ::setenv("LC_ALL", saved[0].c_str(), 1);
    ::setenv("LC_TIME", saved[1].c_str(), 1);
    ::setenv("LANG", saved[2].c_str(), 1);
}

TEST(LocalTimeAndFolderTest, ExeDirIsTheFolderOfThisProgram)
{
    std::string dir = ExeDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    auto self = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(Cp932ToUtf8(dir), self.parent_path().string() + "/");
}

// In a zone fourteen hours east of UTC, the clock gives the zone's date and
// time: a UTC reading, or a field off by one, falls outside the times read
// around the call.
TEST(LocalTimeAndFolderTest, ClockReadsTheLocalDateTime)
{
    const std::optional<QByteArray> saved =
        qEnvironmentVariableIsSet("TZ") ? std::optional(qgetenv("TZ")) : std::nullopt;
    ::setenv("TZ", "<+14>-14", 1);
    ::tzset();
    constexpr int kEast = 14 * 3600;
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(kEast);
    const LocalDateTime now = SystemClock().Now();
    const QDateTime after = QDateTime::currentDateTimeUtc().addSecs(kEast);
    saved ? ::setenv("TZ", saved->constData(), 1) : ::unsetenv("TZ");
    ::tzset();

    const QDateTime read(QDate(now.year, now.month, now.day), QTime(now.hour, now.minute, now.second), Qt::UTC);
    ASSERT_TRUE(read.isValid()) << now.year << "-" << now.month << "-" << now.day;
    EXPECT_GE(read, before.addMSecs(-before.time().msec())) << read.toString(Qt::ISODate).toStdString();
    EXPECT_LE(read, after) << read.toString(Qt::ISODate).toStdString();
}
