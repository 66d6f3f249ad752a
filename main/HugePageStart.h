#pragma once
// A conversion's image-sized buffers (a codec's coefficients, rows of a whole picture), backed
// by transparent huge pages, cost a fraction of the page faults. glibc reads its malloc tunables
// only when a process starts, so the program re-executes itself once with
// glibc.malloc.hugetlb=1 in GLIBC_TUNABLES; every block of a megabyte or more is then a mapping
// of its own advised for huge pages, file after file.

// Call first in main, before any thread exists. Returns when nothing is left to do: the
// tunable is in effect, the user set glibc.malloc.hugetlb himself, or the re-execution
// failed (the program then simply runs without). Otherwise the process image is replaced
// (same process id, same arguments). The environment the program later hands to the
// processes it starts is the one it was started with.
void StartWithHugePages(char** argv);
