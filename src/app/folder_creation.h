#pragma once
// A folder typed into the folder chooser need not exist yet: the user is
// asked whether to create it, and it is made with any missing parents.

#include <string>

#include "support/messages.h"

namespace kararisu {

// True when `folder` is a folder in the end: it was there, or the user agreed
// and it was made. False when the user declined, or when it could not be made
// or names a file (the reason has then been shown).
bool offerToCreateFolder(Reporter& reporter, const std::string& folder);

// The question asked before a folder is made.
Message createFolderQuestion(const std::string& folder);

}  // namespace kararisu
