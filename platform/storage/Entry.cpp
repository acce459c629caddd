/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Entry.h>

#include <errno.h>
#include <limits.h>
#include <memory>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>


namespace {


struct FreeDeleter {
	void operator()(char* memory) const { free(memory); }
};

typedef std::unique_ptr<char, FreeDeleter> MallocString;

// Room for a canonical folder path, a slash, a leaf and the zero.
const size_t kFullPathLength = PATH_MAX + B_FILE_NAME_LENGTH + 1;


// The name a ref shows: its own, or for "." the last component of its folder ("/" at the root).
const char*
shown_name(const entry_ref& ref)
{
	if (strcmp(ref.name, ".") != 0)
		return ref.name;
	const char* folder = ref.directory_path();
	const char* slash = strrchr(folder, '/');
	if (slash == NULL || slash[1] == '\0')
		return "/";
	return slash + 1;
}


/*!	Fills ref with the folder at the canonical path folder, and name.
	Returns B_OK, B_NOT_A_DIRECTORY, B_NO_MEMORY or the status for stat's error.
*/
[[nodiscard]] status_t
make_ref(const char* folder, const char* name, entry_ref* ref)
{
	struct stat st;
	if (stat(folder, &st) != 0)
		return errno_to_status(errno);
	if (!S_ISDIR(st.st_mode))
		return B_NOT_A_DIRECTORY;

	entry_ref result(st.st_dev, st.st_ino, name);
	if (result.name == NULL || result.set_directory_path(folder) != B_OK)
		return B_NO_MEMORY;
	*ref = result;
	if (ref->name == NULL || ref->directory_path() == NULL)
		return B_NO_MEMORY;
	return B_OK;
}


/*!	Makes the ref of a path that is already canonical: its last component in the folder before.
	Returns the codes of make_ref().
*/
[[nodiscard]] status_t
ref_for_canonical_path(char* path, entry_ref* ref)
{
	if (strcmp(path, "/") == 0)
		return make_ref("/", ".", ref);
	char* slash = strrchr(path, '/');
	if (slash == NULL)
		return B_BAD_VALUE;
	const char* name = slash + 1;
	if (slash == path)
		return make_ref("/", name, ref);
	*slash = '\0';
	return make_ref(path, name, ref);
}


} // namespace


// #pragma mark - entry_ref


entry_ref::entry_ref()
	: device(-1),
	  directory(static_cast<ino_t>(-1)),
	  name(NULL),
	  fDirectoryPath(NULL)
{
}


entry_ref::entry_ref(dev_t device, ino_t directory, const char* name)
	: device(device),
	  directory(directory),
	  name(name != NULL ? strdup(name) : NULL),
	  fDirectoryPath(NULL)
{
}


entry_ref::entry_ref(const entry_ref& other)
	: device(other.device),
	  directory(other.directory),
	  name(NULL),
	  fDirectoryPath(NULL)
{
	*this = other;
}


entry_ref::~entry_ref()
{
	free(name);
	free(fDirectoryPath);
}


entry_ref&
entry_ref::operator=(const entry_ref& other)
{
	if (this == &other)
		return *this;

	char* newName = other.name != NULL ? strdup(other.name) : NULL;
	char* newPath = other.fDirectoryPath != NULL ? strdup(other.fDirectoryPath) : NULL;
	if ((other.name != NULL && newName == NULL)
		|| (other.fDirectoryPath != NULL && newPath == NULL)) {
		// Half a copy would name some other entry; leave nothing to open instead.
		free(newName);
		free(newPath);
		newName = NULL;
		newPath = NULL;
	}

	free(name);
	free(fDirectoryPath);
	device = other.device;
	directory = other.directory;
	name = newName;
	fDirectoryPath = newPath;
	return *this;
}


status_t
entry_ref::set_name(const char* newName)
{
	char* copy = NULL;
	if (newName != NULL) {
		copy = strdup(newName);
		if (copy == NULL)
			return B_NO_MEMORY;
	}
	free(name);
	name = copy;
	return B_OK;
}


status_t
entry_ref::set_directory_path(const char* path)
{
	char* copy = NULL;
	if (path != NULL) {
		copy = strdup(path);
		if (copy == NULL)
			return B_NO_MEMORY;
	}
	free(fDirectoryPath);
	fDirectoryPath = copy;
	return B_OK;
}


bool
entry_ref::operator==(const entry_ref& other) const
{
	if (device != other.device || directory != other.directory)
		return false;
	if (name == NULL || other.name == NULL)
		return name == other.name;
	return strcmp(name, other.name) == 0;
}


// #pragma mark - BEntry


BEntry::BEntry()
	: fCStatus(B_NO_INIT)
{
}


BEntry::BEntry(const entry_ref* ref, bool traverse)
	: fCStatus(B_NO_INIT)
{
	SetTo(ref, traverse);
}


BEntry::BEntry(const char* path, bool traverse)
	: fCStatus(B_NO_INIT)
{
	SetTo(path, traverse);
}


BEntry::~BEntry()
{
}


status_t
BEntry::InitCheck() const
{
	return fCStatus;
}


