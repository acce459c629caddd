/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <Application.h>

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <unistd.h>

#include <mutex>
#include <new>
#include <string>
#include <vector>

#include <Entry.h>

#include <app/private/LaunchArguments.h>
#include <app/private/SingleLaunch.h>
#include <storage/private/ResourceFile.h>
#include <storage/private/UriList.h>
#include <support/private/ProgramName.h>
#include <support/private/TextEscape.h>


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


std::string
program_name(const std::vector<std::string>& arguments)
{
	if (arguments.empty())
		return "application";
	return BPrivate::program_name(arguments[0]);
}


std::string
program_name()
{
	return program_name(BPrivate::launch_arguments());
}


// The items the program was started with, as a file manager's "Open With" passes them: paths or
// file: URIs. An item that names no existing local entry is reported and left out.
void
add_argument_refs(BMessage* message)
{
	std::vector<std::string> arguments = BPrivate::launch_arguments();
	std::string program = program_name(arguments);
	for (size_t i = 1; i < arguments.size(); i++) {
		std::string path;
		entry_ref ref;
		status_t status = BPrivate::path_for_item(arguments[i].c_str(), &path);
		if (status == B_OK)
			status = get_ref_for_path(path.c_str(), &ref);
		if (status == B_OK && !BEntry(&ref).Exists())
			status = B_ENTRY_NOT_FOUND;
		if (status == B_OK)
			status = message->AddRef("refs", &ref);
		if (status != B_OK) {
			fprintf(stderr, "%s: leaving out \"%s\": %s\n", program.c_str(),
				BPrivate::escaped_text(arguments[i].c_str()).c_str(),
				strerror(status == B_ENTRY_NOT_FOUND ? ENOENT : EINVAL));
		}
	}
}

// What every application needs of its process before it does anything: each debugging line
// reaches standard output when it is printed, also into a pipe or a file, so that a program
// killed keeps what it said; and as many descriptors as the system lets it have, one for each
// node of an open window.
void
set_up_process()
{
	setvbuf(stdout, NULL, _IOLBF, 0);
	struct rlimit limit;
	if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
		limit.rlim_cur = limit.rlim_max;
		setrlimit(RLIMIT_NOFILE, &limit);
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
	  fInitStatus(B_OK),
	  fAppFlags(B_MULTIPLE_LAUNCH)
{
	if (be_app != NULL) {
		fprintf(stderr, "BApplication: an application object exists already\n");
		fInitStatus = B_NOT_ALLOWED;
		return;
	}
	be_app = this;
	set_up_process();
	_ReadOwnRecords();
	uint32 launch = fAppFlags & B_LAUNCH_MASK;
	if (launch == B_SINGLE_LAUNCH || launch == B_EXCLUSIVE_LAUNCH)
		_LaunchOnce();
}


BApplication::~BApplication()
{
	fLaunchServer.reset();
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
	if (fArgumentRefs == NULL) {
		fArgumentRefs.reset(new (std::nothrow) BMessage(B_REFS_RECEIVED));
		if (fArgumentRefs != NULL)
			add_argument_refs(fArgumentRefs.get());
	}
	if (fArgumentRefs != NULL && !fArgumentRefs->IsEmpty())
		PostMessage(fArgumentRefs.get());
	fArgumentRefs.reset();
	PostMessage(B_READY_TO_RUN);
	// Files of later starts queue up behind those of this one.
	if (fLaunchServer != NULL && fLaunchServer->Start(this) != B_OK)
		fLaunchServer.reset();
	RunInCallingThread();
	fLaunchServer.reset();
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
BApplication::_ReadOwnRecords()
{
	std::vector<BPrivate::resource_record> records;
	status_t status = BPrivate::read_resources("/proc/self/exe", &records);
	if (status == B_BAD_DATA) {
		fprintf(stderr, "%s: the records of the executable are damaged\n", program_name().c_str());
		return;
	}
	if (status != B_OK)
		return;

	const BPrivate::resource_record* record
		= BPrivate::find_resource(records, B_MIME_STRING_TYPE, 1);
	if (record != NULL) {
		std::string recorded(record->data.begin(), record->data.end());
		recorded.resize(strnlen(recorded.c_str(), recorded.size()));
		if (recorded != fSignature) {
			fprintf(stderr, "%s: the signature \"%s\" differs from \"%s\" in BEOS:APP_SIG\n",
				program_name().c_str(), fSignature.c_str(), recorded.c_str());
		}
	}
	record = BPrivate::find_resource(records, 'APPF', 1);
	if (record != NULL && record->data.size() == 4) {
		fAppFlags = uint32(record->data[0]) | uint32(record->data[1]) << 8
			| uint32(record->data[2]) << 16 | uint32(record->data[3]) << 24;
	}
}


void
BApplication::_LaunchOnce()
{
	std::string program = program_name();
	std::string path;
	status_t status = BPrivate::launch_socket_path(fSignature.c_str(), &path);
	if (status == B_OK) {
		fArgumentRefs.reset(new (std::nothrow) BMessage(B_REFS_RECEIVED));
		if (fArgumentRefs == NULL)
			return;
		add_argument_refs(fArgumentRefs.get());
		status = BPrivate::launch_or_hand_over(path.c_str(), *fArgumentRefs, &fLaunchServer);
	}
	if (status == B_OK && fLaunchServer == NULL) {
		// The running instance has the files now; this start is done.
		fflush(NULL);
		exit(0);
	}
	if (status != B_OK) {
		const char* reason = status == B_NOT_ALLOWED ? "its socket is another user's"
			: status == B_TIMED_OUT					 ? "it doesn't answer"
			: status == B_PERMISSION_DENIED			 ? "the socket's folder is not private"
													 : "its socket can't be used";
		fprintf(stderr, "%s: can't reach a running instance (%s), so this one runs alone\n",
			program.c_str(), reason);
	}
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
