#include "SoundLibraries.h"

#include <dlfcn.h>

#include <initializer_list>
#include <optional>

#include "Diagnostics.h"

namespace voicememo {

namespace {

// Opens the libraries by the names their packages install, newest first,
// and takes each named call; any call missing leaves the whole table unset.
class Loader {
public:
    explicit Loader(std::initializer_list<const char*> libraries)
    {
        for (const char* library : libraries) {
            void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                Fail(library);
                return;
            }
            handles_[count_++] = handle;
        }
    }
    template <typename Call>
    void Take(Call& call, const char* name)
    {
        call = nullptr;
        for (int i = 0; i < count_ && !call; ++i)
            call = reinterpret_cast<Call>(::dlsym(handles_[i], name));
        if (!call)
            Fail(name);
    }
    bool ok() const { return ok_; }

private:
    void Fail(const char* what)
    {
        const char* reason = ::dlerror();
        if (ok_)
            qCWarning(lcSound, "音声のライブラリーを読み込めないため、音を鳴らせません: %s (%s)", what,
                      reason ? reason : "");
        ok_ = false;
    }

    void* handles_[2] = {};
    int count_ = 0;
    bool ok_ = true;
};

// The table of calls, or none when a library or a call is missing.
template <typename Calls, typename TakeAll>
std::optional<Calls> Load(std::initializer_list<const char*> libraries, TakeAll takeAll)
{
    Loader loader(libraries);
    Calls calls{};
    if (loader.ok())
        takeAll(loader, calls);
    return loader.ok() ? std::optional(calls) : std::nullopt;
}

}  // namespace

// Each loaded once, by whichever thread needs it first; never unloaded.
const SndFileCalls* SndFile()
{
    static const auto calls = Load<SndFileCalls>({"libsndfile.so.1"}, [](Loader& loader, SndFileCalls& taken) {
        loader.Take(taken.open_fd, "sf_open_fd");
        loader.Take(taken.readf_float, "sf_readf_float");
        loader.Take(taken.close, "sf_close");
        loader.Take(taken.strerror, "sf_strerror");
    });
    return calls ? &*calls : nullptr;
}

const PulseCalls* Pulse()
{
    static const auto calls =
        Load<PulseCalls>({"libpulse-simple.so.0", "libpulse.so.0"}, [](Loader& loader, PulseCalls& taken) {
            loader.Take(taken.simple_new, "pa_simple_new");
            loader.Take(taken.simple_write, "pa_simple_write");
            loader.Take(taken.simple_drain, "pa_simple_drain");
            loader.Take(taken.simple_flush, "pa_simple_flush");
            loader.Take(taken.simple_get_latency, "pa_simple_get_latency");
            loader.Take(taken.simple_free, "pa_simple_free");
            loader.Take(taken.strerror, "pa_strerror");
            loader.Take(taken.sample_spec_valid, "pa_sample_spec_valid");
        });
    return calls ? &*calls : nullptr;
}

}  // namespace voicememo
