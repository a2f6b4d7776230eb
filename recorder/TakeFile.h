#pragma once
// One take on its way to the disk: a 16-bit mono 22,050 Hz WAV written to a
// hidden temporary file beside the target. The target is replaced only by the
// whole, closed and synced file, so until then it stays exactly as it was.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

typedef struct sf_private_tag SNDFILE;

namespace voicememo {

inline constexpr int kTakeSampleRate = 22050;

class TakeFile {
public:
    // Creates the temporary file beside target (a path on disk); nullptr,
    // with the system's reason, when its folder does not take it.
    static std::unique_ptr<TakeFile> Create(const std::string& target, std::string& reason);
    ~TakeFile();  // an unkept take is discarded
    TakeFile(const TakeFile&) = delete;
    TakeFile& operator=(const TakeFile&) = delete;

    bool Append(const std::int16_t* samples, std::size_t count);
    // Closes and syncs the take, renames it over the target and syncs the
    // folder. On failure the take is discarded and the target left alone.
    bool Keep(std::string& reason);
    void Discard();

    const std::string& path() const { return path_; }

    // Removes the temporary files that killed recorders left for target. A
    // take in progress holds a lock on its file, so it is left alone.
    static void RemoveStale(const std::string& target);

private:
    TakeFile(std::string target, std::string path, int fd, SNDFILE* sound);
    void CloseAll();

    std::string target_;
    std::string path_;
    int fd_;
    SNDFILE* sound_;
};

}  // namespace voicememo
