// The elevated service is not part of this build yet: every request fails,
// so an access-denied operation fails cleanly.
#include "sys/admin_client.h"

bool EnsureService() { return false; }
bool AdminCreateFolder(const WChar*) { return EnsureService() && false; }
bool AdminRemoveFolder(const WChar*) { return EnsureService() && false; }
bool AdminCopyFile(const WChar*, const WChar*) { return EnsureService() && false; }
bool AdminDeleteFile(const WChar*) { return EnsureService() && false; }
