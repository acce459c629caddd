/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "EditorHarness.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>

#include <Entry.h>


TempFolder::TempFolder()
{
	char path[] = "/tmp/bitgate-test-XXXXXX";
	if (mkdtemp(path) == NULL)
		throw std::runtime_error("mkdtemp failed");
	fPath = path;
	chmod(path, 0755);
}


TempFolder::~TempFolder()
{
	std::error_code error;
	std::filesystem::remove_all(fPath, error);
}


std::string
TempFolder::MakeFile(const std::string& name, mode_t mode) const
{
	std::string path = fPath + "/" + name;
	int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0600);
	if (fd < 0)
		throw std::runtime_error("can't create " + path);
	close(fd);
	if (chmod(path.c_str(), mode) != 0)
		throw std::runtime_error("can't chmod " + path);
	return path;
}


BMessage
refs_message(const std::vector<std::string>& paths)
{
	BMessage message(B_REFS_RECEIVED);
	for (const std::string& path : paths) {
		entry_ref ref;
		if (get_ref_for_path(path.c_str(), &ref) != B_OK)
			throw std::runtime_error("no ref for " + path);
		message.AddRef("refs", &ref);
	}
	return message;
}


mode_t
mode_of(const std::string& path)
{
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		throw std::runtime_error("can't stat " + path);
	return st.st_mode & 07777;
}


struct timespec
change_time_of(const std::string& path)
{
	struct stat st;
	if (lstat(path.c_str(), &st) != 0)
		throw std::runtime_error("can't stat " + path);
	return st.st_ctim;
}


int
count_open_descriptors()
{
	int count = 0;
	DIR* folder = opendir("/proc/self/fd");
	while (dirent* entry = readdir(folder)) {
		if (entry->d_name[0] != '.')
			count++;
	}
	closedir(folder);
	// The folder's own descriptor was open while counting.
	return count - 1;
}


AddOnCall::AddOnCall(process_refs_function function, const BMessage& message)
	: fMessage(message),
	  fReturned(false),
	  fReturnedAt(0)
{
	fThread = std::thread([this, function] {
		entry_ref directory;
		function(directory, &fMessage, NULL);
		fReturnedAt = system_time();
		fReturned = true;
	});
}


AddOnCall::~AddOnCall()
{
	if (!fReturned) {
		BPrivate::ScriptedUser user;
		try {
			close_everything(user);
			WaitReturned(user);
		} catch (const std::exception& error) {
			fprintf(stderr, "process_refs did not return: %s\n", error.what());
			fThread.detach();
			return;
		}
	}
	fThread.join();
}


void
AddOnCall::WaitReturned(const BPrivate::ScriptedUser& user) const
{
	user.WaitFor("process_refs to return", [this] { return Returned(); });
}


OutputCapture::OutputCapture()
{
	fflush(stdout);
	char path[] = "/tmp/bitgate-output-XXXXXX";
	fFile = mkstemp(path);
	unlink(path);
	fSaved = dup(STDOUT_FILENO);
	dup2(fFile, STDOUT_FILENO);
}


OutputCapture::~OutputCapture()
{
	fflush(stdout);
	dup2(fSaved, STDOUT_FILENO);
	close(fSaved);
	close(fFile);
}


std::string
OutputCapture::Text() const
{
	fflush(stdout);
	std::string text;
	char buffer[4096];
	ssize_t length;
	off_t offset = 0;
	while ((length = pread(fFile, buffer, sizeof(buffer), offset)) > 0) {
		text.append(buffer, length);
		offset += length;
	}
	return text;
}


void
press_first_button(const BPrivate::ScriptedUser& user,
	const BPrivate::ScriptedUser::alert_info& alert)
{
	for (const auto& view : user.Display()->Views(alert.window)) {
		if (view.state.kind == BPrivate::VIEW_BUTTON) {
			BPrivate::deliver_click(alert.window, view.id);
			return;
		}
	}
}


void
close_everything(const BPrivate::ScriptedUser& user)
{
	user.WaitFor("every window and alert closed", [&user] {
		for (const auto& alert : user.Alerts())
			press_first_button(user, alert);
		for (const auto& window : user.Windows())
			user.Close(window.id);
		return user.Windows().empty() && user.Alerts().empty();
	});
}


std::string
test_program_path()
{
	char path[4096];
	ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
	path[length > 0 ? length : 0] = '\0';
	return path;
}


std::string
output_of(const std::string& command)
{
	std::string text;
	FILE* output = popen((command + " 2>&1").c_str(), "r");
	if (output == NULL)
		return text;
	char buffer[256];
	while (fgets(buffer, sizeof(buffer), output) != NULL)
		text += buffer;
	pclose(output);
	return text;
}


int
run_child(std::vector<std::string> launcher, const std::string& filter, const char* variable,
	const std::string& value)
{
	pid_t child = fork();
	if (child == 0) {
		setenv(variable, value.c_str(), 1);
		launcher.push_back(test_program_path());
		launcher.push_back("--gtest_filter=" + filter);
		std::vector<char*> arguments;
		for (std::string& argument : launcher)
			arguments.push_back(argument.data());
		arguments.push_back(NULL);
		execvp(arguments[0], arguments.data());
		_exit(127);
	}
	int status;
	waitpid(child, &status, 0);
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}
