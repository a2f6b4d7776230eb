#include <gtest/gtest.h>

#include "Codepage.h"
#include "Messages.h"

using namespace voicememo;

TEST(CodepageTest, JapaneseTextRoundTrips)
{
    // 買い物 ｶﾀｶﾅ ① ～ (the NEC and Microsoft extensions of the table)
    const std::string utf8 = "買い物 ｶﾀｶﾅ ① ～ \\~";
    auto bytes = Utf8ToCp932Exact(utf8);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "\x94\x83\x82\xa2\x95\xa8 \xb6\xc0\xb6\xc5 \x87\x40 \x81\x60 \\~");
    EXPECT_EQ(Cp932ToUtf8(*bytes), utf8);
}

TEST(CodepageTest, CharactersTheCodePageLacksBecomeQuestionMarks)
{
    EXPECT_EQ(Utf8ToCp932("a😀b한c"), "a?b?c");
    EXPECT_FALSE(Utf8ToCp932Exact("a😀b"));
    EXPECT_EQ(Utf8ToCp932("a\xff"
                          "b"),
              "a?b");  // malformed UTF-8
}

TEST(CodepageTest, ExactMeansTheBytesDecodeBackToTheSameText)
{
    // The converter takes these without complaint but writes another
    // character's bytes (or none at all): \, ~, ～, ―, ∥, －, ￠ ...
    for (const char* text : {"Voice\U000E0001"
                             "1.wav",
                             "\U000E007F", "\u00A5", "\u203E", "\u301C", "\u2014", "\u2016", "\u2212", "\u00A2",
                             "\u00A3", "\u00AC", "a\u00A5b"}) {
        EXPECT_FALSE(Utf8ToCp932Exact(text)) << text;
    }
    // The characters the code page does hold keep their own bytes.
    struct Case {
        const char* text;
        std::string_view bytes;
    };
    for (auto [text, bytes] : std::initializer_list<Case>{{"Voice１.wav", "Voice\x82\x50.wav"},
                                                          {"Voiceあ.wav", "Voice\x82\xa0.wav"},
                                                          {"\\~", "\\~"},
                                                          {"\uFF5E", "\x81\x60"},
                                                          {"\u2015", "\x81\x5c"},
                                                          {"\u2225", "\x81\x61"},
                                                          {"\uFF0D", "\x81\x7c"},
                                                          {"\uFFE0", "\x81\x91"},
                                                          {"\uFFE2", "\x81\xca"},
                                                          {"", ""}}) {
        EXPECT_EQ(Utf8ToCp932Exact(text), bytes) << text;
        EXPECT_EQ(Cp932ToUtf8Exact(bytes), text) << text;
    }
    // All of ASCII, backslash and tilde too, is itself.
    std::string ascii;
    for (int c = 1; c < 0x80; ++c)
        ascii += static_cast<char>(c);
    EXPECT_EQ(Utf8ToCp932Exact(ascii), ascii);
}

TEST(CodepageTest, BytesThatDoNotDecodeShowAsReplacementCharacters)
{
    EXPECT_EQ(Cp932ToUtf8("a\x81"), "a\xEF\xBF\xBD");  // lead byte cut off at the end
    EXPECT_EQ(Cp932ToUtf8("\xA0z"), "\xEF\xBF\xBDz");  // a byte with no character
    EXPECT_FALSE(Cp932ToUtf8Exact("a\x81"));
    // Longer than the converter's buffer: the whole text comes through.
    std::string long_(3001, 'x');
    long_.back() = '\xA0';
    EXPECT_EQ(Cp932ToUtf8(long_), std::string(3000, 'x') + "\xEF\xBF\xBD");
}

TEST(CodepageTest, MessagesDecodeToTheirJapaneseText)
{
    struct Case {
        std::string_view bytes;
        const char* text;
    };
    for (auto [bytes, text] : std::initializer_list<Case>{
             {messages::kCannotOpen, "ﾌｧｲﾙ %s は開けません"},
             {messages::kCannotCreate, "ﾌｧｲﾙ %s を作成できません"},
             {messages::kStreamWriteError, "ｽﾄﾘｰﾑへの書き込みｴﾗｰ"},
             {messages::kCannotWrite, "%s に書き込めません"},
             {messages::kCannotWriteBecause, "%s に書き込めません（%s）"},
             {messages::kInvalidFileName, "不正なﾌｧｲﾙ名です"},
             {messages::kFileNotFound, "ﾌｧｲﾙが見つかりません"},
             {messages::kTooManyOpenFiles, "ｵｰﾌﾟﾝしたﾌｧｲﾙが多すぎます"},
             {messages::kAccessDenied, "ﾌｧｲﾙへのｱｸｾｽが拒否されました"},
             {messages::kIoError, "I/O ｴﾗｰ (%d)"},
             {messages::kNoFreeVoiceName,
              "ボイスファイルの番号（1～999）がすべて使われています。不要なボイスメモを削除してください"},
             {messages::kCatalogueBeingRewritten, "%s は別のプログラムが書き換えている途中のため、"
                                                  "保存しませんでした。一覧はそのまま残し、後で保存します"},
             {messages::kNotACalendarFeed,
              "%s はボイスメモが書き出した iCalendar ファイルではないため、上書きしません"},
             {messages::kLinkLeadsOut, "%s はフォルダーの外の %s へのリンクのため、書き込みません"},
             {messages::kJournalSetAside, "%s を書き直す前の内容の記録が見つかりましたが、ファイルは"
                                          "途中で止まった書き直しの跡とは違うため、元に戻しません"
                                          "でした。記録は %s に残してあります"},
             {messages::kJournalNotApplied, "%s を書き直す前の内容の記録が見つかりましたが、ファイルは"
                                            "途中で止まった書き直しの跡とは違うため、今の内容を読みま"
                                            "した"}}) {
        EXPECT_EQ(Cp932ToUtf8Exact(bytes), text);
    }
}
