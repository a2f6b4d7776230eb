#include "LazyLibrary.h"

#include <dlfcn.h>

#include <iterator>

namespace voicememo {

LazyLibrary::LazyLibrary(std::initializer_list<const char*> libraries, Category category, const char* withoutIt)
    : category_(category),
      withoutIt_(withoutIt)
{
    for (const char* library : libraries) {
        if (count_ == static_cast<int>(std::size(handles_)))
            break;
        void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            Fail(library);
            return;
        }
        handles_[count_++] = handle;
    }
}

void* LazyLibrary::Find(const char* name)
{
    void* call = nullptr;
    for (int i = 0; i < count_ && !call; ++i)
        call = ::dlsym(handles_[i], name);
    if (!call)
        Fail(name);
    return call;
}

void LazyLibrary::Fail(const char* what)
{
    const char* reason = ::dlerror();
    if (ok_)
        qCWarning(category_, "ライブラリーを読み込めないため、%s: %s (%s)", withoutIt_.c_str(), what,
                  reason ? reason : "");
    ok_ = false;
}

}  // namespace voicememo
