#pragma once
// The local clock and the regional separators, injected so tests set them.
#include <cstdint>

namespace voicememo {

struct LocalDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;   // 0..23
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalDateTime Now() = 0;
};

// The single-character separators of the user's regional settings.
struct Separators {
    char date = '/';
    char time = ':';
};

class RegionalSettings {
public:
    virtual ~RegionalSettings() = default;
    virtual Separators Current() = 0;
};

}  // namespace voicememo
