// Vector units wider than SSE2 (the baseline of every x86-64), found at run
// time. Each wide path gives the same bytes as its SSE2 twin.
#pragma once

// Whether the processor has AVX2 and the wide paths are allowed.
bool WideVectorsAvailable();

// For tests, which compare both paths: wide paths off (false) or on again.
void AllowWideVectors(bool allowed);
