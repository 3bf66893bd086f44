#pragma once
#include <string>

namespace platform {

// Makes (or takes back) the folder $TMPDIR/<name> (/tmp without TMPDIR) with mode 0700 and
// returns its path. A folder of that name that is a link, not a folder, or not ours is
// refused with a RuntimeException that names it and says how to clear it, so nobody else
// can plant files where we write.
std::string PrepareWorkingFolder(const std::string& name);

// Writes the process id into <folder>/pid; a failure is a RuntimeException.
void WritePidFile(const std::string& folder);
// Removes <folder>/pid, as a clean stop does; a missing file is no failure.
void RemovePidFile(const std::string& folder);

}  // namespace platform
