#include "shown_place.h"

#include "common/text_encoding.h"

namespace mfgtool {

std::string fileInFolder(const std::string& path, const std::string& folderForLibrary,
                         int codePage) {
    std::string name = path;
    if (!folderForLibrary.empty() && upperAscii(path).rfind(upperAscii(folderForLibrary), 0) == 0)
        name = path.substr(folderForLibrary.size());
    return decodeCodePage(name, codePage).utf8;
}

}  // namespace mfgtool
