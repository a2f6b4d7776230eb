#include "TakeRecorder.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "PulseInput.h"
#include "TakeFile.h"

namespace voicememo {

namespace {

constexpr std::size_t kChunkSamples = kTakeSampleRate / 20;  // 50 ms
constexpr double kLevelFloorDb = -60.0;

}  // namespace

int LevelOfPeak(int peak)
{
    if (peak <= 0)
        return 0;
    const double db = 20.0 * std::log10(std::min(peak, 32767) / 32767.0);
    return std::clamp(static_cast<int>(std::lround(100.0 * (1.0 - db / kLevelFloorDb))), 0, 100);
}

// Shared by the caller and the worker; whichever lets go last frees it.
struct TakeRecorder::Take {
    enum class Phase { Connecting, Recording, Finished };

    std::mutex mutex;
    std::condition_variable changed;
    Phase phase = Phase::Connecting;  // guarded by mutex
    bool givenUp = false;             // guarded by mutex
    TakeOutcome outcome;              // guarded by mutex, set when Finished
    // The file the take may replace; once the take is in place, the take.
    // Only a worker that is not given up touches it.
    std::shared_ptr<HeldFile> replaceable;
    std::function<void()> chunkWritten;
    std::string source;

    std::atomic<bool> stopWanted{false};
    std::atomic<bool> paused{false};
    std::atomic<long long> samples{0};
    std::atomic<int> level{0};

    void Finish(TakeOutcome result)
    {
        outcome = std::move(result);
        phase = Phase::Finished;
        changed.notify_all();
    }
};

TakeRecorder::TakeRecorder(std::string target, TakeTimeouts timeouts)
    : target_(std::move(target)),
      timeouts_(timeouts),
      replaceable_(std::make_shared<HeldFile>(HeldFile::Open(target_)))
{
}

TakeRecorder::~TakeRecorder() { Stop(); }

TakeOutcome TakeRecorder::Start()
{
    Stop();
    lastSeconds_ = 0;
    int error = 0;
    auto file = TakeFile::Create(target_, error);
    if (!file)
        return {TakeProblem::CannotCreateFile, false, ProblemCause::System(error)};

    auto take = std::make_shared<Take>();
    take->replaceable = replaceable_;
    take->chunkWritten = chunkWritten_;
    take->source = source_;
    std::thread(Record, take, std::move(file)).detach();

    std::unique_lock lock(take->mutex);
    if (!take->changed.wait_for(lock, timeouts_.connect, [&] { return take->phase != Take::Phase::Connecting; })) {
        take->givenUp = true;
        return {TakeProblem::ServerNotAnswering, false, {}};
    }
    if (take->phase == Take::Phase::Finished)
        return take->outcome;
    take_ = std::move(take);
    return {};
}

TakeOutcome TakeRecorder::Stop()
{
    if (!take_)
        return {};
    auto take = std::move(take_);
    take->stopWanted = true;
    lastSeconds_ = static_cast<double>(take->samples) / kTakeSampleRate;

    // The worker keeps the mutex while it puts the take in place, so a
    // time-out cannot strike halfway through: the take is either in place
    // or given up.
    std::unique_lock lock(take->mutex);
    if (!take->changed.wait_for(lock, timeouts_.stop, [&] { return take->phase == Take::Phase::Finished; })) {
        take->givenUp = true;
        return {TakeProblem::TakeAbandoned, false, {}};
    }
    lastSeconds_ = static_cast<double>(take->samples) / kTakeSampleRate;
    return take->outcome;
}

void TakeRecorder::Pause()
{
    if (take_)
        take_->paused = true;
}

void TakeRecorder::Resume()
{
    if (take_)
        take_->paused = false;
}

bool TakeRecorder::IsPaused() const { return take_ && take_->paused; }

bool TakeRecorder::HasEndedByItself() const
{
    if (!take_)
        return false;
    std::lock_guard lock(take_->mutex);
    return take_->phase == Take::Phase::Finished;
}

double TakeRecorder::Seconds() const
{
    return take_ ? static_cast<double>(take_->samples) / kTakeSampleRate : lastSeconds_;
}

int TakeRecorder::Level() const { return take_ ? take_->level.load() : 0; }

void TakeRecorder::Record(std::shared_ptr<Take> take, std::unique_ptr<TakeFile> file)
{
    try {
        RecordInto(*take, *file);
    } catch (...) {
        // Outside the capture nothing is expected to throw; should anything,
        // the take is given up rather than the program ended.
        std::lock_guard lock(take->mutex);
        if (take->phase != Take::Phase::Finished) {
            file->Discard();
            take->Finish({TakeProblem::CannotSave, false, {}});
        }
    }
}

void TakeRecorder::RecordInto(Take& take, TakeFile& file)
{
    PulseInput input;
    int serverError = 0;
    const TakeProblem openProblem = input.Open(take.source, serverError);
    {
        std::lock_guard lock(take.mutex);
        if (openProblem != TakeProblem::None || take.givenUp) {
            file.Discard();
            take.Finish({openProblem, false, ProblemCause::SoundServer(serverError)});
            return;
        }
        take.phase = Take::Phase::Recording;
        take.changed.notify_all();
    }

    TakeProblem ending = TakeProblem::None;
    ProblemCause cause;
    try {
        std::vector<std::int16_t> chunk(kChunkSamples);
        while (!take.stopWanted) {
            if (int error = 0; !input.Read(chunk.data(), chunk.size(), error)) {
                ending = TakeProblem::InputLost;
                cause = ProblemCause::SoundServer(error);
                break;
            }
            // The input is read on while paused, so that what is kept after
            // the pause is what it hears then, not what waited in its buffer.
            if (take.paused) {
                take.level = 0;
                continue;
            }
            if (int error = 0; !file.Append(chunk.data(), chunk.size(), error)) {
                ending = TakeProblem::WriteFailed;
                cause = ProblemCause::System(error);
                break;
            }
            take.samples += static_cast<long long>(chunk.size());
            if (take.chunkWritten)
                take.chunkWritten();
            int peak = 0;
            for (std::int16_t sample : chunk)
                peak = std::max(peak, std::abs(static_cast<int>(sample)));
            take.level = LevelOfPeak(peak);
        }
    } catch (...) {
        // What reached the file is kept, as when the input goes away; the
        // exception's own words are no message for the user.
        ending = TakeProblem::RecordingFailed;
        cause = {};
    }
    take.level = 0;

    std::lock_guard lock(take.mutex);
    if (take.givenUp) {
        file.Discard();
        take.Finish({TakeProblem::TakeAbandoned, false, {}});
        return;
    }
    // Only the user's stop makes a whole take; any other end cuts it short.
    TakeOutcome kept = file.Keep(*take.replaceable, ending);
    if (kept.problem == ending && ending != TakeProblem::None)
        kept.cause = cause;
    take.Finish(std::move(kept));
}

}  // namespace voicememo
