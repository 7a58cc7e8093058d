#include <dlfcn.h>

#include "run/library.h"

namespace mfgtool {
namespace {

class PosixModule : public DynamicModule {
public:
    explicit PosixModule(void* handle) : handle_(handle) {}
    ~PosixModule() override { ::dlclose(handle_); }
    PosixModule(const PosixModule&) = delete;
    PosixModule& operator=(const PosixModule&) = delete;

    Symbol symbol(const char* name) const override {
        return reinterpret_cast<Symbol>(::dlsym(handle_, name));
    }

    void* handle() const override { return handle_; }

private:
    void* handle_;
};

}  // namespace

std::unique_ptr<DynamicModule> DynamicModule::open(const std::filesystem::path& file,
                                                   std::string& error) {
    // RTLD_LOCAL: the library's symbols stay its own, as in a Windows process.
    void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = ::dlerror();
        error = reason ? reason : "unknown loader error";
        return nullptr;
    }
    return std::make_unique<PosixModule>(handle);
}

std::string libraryFileName() { return "libmfglist.so"; }

}  // namespace mfgtool
