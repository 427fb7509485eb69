/* The least a program can do to delete without following a link: the checks
   the program's purge makes, written flat over the native calls, for the
   minimal programs the benchmarks measure it against. Each entry is opened
   as itself relative to its folder's handle; a link is deleted as a link;
   anything else only when its handle shows the entry listed (same file
   number) and the name it reached is its own (under Wine a Unix symbolic
   link to a file opens as its target, and only that name tells), then
   through its own handle. C, for the C minimal program too. */
#pragma once

#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Empties `folder` and keeps it. */
void MinimalLinkSafeDelete(const wchar_t* folder);
/* Deletes the file `name` of `folder`. */
void MinimalLinkSafeRemove(const wchar_t* folder, const wchar_t* name);
/* Deletes the files of `folder` that `matches` takes, given the folder's
   path and the file's name (and with `recurse` those of its subfolders,
   each opened as itself), then with `removeEmptied` every subfolder left
   empty and `folder` itself if it is; with `countOnly` it deletes nothing.
   Gives the files it took. */
unsigned long MinimalLinkSafeRemoveMatching(const wchar_t* folder,
                                            int (*matches)(const wchar_t* folder, const wchar_t* name, void* context),
                                            void* context, int recurse, int removeEmptied, int countOnly);

#ifdef __cplusplus
}
#endif
