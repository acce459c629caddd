/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Application.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include <Entry.h>

#include <app/private/LaunchArguments.h>
#include <display/UriList.h>


BApplication* be_app = NULL;


namespace {

std::mutex sArgumentsLock;
std::vector<std::string>* sArguments = NULL;


// The program's arguments, read back from the kernel: the application object is not given them.
std::vector<std::string>
program_arguments()
{
	std::vector<std::string> arguments;
	int fd = open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return arguments;
	std::string text;
	char buffer[4096];
	ssize_t length;
	while ((length = read(fd, buffer, sizeof(buffer))) > 0)
		text.append(buffer, length);
	close(fd);
	for (size_t start = 0; start < text.size();) {
		size_t end = text.find('\0', start);
		if (end == std::string::npos)
			end = text.size();
		arguments.push_back(text.substr(start, end - start));
		start = end + 1;
	}
	return arguments;
}


// The items the program was started with, as a file manager's "Open With" passes them: paths or
// file: URIs. An item that names no local entry is reported and left out.
void
add_argument_refs(BMessage* message)
{
	std::vector<std::string> arguments = BPrivate::launch_arguments();
	const char* program = arguments.empty() ? "application" : arguments[0].c_str();
	if (const char* slash = strrchr(program, '/'))
		program = slash + 1;
	for (size_t i = 1; i < arguments.size(); i++) {
		std::string path;
		entry_ref ref;
		status_t status = BPrivate::path_for_item(arguments[i].c_str(), &path);
		if (status == B_OK)
			status = get_ref_for_path(path.c_str(), &ref);
		if (status == B_OK)
			status = message->AddRef("refs", &ref);
		if (status != B_OK) {
			fprintf(stderr, "%s: leaving out \"%s\": %s\n", program, arguments[i].c_str(),
				strerror(status == B_ENTRY_NOT_FOUND ? ENOENT : EINVAL));
		}
	}
}

} // namespace


std::vector<std::string>
BPrivate::launch_arguments()
{
	std::lock_guard<std::mutex> guard(sArgumentsLock);
	if (sArguments != NULL)
		return *sArguments;
	return program_arguments();
}


void
BPrivate::set_launch_arguments(const std::vector<std::string>& arguments)
{
	std::lock_guard<std::mutex> guard(sArgumentsLock);
	delete sArguments;
	sArguments = new std::vector<std::string>(arguments);
}


BApplication::BApplication(const char* signature)
	: BLooper(signature),
	  fSignature(signature != NULL ? signature : ""),
	  fInitStatus(B_OK)
{
	if (be_app != NULL) {
		fprintf(stderr, "BApplication: an application object exists already\n");
		fInitStatus = B_NOT_ALLOWED;
		return;
	}
	be_app = this;
}


BApplication::~BApplication()
{
	if (be_app == this)
		be_app = NULL;
}


status_t
BApplication::InitCheck() const
{
	return fInitStatus;
}


const char*
BApplication::Signature() const
{
	return fSignature.c_str();
}


thread_id
BApplication::Run()
{
	// Files the program was started with arrive first, once the constructors have all run.
	BMessage refs(B_REFS_RECEIVED);
	add_argument_refs(&refs);
	if (!refs.IsEmpty())
		PostMessage(&refs);
	PostMessage(B_READY_TO_RUN);
	RunInCallingThread();
	return B_OK;
}


void
BApplication::Quit()
{
	// The application object belongs to main: quitting ends the loop but deletes nothing.
	if (IsRunning() && find_thread(NULL) == Thread()) {
		BLooper::Quit();
		return;
	}
	PostMessage(B_QUIT_REQUESTED);
	Unlock();
}


bool
BApplication::QuitRequested()
{
	return true;
}


void
BApplication::ReadyToRun()
{
}


void
BApplication::RefsReceived(BMessage* message)
{
	(void)message;
}


void
BApplication::ArgvReceived(int32 argc, char** argv)
{
	(void)argc;
	(void)argv;
}


void
BApplication::MessageReceived(BMessage* message)
{
	BLooper::MessageReceived(message);
}


void
BApplication::DispatchMessage(BMessage* message, BHandler* handler)
{
	if (handler == this) {
		switch (message->what) {
			case B_READY_TO_RUN:
				ReadyToRun();
				return;
			case B_REFS_RECEIVED:
				RefsReceived(message);
				return;
		}
	}
	BLooper::DispatchMessage(message, handler);
}
