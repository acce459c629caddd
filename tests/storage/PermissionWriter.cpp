/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// Writes a permission word through a BNode as whoever runs it, and prints the status and errno
// it got, for tests that need the attempt made by another user.

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>

#include <Node.h>


int
main(int argc, char** argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: %s path octal-mode\n", argv[0]);
		return 2;
	}
	BNode node(argv[1]);
	if (node.InitCheck() != B_OK) {
		fprintf(stderr, "%s: can't open: %d\n", argv[1], static_cast<int>(node.InitCheck()));
		return 1;
	}
	mode_t mode = static_cast<mode_t>(strtoul(argv[2], NULL, 8));
	errno = 0;
	status_t status = node.SetPermissions(mode);
	int error = errno;
	printf("%d %d\n", static_cast<int>(status), error);
	return 0;
}
