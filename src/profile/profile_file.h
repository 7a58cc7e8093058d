// Profile documents on disk: loaded once, committed once and atomically, so a
// list file is never seen half written.
#pragma once

#include <string>
#include <string_view>

#include "profile/document.h"

namespace mfg::profile {

// Loads the file into `document`, in the active code page.  A missing file is
// an empty document, as the Windows writer creates it on the first write;
// false only when something of that name exists and cannot be read.
bool loadDocument(std::string_view windowsPath, Document& document);

// Replaces the file with the document's bytes.  A UTF-16 document some write
// was refused to is not committed: false, and the file stays as it was.
bool commitDocument(std::string_view windowsPath, const Document& document,
                    std::string* error = nullptr);

}  // namespace mfg::profile
