// The wave backends built into the layer. Adding one takes a folder of its own under
// backends/ (a static library) and one line in the table of BuiltinBackends.cpp.
#pragma once

// Adds every built-in backend to the WaveBackendRegistry, in the table's order.
void registerBuiltinWaveBackends();
