// workflow-host: creates a host database ready for Quelta's workflows (the demo company with the plug-in
// installed silently by its installer), for people trying the workflows and for the benchmarks.

#include "quelta/workflows/testing/workflow_host.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char** argv) {
    const char* usage =
        "usage: workflow-host create --db FILE.db [--sk] [--scale N] [--url PORTAL-URL] [--wage-slips DIR]\n";
    if (argc < 2 || std::string(argv[1]) != "create") {
        std::fputs(usage, stderr);
        return 2;
    }
    std::string file;
    quelta::testing::WorkflowHostOptions options;
    try {
        for (int i = 2; i < argc; ++i) {
            const std::string arg = argv[i];
            const bool hasValue = i + 1 < argc;
            if (arg == "--db" && hasValue)
                file = argv[++i];
            else if (arg == "--scale" && hasValue)
                options.scale = std::stoi(argv[++i]);
            else if (arg == "--url" && hasValue)
                options.portalUrl = argv[++i];
            else if (arg == "--wage-slips" && hasValue)
                options.wageSlipFolder = argv[++i];
            else if (arg == "--sk")
                options.slovak = true;
            else
                throw std::invalid_argument("unknown argument " + arg);
        }
        if (file.empty()) throw std::invalid_argument("--db is required");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n%s", e.what(), usage);
        return 2;
    }
    try {
        quelta::testing::CreateWorkflowHost(file, options);
        std::printf("Created %s\n", file.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
