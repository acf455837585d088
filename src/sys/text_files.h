// Whole files read and written at once: configuration texts, documents,
// transfer files. A rewrite replaces the old content at once (a new file
// renamed over it); where that cannot be, the old content is kept in the
// product data folder until the rewrite in place has finished, and put
// back at the next start if it was cut off. Paths are Windows paths.
#pragma once

#include <cstdint>

#include "core/dynamic_string.h"

// Status codes of ReadTextFile and WriteTextFile.
enum e_TextFileStatus : int32_t {
    kTextOk = 0,
    kTextNotFound = 1,      // missing, or a folder
    kTextNoAccess = 2,      // cannot be examined for another reason
    kTextCannotOpen = 3,    // for reading
    kTextCannotCreate = 4,  // for writing
    kTextReadFailed = 5,
    kTextWriteFailed = 6,
};

int32_t ReadTextFile(const WChar* path, NString& text);
// Writes the whole text to the file that the path names, following links.
// A file this process may not write (read-only, someone else's) stays as
// it is and gives kTextCannotCreate. The new text replaces the old at once;
// only a file with other hard links, or in a folder that refuses new
// files, is rewritten in place, after a copy of its old content has been
// kept in the product data folder (removed once the write has finished).
int32_t WriteTextFile(const WChar* path, const NString& text);
// The same for any bytes (documents, transfer files).
int32_t WriteWholeFile(const WChar* path, const void* bytes, int64_t n);
// Puts back every file whose rewriting in place was cut off (its kept copy
// is still there); run at start-up, before anything else touches them.
void RestoreKeptCopies();
