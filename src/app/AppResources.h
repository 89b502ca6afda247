// The windows' pictures are compiled into this static library; a program or test that links it
// needs them registered before the first window is built.
#pragma once

namespace zorva {

// Registers the pictures once; cheap on later calls.
void EnsureAppResources();

} // namespace zorva
