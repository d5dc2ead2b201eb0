#include "cli/commands.h"

#include <stdexcept>

namespace chimewell::cli {

// This chimewell-cli was built without Qt, and so without the network part the sync needs.
int RunSync(const Arguments&, std::ostream&, std::ostream&) {
    throw std::runtime_error("this chimewell-cli was built without the network part: sync is not available");
}

} // namespace chimewell::cli
