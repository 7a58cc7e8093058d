#include "list_sources.h"

#include <exception>

#include "in_process_core.h"
#include "text_encoding.h"

namespace mfgtool {

LibraryRun runObserved(const Plan& plan, ExplainJournal& journal) {
    const ListLibrary core = inProcessCore(journal);
    return runInScratchMachine(plan, core);
}

ListSources listSources(const Plan& plan, const LibraryRun& loaded) {
    ListSources sources;
    if (loaded.list.entries.empty()) return sources;
    // The user's --output stays the loaded library's list.
    Plan again = plan;
    again.output.reset();
    ExplainJournal journal(plan.ids);
    LibraryRun core;
    try {
        core = runObserved(again, journal);
    } catch (const std::exception& error) {
        sources.note = std::string("no sources: the library's core could not repeat the run: ") +
                       error.what();
        return sources;
    }
    if (!core.list.written || core.listBytes != loaded.listBytes) {
        sources.note =
            "no sources: the library's core linked into mfglist wrote a different list than the "
            "loaded library, so its sections are not shown as the loaded list's";
        return sources;
    }
    sources.places.resize(loaded.list.entries.size());
    for (const SectionRecord& record : journal.sections()) {
        if (record.fate != Fate::listed || !record.listSection || *record.listSection < 0) continue;
        const auto position = static_cast<std::size_t>(*record.listSection);
        if (position < sources.places.size())
            sources.places[position] =
                ShownPlace{fileInFolder(record.place.file, core.folderForLibrary, plan.codePage),
                           decodeCodePage(record.place.section, plan.codePage).utf8,
                           record.place.line};
    }
    return sources;
}

}  // namespace mfgtool
