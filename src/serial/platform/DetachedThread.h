// A thread that nobody joins, for work that may outlast its caller (an open or a name look-up
// that the system cannot cancel).
#pragma once

#include <functional>

namespace zorva::serial {

// Runs `work` on a thread of its own that is detached before the work begins, so the thread
// can never end while it is being detached. With mingw-w64's threads (std::thread on Windows),
// a thread that ends during its detach has its record given back twice; a later thread then
// gets a record that is wiped under it and never runs its function (an open that never ends).
void StartDetached(std::function<void()> work);

} // namespace zorva::serial
