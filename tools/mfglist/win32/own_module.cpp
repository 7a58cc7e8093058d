#include <windows.h>

#include "run/in_process_core.h"

namespace mfgtool {
namespace {

// The program's own image: publishing the machine to it re-points the
// program's imports, which the linked core calls through, as a loaded
// library's are (library_imports.h).  Never freed.
class OwnModule : public DynamicModule {
public:
    Symbol symbol(const char* name) const override {
        return reinterpret_cast<Symbol>(GetProcAddress(GetModuleHandleA(nullptr), name));
    }
    void* handle() const override { return GetModuleHandleA(nullptr); }
};

}  // namespace

std::unique_ptr<DynamicModule> ownModule() { return std::make_unique<OwnModule>(); }

}  // namespace mfgtool
