// `mfglist explain`: the run a preview makes, made by the core linked into
// this program with an observer attached, and every decision of it shown:
// the fate of each section walked, the host IDs that matched nothing, the
// group settings and where each came from.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "common/run_options.h"
#include "json_contract.h"
#include "report.h"
#include "run/explain_journal.h"

namespace mfgtool {

struct ExplainOptions : RunOptions, ListOutputOptions {};

// Adds the explain command and its options (preview's run options) to `app`.
CLI::App* addExplainCommand(CLI::App& app, ExplainOptions& options);

int runExplain(const ExplainOptions& options, std::ostream& out);

// The report of an explained run, as text or as the JSON of the contract.
void printExplainText(const ReportContext& context, const ExplainJournal& journal,
                      std::ostream& out);
Json explainJson(const ReportContext& context, const ExplainJournal& journal,
                 const std::string& status, int exitStatus);

// What explain says of one section: "listed at position 3; HARDID ...",
// "left out: ...".
std::string sectionFateText(const ReportContext& context, const ExplainJournal& journal,
                            const SectionRecord& record);

// Whether the plan's list matches IDs at all: a CD-ROM driver list by
// HARDID, a software list by PACKETNAME; a process-file driver list and the
// complete software list take none.
bool runMatchesIds(const Plan& plan);

}  // namespace mfgtool
