// A library loaded on first use: its table of calls is whole or not there.
#include <gtest/gtest.h>

#include "LazyLibrary.h"

namespace voicememo {
namespace {

Q_LOGGING_CATEGORY(lcTest, "voicememo.test")

struct MathCalls {
    double (*cos)(double);
    double (*other)(double);
};

struct LoadCase {
    const char* library;
    const char* other;  // the second call asked for
    bool loaded;
};

class LazyLibraryTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LazyLibraryTest, TheTableIsWholeOrNone)
{
    const LoadCase& c = GetParam();
    const auto calls =
        LazyLibrary::Load<MathCalls>({c.library}, lcTest, "試せません", [&c](LazyLibrary& library, MathCalls& taken) {
            library.Take(taken.cos, "cos");
            library.Take(taken.other, c.other);
        });
    ASSERT_EQ(calls.has_value(), c.loaded);
    if (calls) {
        EXPECT_EQ(calls->cos(0.0), 1.0);
        EXPECT_EQ(calls->other(0.0), 0.0);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LazyLibraryTest,
                         ::testing::Values(LoadCase{"libm.so.6", "sin", true},
                                           LoadCase{"libm.so.6", "no_such_call", false},
                                           LoadCase{"libno-such-library.so.9", "sin", false}));

}  // namespace
}  // namespace voicememo
