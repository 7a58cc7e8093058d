// Windows keeps no PCI or USB ID database: a copy beside mfglist.exe serves.
#include "common/system.h"
#include "ids/id_names.h"

namespace mfgtool {

std::vector<std::filesystem::path> idDatabasePlaces(const char* fileName) {
    return {std::filesystem::path(programFolder()) / fileName};
}

}  // namespace mfgtool
