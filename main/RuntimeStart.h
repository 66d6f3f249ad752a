#pragma once
// Two settings of the libraries under ImageMagick are read only when a process starts:
// - glibc's malloc tunables (GLIBC_TUNABLES): the codecs' buffers are large allocations made
//   afresh for every file; as mappings of their own they are given back whole after each file;
// - OpenMP's thread count (OMP_NUM_THREADS), which ImageMagick takes as its thread limit. It
//   sizes a loop's team by the work, reaching that limit only for images 8192 pixels on a
//   side: with the limit at the cores, the resize of a 12-megapixel photo ran on two of eight.
//   At four threads a core its teams match the cores for everyday photos.
// So the program re-executes itself once with both in its environment.

// Call first in main, before any thread exists. Returns when nothing is left to do: both
// settings are in effect, the user set them himself, or the re-execution failed (the program
// then simply runs without). Otherwise the process image is replaced (same process id, same
// arguments). The environment the program later hands to the processes it starts is the one
// it was started with.
void StartWithRuntimeSettings(char** argv);

// The OpenMP thread count the program starts with unless the user chose one.
int RuntimeThreadCount();