status_t
BEntry::SetTo(const entry_ref* ref, bool traverse)
{
	Unset();
	if (ref == NULL || ref->name == NULL || ref->name[0] == '\0' || strchr(ref->name, '/') != NULL
		|| ref->directory_path() == NULL) {
		return fCStatus = B_BAD_VALUE;
	}

	// The folder path is only a way to reach the folder; a ref whose folder was moved away and
	// replaced must not quietly name an entry of the newcomer.
	struct stat st;
	if (stat(ref->directory_path(), &st) != 0)
		return fCStatus = errno_to_status(errno);
	if (!S_ISDIR(st.st_mode) || st.st_dev != ref->device || st.st_ino != ref->directory)
		return fCStatus = B_ENTRY_NOT_FOUND;

	char path[kFullPathLength];
	status_t status = get_path_for_ref(ref, path, sizeof(path));
	if (status != B_OK)
		return fCStatus = status;

	if (traverse && lstat(path, &st) == 0 && S_ISLNK(st.st_mode)) {
		MallocString target(realpath(path, NULL));
		if (target == NULL)
			return fCStatus = errno_to_status(errno);
		status = ref_for_canonical_path(target.get(), &fRef);
		if (status != B_OK) {
			Unset();
			return fCStatus = status;
		}
		return fCStatus = B_OK;
	}

	fRef = *ref;
	if (fRef.name == NULL || fRef.directory_path() == NULL) {
		Unset();
		return fCStatus = B_NO_MEMORY;
	}
	return fCStatus = B_OK;
}


status_t
BEntry::SetTo(const char* path, bool traverse)
{
	Unset();
	entry_ref ref;
	status_t status = get_ref_for_path(path, &ref);
	if (status != B_OK)
		return fCStatus = status;
	return SetTo(&ref, traverse);
}


void
BEntry::Unset()
{
	fRef = entry_ref();
	fCStatus = B_NO_INIT;
}


bool
BEntry::Exists() const
{
	if (fCStatus != B_OK)
		return false;
	char path[kFullPathLength];
	if (get_path_for_ref(&fRef, path, sizeof(path)) != B_OK)
		return false;
	struct stat st;
	return lstat(path, &st) == 0;
}


status_t
BEntry::GetRef(entry_ref* ref) const
{
	if (fCStatus != B_OK)
		return B_NO_INIT;
	if (ref == NULL)
		return B_BAD_VALUE;
	*ref = fRef;
	if (ref->name == NULL || ref->directory_path() == NULL)
		return B_NO_MEMORY;
	return B_OK;
}


status_t
BEntry::GetName(char* buffer) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	if (fCStatus != B_OK)
		return B_NO_INIT;
	const char* name = shown_name(fRef);
	size_t length = strlen(name);
	if (length >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;
	memcpy(buffer, name, length + 1);
	return B_OK;
}


status_t
BEntry::GetPath(char* buffer, size_t size) const
{
	if (buffer == NULL)
		return B_BAD_VALUE;
	if (fCStatus != B_OK)
		return B_NO_INIT;
	return get_path_for_ref(&fRef, buffer, size);
}


// #pragma mark - functions


status_t
get_ref_for_path(const char* path, entry_ref* ref)
{
	if (path == NULL || ref == NULL || path[0] == '\0')
		return B_BAD_VALUE;

	size_t length = strlen(path);
	while (length > 1 && path[length - 1] == '/')
		length--;
	MallocString copy(strndup(path, length));
	if (copy == NULL)
		return B_NO_MEMORY;

	char* slash = strrchr(copy.get(), '/');
	const char* leaf = slash != NULL ? slash + 1 : copy.get();

	// "." and ".." (and the root, whose leaf is empty) stand for a folder that has a name of its
	// own only once the whole path is resolved.
	if (leaf[0] == '\0' || strcmp(leaf, ".") == 0 || strcmp(leaf, "..") == 0) {
		MallocString resolved(realpath(copy.get(), NULL));
		if (resolved == NULL)
			return errno_to_status(errno);
		return ref_for_canonical_path(resolved.get(), ref);
	}

	if (strlen(leaf) >= B_FILE_NAME_LENGTH)
		return B_NAME_TOO_LONG;

	const char* folder = ".";
	if (slash == copy.get())
		folder = "/";
	else if (slash != NULL) {
		*slash = '\0';
		folder = copy.get();
	}

	MallocString resolvedFolder(realpath(folder, NULL));
	if (resolvedFolder == NULL)
		return errno_to_status(errno);
	return make_ref(resolvedFolder.get(), leaf, ref);
}


status_t
get_path_for_ref(const entry_ref* ref, char* path, size_t size)
{
	if (ref == NULL || path == NULL || size == 0 || ref->name == NULL || ref->name[0] == '\0'
		|| ref->directory_path() == NULL || ref->directory_path()[0] == '\0') {
		return B_BAD_VALUE;
	}

	const char* folder = ref->directory_path();
	const char* name = strcmp(ref->name, ".") == 0 ? "" : ref->name;
	size_t folderLength = strlen(folder);
	size_t nameLength = strlen(name);
	bool needsSlash = nameLength > 0 && folder[folderLength - 1] != '/';
	size_t length = folderLength + (needsSlash ? 1 : 0) + nameLength;
	if (length >= size)
		return B_NAME_TOO_LONG;

	memcpy(path, folder, folderLength);
	if (needsSlash)
		path[folderLength++] = '/';
	memcpy(path + folderLength, name, nameLength + 1);
	return B_OK;
}
