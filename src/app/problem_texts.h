#pragma once
// The core's reasons as the window shows them: one Japanese sentence for each
// kind of problem (the batch tool prints the core's English reason instead).

#include <string>

#include "support/problem.h"

namespace kararisu {

// The reason in Japanese, one sentence.
std::string problemReason(ProblemKind kind);
// The file the problem concerns on the first line, the reason below it.
std::string problemText(const std::string& path, const Problem& problem);
// The same for an error that unwound a command.
std::string problemText(const ProblemError& error);

}  // namespace kararisu
