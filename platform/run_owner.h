// platform/run_owner.h: which run owns a file of the program's own that a run ended by SIGKILL
// may leave behind (a draft beside an output, the private temporary folder), told by its name:
// the machine, its boot, the process's pid namespace, its id and the moment it started. A later
// run removes such a file only when it can be sure that its owner is gone.
#pragma once

#include <string>
#include <string_view>

// This process as a run owner: "HOST_BOOT_NAMESPACE_PID_START", for a file name. HOST is the
// host name with every character but letters, digits, "." and "-" replaced by "-" (so "_"
// separates the parts), BOOT the first eight hexadecimal digits of the kernel's boot id,
// NAMESPACE the inode of the pid namespace, START the process's start time in clock ticks since
// the boot. The same for the whole life of the process (a worker forked from it has its own).
std::string RunOwnerTag();

// True only when the owner tag names is certainly gone: a run of this host's earlier boot, or
// of this boot and pid namespace whose process no longer runs (its id is free, or taken by a
// process that started at another moment). A tag of another host or pid namespace, one that is
// not a tag, or a process whose start cannot be read counts as alive.
bool IsRunOwnerGone(std::string_view tag);
