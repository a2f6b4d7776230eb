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
