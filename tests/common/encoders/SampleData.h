// Data to compress in the tests and benchmarks of the decoders: text, binary, and the
// pathological kinds (runs, every byte value, incompressible noise). Deterministic.
#pragma once

#include <cstddef>
#include <string>

enum TSampleKind { skText, skBinary, skRuns, skAllBytes, skNoise };

std::string SampleData(TSampleKind kind, size_t size, unsigned seed = 1);
const char* SampleKindName(TSampleKind kind);
