/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Errors.h>

#include <errno.h>


int
errno_to_status(int error)
{
	switch (error) {
		case 0:
			return B_OK;
		case EPERM:
			return B_NOT_ALLOWED;
		case EACCES:
			return B_PERMISSION_DENIED;
		case ENOENT:
			return B_ENTRY_NOT_FOUND;
		case EROFS:
			return B_READ_ONLY_DEVICE;
		case ENOMEM:
			return B_NO_MEMORY;
		case EINVAL:
			return B_BAD_VALUE;
		case EIO:
			return B_IO_ERROR;
		case EEXIST:
			return B_FILE_EXISTS;
		case EBADF:
			return B_FILE_ERROR;
		case ENAMETOOLONG:
			return B_NAME_TOO_LONG;
		case ENOTDIR:
			return B_NOT_A_DIRECTORY;
		case EISDIR:
			return B_IS_A_DIRECTORY;
		case ENOSPC:
			return B_DEVICE_FULL;
		case ELOOP:
			return B_LINK_LIMIT;
		case EBUSY:
			return B_BUSY;
		case ENOTEMPTY:
			return B_DIRECTORY_NOT_EMPTY;
		case EXDEV:
			return B_CROSS_DEVICE_LINK;
		case EMFILE:
		case ENFILE:
			return B_NO_MORE_FDS;
		case EOPNOTSUPP:
			return B_UNSUPPORTED;
		case EPIPE:
			return B_BUSTED_PIPE;
		case ETIMEDOUT:
			return B_TIMED_OUT;
		case EINTR:
			return B_INTERRUPTED;
		case EAGAIN:
			return B_WOULD_BLOCK;
		default:
			return B_ERROR;
	}
}
