#pragma once
// The one way the program ends, whether by its exit command or by a termination signal: the firing loop stops
// at once, every event loop is left (a modal window returns at once), and the program entry then saves the
// settings and returns. Errors met on the way out go to standard error, not into a box nobody will answer.

#include <functional>

namespace chimewell {

// Begins the end; a second call changes nothing.
void EndProgram();
bool ProgramIsEnding();
// What must happen the moment the end begins (the main window stops its firing loop); empty for nothing.
void SetProgramEndHook(std::function<void()> hook);

} // namespace chimewell
