#pragma once
// What the recorder's window says about a take: its problems and their
// causes in the user's words, always Japanese, whatever the system or the
// sound server reported.
#include <QString>
#include <string>

#include "TakeProblem.h"

namespace voicememo {

// The status line for a take's outcome.
QString DescribeProblem(const TakeOutcome& outcome);
// The status line's tooltip: what lies behind the problem; empty when
// nothing is known.
QString DescribeCause(const ProblemCause& cause);
// The question before a new take of a file that holds one.
QString ReplaceTakeQuestion(const std::string& target);
// A file's name without its folder, as the window shows it.
QString FileNameOf(const std::string& path);

}  // namespace voicememo
