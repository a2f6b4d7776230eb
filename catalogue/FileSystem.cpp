#include "FileSystem.h"

#include <cstdio>

namespace voicememo {

// 64-bit FNV-1a: enough to tell contents apart where no better digest is
// given (the platform's file system gives SHA-256).
std::string FileSystem::Digest(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ULL;
    for (char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ULL;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

}  // namespace voicememo
