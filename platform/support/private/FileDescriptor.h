/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef FILE_DESCRIPTOR_H
#define FILE_DESCRIPTOR_H


#include <unistd.h>


namespace BPrivate {


// Owns a file descriptor (a negative one is none) and closes it when it goes.
class FileDescriptor {
public:
	explicit FileDescriptor(int fd = -1)
		: fFD(fd)
	{
	}
	~FileDescriptor() { Reset(); }

	FileDescriptor(const FileDescriptor&) = delete;
	FileDescriptor& operator=(const FileDescriptor&) = delete;

	FileDescriptor(FileDescriptor&& other)
		: fFD(other.Release())
	{
	}

	FileDescriptor& operator=(FileDescriptor&& other)
	{
		if (this != &other)
			Reset(other.Release());
		return *this;
	}

	int Get() const { return fFD; }

	int Release()
	{
		int fd = fFD;
		fFD = -1;
		return fd;
	}

	void Reset(int fd = -1)
	{
		if (fFD >= 0)
			close(fFD);
		fFD = fd;
	}

private:
	int fFD;
};


} // namespace BPrivate


#endif // FILE_DESCRIPTOR_H
