/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _ENTRY_H
#define _ENTRY_H


#include <sys/types.h>

#include <StorageDefs.h>
#include <SupportDefs.h>


// A reference to an entry of the file system: its device, the inode of its folder and its leaf
// name. Linux has no way to open a folder from its device and inode, so a ref also carries the
// absolute path of its folder, and the kits resolve it through that path, checking that the
// folder found there is still the one the ref names. Copies never throw: a copy whose memory
// could not be had has neither name nor path, and nothing opens through it.
//
// The root folder has no folder of its own; its ref names "." in "/" (device and directory are
// those of "/"), which opens the root itself and whose name and path read back as "/". Names are
// bytes and are kept exactly as given.
struct entry_ref {
	entry_ref();
	entry_ref(dev_t device, ino_t directory, const char* name);
	entry_ref(const entry_ref& other);
	~entry_ref();

	entry_ref& operator=(const entry_ref& other);

	status_t set_name(const char* name);
	status_t set_directory_path(const char* path);
	const char* directory_path() const { return fDirectoryPath; }

	bool operator==(const entry_ref& other) const;
	bool operator!=(const entry_ref& other) const { return !(*this == other); }

	dev_t device;
	ino_t directory;
	char* name;

private:
	char* fDirectoryPath;
};


// An entry, named by a ref. Like the platform's own, it may name an entry that does not exist
// (yet): InitCheck() is B_OK as long as the folder of the entry exists.
class BEntry {
public:
	BEntry();
	BEntry(const entry_ref* ref, bool traverse = false);
	BEntry(const char* path, bool traverse = false);
	~BEntry();

	BEntry(const BEntry&) = delete;
	BEntry& operator=(const BEntry&) = delete;

	status_t InitCheck() const;
	status_t SetTo(const entry_ref* ref, bool traverse = false);
	status_t SetTo(const char* path, bool traverse = false);
	void Unset();

	bool Exists() const;
	status_t GetRef(entry_ref* ref) const;
	// Writes the leaf name, at most B_FILE_NAME_LENGTH bytes with its terminating zero.
	status_t GetName(char* buffer) const;
	// Writes the absolute path, at most size bytes with its terminating zero.
	status_t GetPath(char* buffer, size_t size) const;

private:
	entry_ref fRef;
	status_t fCStatus;
};


// Makes a ref for the entry at path, relative to the current folder unless absolute. The leaf is
// not followed: the ref of a symbolic link names the link, and "link/" names the link too, as
// trailing slashes are dropped. The folder part is resolved to its canonical path, and a leaf "."
// or ".." names the folder it leads to. The leaf need not exist; its folder must
// (B_ENTRY_NOT_FOUND, or B_NOT_A_DIRECTORY). B_BAD_VALUE for an empty path, B_NAME_TOO_LONG for a
// leaf of more than B_FILE_NAME_LENGTH - 1 bytes.
status_t get_ref_for_path(const char* path, entry_ref* ref);

// Writes the absolute path of the entry that ref names, at most size bytes with the zero.
// B_BAD_VALUE for a ref without name or folder path, B_NAME_TOO_LONG if the path does not fit.
status_t get_path_for_ref(const entry_ref* ref, char* path, size_t size);


#endif // _ENTRY_H
