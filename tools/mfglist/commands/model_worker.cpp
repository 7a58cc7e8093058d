// `mfglist model-worker`: the hidden command that `matrix` and `impact`
// start once per job, each with a share of the models (line/share_run.h); not for people, so it has
// no help of its own.
#include "commands.h"

#include <memory>

#include "common/options.h"
#include "line/share_run.h"

namespace mfgtool {

Command addModelWorkerCommand(CLI::App& app) {
    auto options = std::make_shared<ModelWorkerOptions>();
    CLI::App* command = app.add_subcommand(kModelWorkerCommand, "");
    command->group("");  // not for people: matrix and impact start it
    addRunOptions(*command, *options);
    command->add_option("--share", options->share)->required();
    command->add_option("--result", options->result)->required();
    command->add_option("--parent", options->parent);
    // It writes its result file, never to standard output.
    return {command, [options](std::ostream&) { return runModelWorker(*options); }};
}

}  // namespace mfgtool
