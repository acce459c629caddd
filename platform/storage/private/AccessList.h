/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _ACCESS_LIST_H
#define _ACCESS_LIST_H


#include <sys/stat.h>


// The permission word of a node with a POSIX access list. Where the list has entries beyond
// owner, owning group and others, the mode's group bits are the list's mask, not what the owning
// group may do; these functions read and write the word as what the owner, the owning group and
// others really may do, and leave every named user and named group the access it has.
// Both work on the node open on fd (an O_PATH descriptor) through /proc/self/fd, never through a
// name. They return 0 or the system's error.
namespace BPrivate {

// The nine bits as the owner, the owning group (its own entry narrowed by the mask) and others may
// use the node, with setuid, setgid and sticky from st, the node's status.
[[nodiscard]] int get_access(int fd, const struct stat& st, mode_t* _perms);

// Gives the owner, the owning group and others exactly the nine bits of perms, and the node the
// setuid, setgid and sticky bits of perms. Named users and groups keep the access they had: the
// mask is made the union of what all of them may do, and a named entry loses the bits it would
// gain by that. A node without such entries gets perms as its mode. A folder's default list is
// left alone. Then reads mode and list back through fd: _kept tells whether they are as written.
[[nodiscard]] int set_access(int fd, mode_t perms, bool* _kept);

} // namespace BPrivate


#endif // _ACCESS_LIST_H
