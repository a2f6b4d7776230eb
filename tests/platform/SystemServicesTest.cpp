#include <gtest/gtest.h>

#include <QString>
#include <filesystem>

#include "Codepage.h"
#include "SystemServices.h"

using namespace voicememo;

TEST(SystemServicesTest, SeparatorIsTheFirstCharacterThatIsNeitherLetterNorDigit)
{
    struct Case { const char* format; char fallback; char separator; };
    for (auto [format, fallback, separator] : std::initializer_list<Case>{
             {"yyyy/MM/dd", '/', '/'}, {"dd.MM.yy", '/', '.'}, {"yyyy-MM-dd", '/', '-'},
             {"M/d/yy", '/', '/'}, {"HH:mm:ss", ':', ':'}, {"h.mm AP", ':', '.'},
             {"yyyyMMdd", '/', '/'}, {"", ':', ':'}, {"yyyy'/'MM", '/', '/'},
             {"d MMM yyyy", '/', ' '}, {"yyyy年M月d日", '/', '/'}, {"yyyy／MM／dd", '/', '/'}}) {
        EXPECT_EQ(SeparatorOfFormat(QString::fromUtf8(format), fallback), separator) << format;
    }
}

// The environment as a session sets it, changed while the program runs;
// each memo takes the separators in force when it is added.
TEST(SystemServicesTest, SeparatorsFollowTheRegionalSettingsAndArePlainUnderTheCLocale)
{
    struct Case { const char* lcAll; const char* lcTime; const char* lang; char date; char time; };
    SystemRegionalSettings regional;
    const std::string saved[] = {qgetenv("LC_ALL").toStdString(), qgetenv("LC_TIME").toStdString(),
                                 qgetenv("LANG").toStdString()};
    for (auto [lcAll, lcTime, lang, date, time] : std::initializer_list<Case>{
             {"", "", "de_DE.UTF-8", '.', ':'}, {"", "", "C.UTF-8", '/', ':'}, {"", "", "C", '/', ':'},
             {"", "", "POSIX", '/', ':'}, {"", "", "", '/', ':'}, {"", "fi_FI.UTF-8", "C.UTF-8", '.', '.'},
             {"C", "de_DE.UTF-8", "de_DE.UTF-8", '/', ':'}, {"ja_JP.UTF-8", "", "C", '/', ':'}}) {
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

TEST(SystemServicesTest, ExeDirIsTheFolderOfThisProgram)
{
    std::string dir = ExeDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    auto self = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(Cp932ToUtf8(dir), self.parent_path().string() + "/");
}

TEST(SystemServicesTest, ClockReadsALocalDateTime)
{
    SystemClock clock;
    auto now = clock.Now();
    EXPECT_GE(now.year, 2024);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
    EXPECT_GE(now.day, 1);
    EXPECT_LE(now.day, 31);
    EXPECT_LE(now.second, 59);
}
