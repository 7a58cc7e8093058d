// Where Linux distributions keep the PCI and USB ID databases.
#include "ids/id_names.h"

namespace mfgtool {

std::vector<std::filesystem::path> idDatabasePlaces(const char* fileName) {
    std::vector<std::filesystem::path> places;
    for (const char* folder : {"/usr/share/misc", "/usr/share/hwdata", "/usr/share",
                               "/var/lib/usbutils", "/var/lib/pciutils"})
        places.push_back(std::filesystem::path(folder) / fileName);
    return places;
}

}  // namespace mfgtool
