/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef TEMP_FOLDER_H
#define TEMP_FOLDER_H


#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>


// A fresh folder under /tmp, known by its canonical path, removed with all it holds at the end.
// clang-format off
class TempFolder {
public:
								TempFolder();
								~TempFolder();

								TempFolder(const TempFolder&) = delete;
			TempFolder&			operator=(const TempFolder&) = delete;

			bool				IsValid() const { return !fPath.empty(); }
			const std::string&	Path() const { return fPath; }
			std::string			operator/(const std::string& name) const
									{ return fPath + "/" + name; }

			// Creates a regular file with exactly this mode, whatever the umask.
			bool				MakeFile(const std::string& name, mode_t mode = 0644) const;

private:
	static	int					_Remove(const char* path, const struct stat* st, int type,
									struct FTW* walk);

			std::string			fPath;
};
// clang-format on


inline TempFolder::TempFolder()
{
	char pattern[] = "/tmp/storage_test.XXXXXX";
	if (mkdtemp(pattern) == NULL)
		return;
	char* canonical = realpath(pattern, NULL);
	if (canonical != NULL)
		fPath = canonical;
	free(canonical);
}


inline TempFolder::~TempFolder()
{
	if (!fPath.empty())
		nftw(fPath.c_str(), _Remove, 16, FTW_DEPTH | FTW_PHYS);
}


inline bool
TempFolder::MakeFile(const std::string& name, mode_t mode) const
{
	std::string path = *this / name;
	int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
	if (fd < 0)
		return false;
	close(fd);
	return chmod(path.c_str(), mode) == 0;
}


inline int
TempFolder::_Remove(const char* path, const struct stat*, int, struct FTW*)
{
	remove(path);
	return 0;
}


#endif // TEMP_FOLDER_H
