// platform/write_access.h: whether an existing file may be replaced by a writer that must not
// override its protection.
#pragma once

#include <string>

// True when a file exists at path and is protected from writing: its permission bits let nobody
// write it (the read-only attribute of other systems), or this process may not write it. False
// when nothing is at path.
bool IsReadOnlyFile(const std::string& path);
