#pragma once
// A rewrite in place, as the dialog makes one where the folder takes no new
// file, stopped wherever a test wants it: under way while the journal
// lives, cut short once it is gone without a commit, as a kill leaves it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "RewriteJournal.h"

namespace voicememo::testing {

// Journals a rewrite of the file at path to newContent, then puts written
// in the file: what the rewrite had written when it stopped.
inline ::testing::AssertionResult StartRewrite(const std::string& path, const std::string& newContent,
                                               const std::string& written, RewriteJournal& journal)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    struct stat info {};
    bool done = fd >= 0 && ::fstat(fd, &info) == 0 && RewriteJournal::Begin(fd, info, path, newContent, journal);
    done = done && ::pwrite(fd, written.data(), written.size(), 0) == static_cast<ssize_t>(written.size()) &&
           ::ftruncate(fd, static_cast<off_t>(written.size())) == 0;
    if (fd >= 0)
        ::close(fd);
    return done ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << "cannot rewrite " << path;
}

}  // namespace voicememo::testing
