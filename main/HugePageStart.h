#pragma once
// ImageMagick's pixel caches are large allocations made afresh for every file; backed by
// transparent huge pages they cost a fraction of the page faults. glibc reads its malloc
// tunables only when a process starts, so the program re-executes itself once with
// glibc.malloc.hugetlb=1 in GLIBC_TUNABLES.

// Call first in main, before any thread exists. Returns when nothing is left to do: the
// tunable is in effect, the user set glibc.malloc.hugetlb himself, or the re-execution
// failed (the program then simply runs without). Otherwise the process image is replaced
// (same process id, same arguments). The environment the program later hands to the
// processes it starts is the one it was started with.
void StartWithHugePages(char** argv);
