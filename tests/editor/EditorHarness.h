/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef EDITOR_HARNESS_H
#define EDITOR_HARNESS_H


#include <sys/stat.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <Message.h>
#include <OS.h>

#include <testing/ScriptedUser.h>


struct entry_ref;

typedef void (*process_refs_function)(entry_ref, BMessage*, void*);


// A folder of its own for a test, removed with everything in it.
class TempFolder {
public:
	TempFolder();
	~TempFolder();

	const std::string& Path() const { return fPath; }
	// Makes a file with the given mode (not masked by the umask) and returns its path.
	std::string MakeFile(const std::string& name, mode_t mode) const;

private:
	std::string fPath;
};


// A refs message with one ref for each path.
BMessage refs_message(const std::vector<std::string>& paths);

mode_t mode_of(const std::string& path);
struct timespec change_time_of(const std::string& path);
int count_open_descriptors();


// process_refs called in a thread of its own, as the file manager calls it.
class AddOnCall {
public:
	AddOnCall(process_refs_function function, const BMessage& message);
	~AddOnCall();

	bool Returned() const { return fReturned.load(); }
	// When process_refs returned, on system_time()'s clock.
	bigtime_t ReturnedAt() const { return fReturnedAt.load(); }
	void WaitReturned(const BPrivate::ScriptedUser& user) const;

private:
	BMessage fMessage;
	std::atomic<bool> fReturned;
	std::atomic<bigtime_t> fReturnedAt;
	std::thread fThread;
};


// Standard output, caught in a file while the object lives.
class OutputCapture {
public:
	OutputCapture();
	~OutputCapture();

	std::string Text() const;

private:
	int fSaved;
	int fFile;
};


// Runs this test program again through launcher (setpriv, unshare), with only the child test
// named filter, and variable set to value for it to find its work; returns the exit status.
int run_child(std::vector<std::string> launcher, const std::string& filter, const char* variable,
	const std::string& value);

// The path of this test program.
std::string test_program_path();

// Runs command in the shell and returns what it wrote, its standard error included.
std::string output_of(const std::string& command);


// Presses the alert's first button, if the alert is still there: one whose showing failed for
// lack of memory goes by itself.
void press_first_button(const BPrivate::ScriptedUser& user,
	const BPrivate::ScriptedUser::alert_info& alert);

// Presses the close box of every window and the button of every alert until none is left.
void close_everything(const BPrivate::ScriptedUser& user);


#endif // EDITOR_HARNESS_H
