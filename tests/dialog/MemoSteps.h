#pragma once
// Steps the tests of the memo commands share: a catalogue written as the
// calendar writes it, a stand-in recorder, a click, a title typed.
#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "DialogHarness.h"

namespace voicememo::testing {

inline QString Text(Harness& h, const char* name) { return h.Find<QLineEdit>(name)->text(); }

inline std::string ReadWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Click(Harness& h, const char* name) { QTest::mouseClick(h.Find<QAbstractButton>(name), Qt::LeftButton); }

// A recorder beside the program that logs how it was called: one line per
// start, written at once (two starts may run side by side), with the number
// of its arguments and each argument after a "|".
inline void InstallStandInRecorder(const std::string& exeDir)
{
    const std::string script = exeDir + "voicememo-recorder";
    std::ofstream(script) << "#!/bin/sh\nline=\"$#\"; for a in \"$@\"; do line=\"$line|$a\"; done\n"
                             "printf '%s\\n' \"$line\" >> \"$(dirname \"$0\")/recorder.log\"\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
}

// The starts the stand-in logged, in sorted order: they need not end in the
// order they began.
inline std::vector<std::string> RecorderStarts(const std::string& exeDir)
{
    std::ifstream in(exeDir + "recorder.log", std::ios::binary);
    std::vector<std::string> starts;
    for (std::string line; std::getline(in, line);)
        starts.push_back(line);
    std::sort(starts.begin(), starts.end());
    return starts;
}

inline VoiceMemo Memo(const std::string& title, const std::string& path)
{
    return {title, path, "2001/04/05", "09:12:30", "TODO", ""};
}

inline void WriteCatalogue(Harness& h, const std::vector<VoiceMemo>& memos)
{
    std::string text;
    for (const VoiceMemo& m : memos)
        text += m.Title + "\t" + m.FilePath + "\t" + m.RecordedDate + "\t" + m.RecordedTime + "\t" + m.Kind + "\t" +
                m.ShownDate + "\r\n";
    h.folder.Write("Voice.dat", text);
}

// Loads a row with a click and enters a new title for it, as an input
// method does.
inline void RetitleRow(Harness& h, int row, const QString& title)
{
    h.ClickRow(row);
    QLineEdit* edit = h.Find<QLineEdit>("Edit1");
    edit->selectAll();
    edit->insert(title);
}

}  // namespace voicememo::testing
