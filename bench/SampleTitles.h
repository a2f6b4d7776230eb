#pragma once
// The titles the benchmarks' memos take in turn, each with its number after
// it: the program's catalogues and the floor's list show the same ones.
namespace voicememo::bench {

inline constexpr const char* kSampleTitles[] = {"会議の録音", "買い物リスト", "電話のメモ", "打ち合わせ", "伝言"};
inline constexpr int kSampleTitleCount = static_cast<int>(sizeof kSampleTitles / sizeof kSampleTitles[0]);

}  // namespace voicememo::bench
