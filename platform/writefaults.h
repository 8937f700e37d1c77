#pragma once

#include <functional>

namespace platform {

// The system calls of a safe write, in the order a write makes them.
enum class WriteStep {
    Unnamed,     // opening it without a name (failing with EOPNOTSUPP falls back to a named one)
    Create,      // opening the temporary file
    Write,       // each block of data
    Flush,       // the last block a stream held back
    Sync,        // making the data durable (one file, or a whole file system for a batch)
    Close,
    Place,       // naming the complete file, renaming it over the target
    SyncFolder,  // making the new name durable
};

// For tests: a hook asked before each step; a non-zero answer fails that step with that errno
// instead of making the call. An empty hook (the default) lets every call through.
using WriteFaultHook = std::function<int(WriteStep)>;
void setWriteFaultHook(WriteFaultHook hook);

// The errno the hook gives for this step (0: go ahead).
int injectedWriteFault(WriteStep step);

} // namespace platform
