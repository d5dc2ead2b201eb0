#pragma once
// The program's own command line. It takes no options for running; --help and --version are answered on the
// terminal and end the program, without starting it or raising a copy that runs already.

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace chimewell {

// The exit status when the arguments were answered here (help, version), nothing when the program is to start
// (every other argument is Qt's: -platform, -style, the -session a restored desktop session passes).
std::optional<int> AnswerCommandLine(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace chimewell
