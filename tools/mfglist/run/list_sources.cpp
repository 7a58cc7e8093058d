#include "list_sources.h"

#include <cstdint>
#include <exception>
#include <optional>

#include "common/text_encoding.h"
#include "in_process_core.h"
#include "listjob/decision_observer.h"

namespace mfgtool {

LibraryRun runObserved(const Plan& plan, ExplainJournal& journal) {
    const ListLibrary core = inProcessCore(journal);
    return runInScratchMachine(plan, core);
}

namespace {

// Preview's second run needs only where each listed entry came from: one
// place per list section, nothing of the sections left out.
class ListedPlaces : public mfg::listjob::DecisionObserver {
public:
    struct Place {
        std::size_t file = 0;  // into files()
        std::string section;
        std::uint64_t line = 0;
    };

    const std::vector<std::optional<Place>>& places() const { return places_; }
    const std::vector<std::string>& files() const { return files_; }

    void entryWritten(const mfg::listjob::SectionAt& at, int listSection) override {
        listed(at, listSection);
    }
    void driverListed(const mfg::listjob::SectionAt& at, int listSection, int,
                      std::int32_t) override {
        listed(at, listSection);
    }

private:
    void listed(const mfg::listjob::SectionAt& at, int listSection) {
        if (listSection < 0) return;
        const auto position = static_cast<std::size_t>(listSection);
        if (position >= places_.size()) places_.resize(position + 1);
        // A run reads a few process files: the last one named is nearly always this one.
        std::size_t file = files_.size();
        for (std::size_t i = files_.size(); i-- > 0;)
            if (files_[i] == at.file) {
                file = i;
                break;
            }
        if (file == files_.size()) files_.emplace_back(at.file);
        places_[position] = Place{file, std::string(at.section), at.line};
    }

    std::vector<std::string> files_;
    std::vector<std::optional<Place>> places_;
};

}  // namespace

ListSources listSources(const Plan& plan, const LibraryRun& loaded) {
    ListSources sources;
    if (!loaded.list.written) return sources;
    // The user's --output stays the loaded library's list; the run's trace
    // and its parsed list are not needed, only its bytes.
    Plan again = plan;
    again.output.reset();
    ListedPlaces listed;
    bool same = false;
    std::string folderForCore;
    try {
        RunNeeds needs{/*trace=*/false, /*parsedList=*/false};
        needs.compareWith = &loaded.listBytes;
        const LibraryRun core =
            runInScratchMachine(again, inProcessCore(listed, CoreTrace::none), needs);
        same = core.list.written && core.sameAsCompared;
        folderForCore = core.folderForLibrary;
    } catch (const std::exception& error) {
        sources.note =
            std::string("no sources: the library's core could not repeat the run: ") + error.what();
        return sources;
    }
    if (!same) {
        sources.note =
            "no sources: the library's core linked into mfglist wrote a different list than the "
            "loaded library, so its sections are not shown as the loaded list's";
        return sources;
    }
    std::vector<std::string> shownFiles;
    for (const std::string& file : listed.files())
        shownFiles.push_back(fileInFolder(file, folderForCore, plan.codePage));
    const auto& places = listed.places();
    sources.places.resize(places.size());
    for (std::size_t i = 0; i < places.size(); ++i)
        if (places[i])
            sources.places[i] =
                ShownPlace{shownFiles[places[i]->file],
                           decodeCodePage(places[i]->section, plan.codePage).utf8, places[i]->line};
    return sources;
}

}  // namespace mfgtool
