#pragma once

namespace zant {

class ModZANT;

// Tells the application state how to make each window of the program.
void registerAllWindows(ModZANT& app);

} // namespace zant
