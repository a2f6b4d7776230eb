#pragma once
// A library loaded when it is first needed rather than at every start: its
// functions are taken into a table of calls typed from its own header
// (decltype(&function)), so a signature that does not match fails to build.
#include <QLoggingCategory>
#include <initializer_list>
#include <optional>
#include <string>

// A table's calls are listed once, by their names in the library, as
// LIST(CALL) calling CALL(name) for each: the table's members are declared
// with VOICEMEMO_DECLARE_CALL and taken with VOICEMEMO_TAKE_CALL, so a member
// cannot be given another function's name.
#define VOICEMEMO_DECLARE_CALL(name) decltype(&::name) name;
#define VOICEMEMO_TAKE_CALL(name) library.Take(calls.name, #name);

namespace voicememo {

// Opens the libraries by the names their packages install and takes each
// named call; any library or call missing leaves the whole table unset, and
// the reason is logged once, with what cannot be done then.
class LazyLibrary {
public:
    using Category = const QLoggingCategory& (*)();
    LazyLibrary(std::initializer_list<const char*> libraries, Category category, const char* withoutIt);
    template <typename Call>
    void Take(Call& call, const char* name)
    {
        call = reinterpret_cast<Call>(Find(name));
    }
    bool ok() const { return ok_; }

    // The table of calls, or none.
    template <typename Calls, typename TakeAll>
    static std::optional<Calls> Load(std::initializer_list<const char*> libraries, Category category,
                                     const char* withoutIt, TakeAll takeAll)
    {
        LazyLibrary library(libraries, category, withoutIt);
        Calls calls{};
        if (library.ok())
            takeAll(library, calls);
        return library.ok() ? std::optional(calls) : std::nullopt;
    }

private:
    void* Find(const char* name);
    void Fail(const char* what);

    Category category_;
    std::string withoutIt_;
    void* handles_[2] = {};
    int count_ = 0;
    bool ok_ = true;
};

}  // namespace voicememo
