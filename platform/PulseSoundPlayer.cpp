#include "PulseSoundPlayer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <future>
#include <memory>
#include <numbers>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Diagnostics.h"
#include "FileBytes.h"
#include "SoundLibraries.h"
#include "VoiceDecoder.h"

namespace voicememo {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kWaitStep = std::chrono::milliseconds(10);
constexpr auto kLongestSound = std::chrono::hours(24);

struct PulseCloser {
    void operator()(pa_simple* stream) const { Pulse()->pa_simple_free(stream); }
};
using PulseStream = std::unique_ptr<pa_simple, PulseCloser>;

// A sound ready to be played: a decoder open on a file, or samples made here
// when there is no file to decode. Owned by the thread that plays it.
class Sound {
public:
    static Sound FromFile(const std::string& diskPath)
    {
        Sound sound;
        struct stat opened {};
        const int fd = OpenRegularFile(diskPath, O_RDONLY, opened);
        if (fd < 0)
            return sound;
        sound.decoder_ = std::make_unique<VoiceDecoder>(fd);
        if (sound.decoder_->IsOpen()) {
            sound.rate_ = sound.decoder_->Rate();
            sound.channels_ = sound.decoder_->Channels();
            sound.frames_ = sound.decoder_->Frames();
        }
        return sound;
    }

    // A short beep, for a desktop without a sound theme.
    static Sound Tone()
    {
        constexpr int rate = 44100;
        constexpr double seconds = 0.2, pitch = 880.0, loudness = 0.5;
        Sound sound;
        sound.rate_ = rate;
        sound.channels_ = 1;
        sound.frames_ = static_cast<sf_count_t>(rate * seconds);
        sound.samples_.resize(sound.frames_);
        for (sf_count_t i = 0; i < sound.frames_; ++i)
            sound.samples_[i] = static_cast<float>(loudness * std::sin(2 * std::numbers::pi * pitch * i / rate));
        return sound;
    }

    bool IsOpen() const { return (decoder_ && decoder_->IsOpen()) || !samples_.empty(); }
    bool IsEmpty() const { return frames_ <= 0 || rate_ <= 0 || channels_ <= 0; }
    int Rate() const { return rate_; }
    int Channels() const { return channels_; }
    std::chrono::duration<double> Length() const
    {
        return std::chrono::duration<double>(IsEmpty() ? 0.0 : static_cast<double>(frames_) / rate_);
    }

