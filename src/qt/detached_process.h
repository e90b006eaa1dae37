// Starting another instance of this program with arguments passed as bytes, so that a path
// whose name is not valid UTF-8 reaches it unchanged (Qt's own process start takes text).
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace vistrel {

/// Starts `program` with `arguments` (without the program itself), detached: nothing waits for
/// it and it outlives this process. NotFound when there is no such program, NoMemory when the
/// system lacks the memory, Failed for any other reason.
StartResult startDetachedProcess(const std::string& program,
                                 const std::vector<std::string>& arguments);

/// This program's own executable as the file system names it.
std::string ownExecutable();

}  // namespace vistrel
