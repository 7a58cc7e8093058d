#include "impact.h"

#include "common/text_encoding.h"

namespace mfgtool {
namespace {

ComparedList listOf(const ModelRun& run) {
    ComparedList list;
    if (run.listFile.empty()) return list;
    const int codePage = libraryCodePage();
    list = comparedListFromBytes(fileBytes(run.listFile), codePage, run.listFile.string());
    // The folder in a value, written "<folder>\\": OLD and NEW are two folders.
    const std::string& prefix = run.folderForLibrary;
    if (!prefix.empty())
        for (KeyValues& entry : list.entries)
            for (auto& [key, value] : entry)
                for (std::size_t at; (at = findIgnoringAsciiCase(value, prefix)) != std::string::npos;)
                    value.replace(at, prefix.size(), "<folder>\\");
    list.sections.assign(list.entries.size(), "");
    for (const SectionFate& fate : run.sections)
        if (fate.position && *fate.position >= 0 &&
            static_cast<std::size_t>(*fate.position) < list.sections.size())
            list.sections[static_cast<std::size_t>(*fate.position)] = fate.section;
    return list;
}

}  // namespace

LineImpact compareLineRuns(const LineRun& before, const LineRun& after) {
    LineImpact impact;
    impact.models.resize(after.models.size());
    for (std::size_t m = 0; m < after.models.size(); ++m) {
        ModelImpact& model = impact.models[m];
        model.before = &before.models[m];
        model.after = &after.models[m];
        model.oldList = listOf(before.models[m]);
        model.newList = listOf(after.models[m]);
        model.diff = compareLists(model.oldList, model.newList);
        model.changed = !model.diff.equal() || model.before->listWritten != model.after->listWritten;
        if (model.changed) ++impact.changed;
    }
    return impact;
}

}  // namespace mfgtool
