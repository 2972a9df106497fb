#pragma once
//! What the workflow benchmarks share: one run of a method inside the process with every Portal request body
//! kept, and the time a bare client takes to post the same bodies to a fresh stand-in.

#include "quelta/synch.h"
#include "quelta/workflows/testing/quelta_site.h"

#include <string>
#include <vector>

namespace bench_quelta {

//! The request bodies the Portal client sends in one silent run of `command` on the site, in order. Throws
//! when the run writes an error entry into the journal.
std::vector<std::string> CaptureRequests(quelta::testing::QueltaSite& site,
                                         const quelta::CommandLine& command);

//! Seconds a bare client with one kept-alive connection takes to post the bodies to a fresh stand-in.
double BareSeconds(const std::vector<std::string>& requests);

} // namespace bench_quelta
