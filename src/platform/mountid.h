// Mount identities: which mount an open folder belongs to. A folder bind-mounted from the
// same file system has the device number of its surroundings, so every walk compares mounts,
// not devices, before it enters a folder.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/volumes.h"

namespace roomvale::platform {

// The mount holding the object open as `fd`: the kernel's mount id (statx, STATX_MNT_ID),
// or where the kernel does not give one, the id of the mount that the mount table
// (/proc/self/mountinfo) has for the object's path. 0 when neither answers.
std::uint64_t mountIdOf(int fd);

// The mount of the mount table that holds `path` (absolute): the one with the longest mount
// point that is a prefix of it by whole components, the top one when several are stacked there.
// 0 when the table has none.
std::uint64_t mountIdOfPath(const std::vector<MountInfoEntry>& table, std::string_view path);

// Whether statx's mount id is used (it is when the kernel gives it). Tests switch it off to
// run the mount-table way on any kernel.
bool statxMountIdsEnabled();
void setStatxMountIdsForTesting(bool on);

}  // namespace roomvale::platform
