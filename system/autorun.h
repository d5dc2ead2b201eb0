#pragma once
// Starting the program when the user logs on. The entry is an XDG autostart file named after the value
// name, holding the executable's full path; the start-up check offers to create or correct it.

#include <string>
#include <string_view>

namespace chimewell {

inline constexpr std::string_view AutorunValueName = "Chimewell2.1";

// The executable the entry starts, or the empty text when there is no usable entry.
std::string ReadAutorun(std::string_view valueName);
// Throws std::runtime_error("Failed to set data for '<valueName>'") when the entry cannot be written.
void WriteAutorun(std::string_view valueName, std::string_view executablePath);
// Throws std::runtime_error("Failed to delete '<valueName>'") when an existing entry cannot be removed.
void DeleteAutorun(std::string_view valueName);

// Run once at start-up: asks to create a missing entry and to correct one that starts another program.
// True when the entry starts this executable after the call. A write that fails is shown in the general
// error box and answers false, so the caller never shows a registration that is not there. The question about
// a missing entry offers 不再询问, which sets neverAsk; while neverAsk is set, a missing entry is not asked about.
bool CheckAutorun(std::string_view valueName, std::string_view executablePath, bool& neverAsk);

} // namespace chimewell
