#pragma once
// Writing a file so that a failure never destroys the file it would replace:
// the bytes go to a temporary name in the target's folder, are flushed, and
// the temporary is renamed over the target only when all went well.

#include <cstdint>
#include <span>
#include <string>

#include "support/problem.h"

namespace kararisu {

Outcome<void> writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace kararisu