    // The next interleaved float frames, as many as the decoder's chunk at
    // the most; empty at the end.
    std::span<const float> NextChunk()
    {
        if (decoder_)
            return decoder_->NextChunk();
        const std::size_t count =
            std::min<std::size_t>(VoiceDecoder::kChunkFrames * channels_, samples_.size() - next_);
        const std::span<const float> chunk(samples_.data() + next_, count);
        next_ += count;
        return chunk;
    }

private:
    std::unique_ptr<VoiceDecoder> decoder_;
    std::vector<float> samples_;
    std::size_t next_ = 0;
    int rate_ = 0;
    int channels_ = 0;
    sf_count_t frames_ = 0;
};

// What a file plays as: itself, the alert sound when it exists but cannot be
// decoded (an abandoned recording leaves a 0-byte file), or nothing.
Sound SoundFor(const std::string& diskPath, const std::string& alertSoundPath)
{
    Sound sound = Sound::FromFile(diskPath);
    if (sound.IsOpen())
        return sound;
    std::error_code error;
    if (!std::filesystem::is_regular_file(diskPath, error))
        return sound;
    qCInfo(lcSound, "音声ファイルを読めないため、警告音を鳴らします: %s (%s)", diskPath.c_str(),
           SndFile() ? SndFile()->sf_strerror(nullptr) : "");
    sound = Sound::FromFile(alertSoundPath);
    return sound.IsOpen() && !sound.IsEmpty() ? std::move(sound) : Sound::Tone();
}

// Runs on the worker thread; returns once the server has played the sound to
// its end, at the first failure, or soon after `stopped` is set, with what
// the server holds of the sound thrown away.
void PlayThroughServer(Sound& sound, const std::atomic<bool>& stopped)
{
    const PulseCalls* pulse = Pulse();
    if (!pulse)
        return;
    pa_sample_spec format{};
    format.format = PA_SAMPLE_FLOAT32NE;
    format.rate = static_cast<uint32_t>(sound.Rate());
    format.channels = static_cast<uint8_t>(sound.Channels());
    if (!pulse->pa_sample_spec_valid(&format) || format.channels != sound.Channels()) {
        qCInfo(lcSound, "再生できない形式です (%d Hz, %d チャンネル)", sound.Rate(), sound.Channels());
        return;
    }
    int error = 0;
    PulseStream stream(pulse->pa_simple_new(nullptr, "voicememo", PA_STREAM_PLAYBACK, nullptr, "voice memo", &format,
                                            nullptr, nullptr, &error));
    if (!stream) {
        qCInfo(lcSound, "サウンドサーバーに接続できません: %s", pulse->pa_strerror(error));
        return;
    }
    std::span<const float> chunk;
    while (!stopped && !(chunk = sound.NextChunk()).empty()) {
        if (pulse->pa_simple_write(stream.get(), chunk.data(), chunk.size_bytes(), &error) < 0) {
            qCInfo(lcSound, "再生が途中で止まりました: %s", pulse->pa_strerror(error));
            return;
        }
    }
    // The last chunks are still in the server: wait about as long as they
    // take in small steps, so that a stop meanwhile can throw them away.
    const pa_usec_t queued = pulse->pa_simple_get_latency(stream.get(), &error);
    const auto drained = Clock::now() + std::chrono::microseconds(queued == static_cast<pa_usec_t>(-1) ? 0 : queued);
    while (!stopped && Clock::now() < drained)
        std::this_thread::sleep_for(kWaitStep);
    if (stopped)
        pulse->pa_simple_flush(stream.get(), nullptr);
    else
        pulse->pa_simple_drain(stream.get(), nullptr);
}

}  // namespace

PulseSoundPlayer::PulseSoundPlayer(std::chrono::milliseconds grace, std::string alertSoundPath)
    : grace_(grace),
      alertSoundPath_(std::move(alertSoundPath))
{
}

void PulseSoundPlayer::PlayToEnd(const std::string& diskPath, const std::function<void()>& whileWaiting)
{
    try {
        const auto start = Clock::now();
        Sound sound = SoundFor(diskPath, alertSoundPath_);
        if (!sound.IsOpen() || sound.IsEmpty())
            return;
        // A header may promise any length; no voice memo lasts a day.
        const auto length = std::min(sound.Length(), std::chrono::duration<double>(kLongestSound));
        const auto deadline = start + std::chrono::duration_cast<Clock::duration>(length) + grace_;

        // A stopped server blocks the simple API with no time-out, so the
        // worker may outlive this call: it owns the sound and its promise and
        // touches nothing else.
        std::promise<void> played;
        std::future<void> ended = played.get_future();
        auto stopped = std::make_shared<std::atomic<bool>>(false);
        stopped_ = stopped;
        std::thread([sound = std::move(sound), played = std::move(played), stopped]() mutable {
            try {
                PlayThroughServer(sound, *stopped);
            } catch (...) {
                qCInfo(lcSound, "再生中に失敗しました");
            }
            played.set_value();
        }).detach();

        while (ended.wait_for(kWaitStep) != std::future_status::ready) {
            if (*stopped)
                break;
            if (Clock::now() >= deadline) {
                qCInfo(lcSound, "サウンドサーバーが応答しないため、再生の終わりを待つのをやめました");
                break;
            }
            if (whileWaiting)
                whileWaiting();
        }
        stopped_.reset();
    } catch (...) {
        // Playback is best effort: the dialog carries on whatever happened.
        qCInfo(lcSound, "再生できませんでした");
    }
}

void PulseSoundPlayer::Stop()
{
    if (stopped_)
        *stopped_ = true;
}

}  // namespace voicememo
