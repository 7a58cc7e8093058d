#include <dlfcn.h>

#include "run/in_process_core.h"

namespace mfgtool {
namespace {

// The POSIX machine is published through the environment: the handle is
// only there to be asked for.
class OwnModule : public DynamicModule {
public:
    Symbol symbol(const char* name) const override {
        return reinterpret_cast<Symbol>(::dlsym(RTLD_DEFAULT, name));
    }
    void* handle() const override { return nullptr; }
};

}  // namespace

std::unique_ptr<DynamicModule> ownModule() { return std::make_unique<OwnModule>(); }

}  // namespace mfgtool
