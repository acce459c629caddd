/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// run-tracker-addon ADDON [ITEM...]: loads a tracker add-on and calls its process_refs() with
// the items as refs, as the file manager does when one picks the add-on for a selection.

#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <system_error>
#include <thread>

#include <AppDefs.h>
#include <Application.h>
#include <Entry.h>
#include <Message.h>

#include <app/private/LaunchArguments.h>
#include <display/DisplayServer.h>
#include <storage/private/UriList.h>
#include <support/private/TextEscape.h>


namespace {

typedef void (*process_refs_function)(entry_ref directory, BMessage* message, void* reserved);

const char* const kProgram = "run-tracker-addon";


const char*
describe(status_t status)
{
	switch (status) {
		case B_BAD_VALUE:
			return "not a local file";
		case B_ENTRY_NOT_FOUND:
			return "its folder doesn't exist";
		case B_NOT_A_DIRECTORY:
			return "its folder is not a folder";
		case B_NAME_TOO_LONG:
			return "the name is too long";
		case B_NO_MEMORY:
			return "out of memory";
		default:
			return "can't make a ref for it";
	}
}


bool
ref_for_item(const char* item, entry_ref* ref)
{
	std::string path;
	status_t status = BPrivate::path_for_item(item, &path);
	if (status == B_OK)
		status = get_ref_for_path(path.c_str(), ref);
	if (status != B_OK) {
		fprintf(stderr, "%s: leaving out \"%s\": %s\n", kProgram,
			BPrivate::escaped_text(item).c_str(), describe(status));
		return false;
	}
	return true;
}

// A bare name is looked for beside the kits, where add-ons are installed with them. dlopen's own
// search would go by the caller's run path, which an interposed dlopen (a sanitizer's) lacks.
std::string
add_on_path(const char* name)
{
	Dl_info info;
	if (strchr(name, '/') != NULL
		|| dladdr(reinterpret_cast<void*>(&BPrivate::display_server), &info) == 0
		|| info.dli_fname == NULL)
		return name;
	std::string folder = info.dli_fname;
	std::string candidate = folder.substr(0, folder.rfind('/') + 1) + name;
	return access(candidate.c_str(), F_OK) == 0 ? candidate : name;
}

} // namespace


int
main(int argc, char** argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: %s ADDON [ITEM...]\n", kProgram);
		return 2;
	}

	void* addOn = dlopen(add_on_path(argv[1]).c_str(), RTLD_NOW | RTLD_LOCAL);
	if (addOn == NULL) {
		fprintf(stderr, "%s: can't load the add-on: %s\n", kProgram, dlerror());
		return 2;
	}
	auto processRefs = reinterpret_cast<process_refs_function>(dlsym(addOn, "process_refs"));
	if (processRefs == NULL) {
		fprintf(stderr, "%s: %s has no process_refs()\n", kProgram, argv[1]);
		return 2;
	}

	BApplication application("application/x-vnd.Be-TRAK");
	// Opens the display now, so that a process without one says so before anything else.
	BPrivate::display_server()->ScreenFrame();

	BMessage refs(B_REFS_RECEIVED);
	entry_ref directory;
	bool haveDirectory = false;
	for (int i = 2; i < argc; i++) {
		entry_ref ref;
		if (!ref_for_item(argv[i], &ref))
			continue;
		if (refs.AddRef("refs", &ref) != B_OK) {
			fprintf(stderr, "%s: out of memory\n", kProgram);
			return 1;
		}
		if (!haveDirectory && ref.directory_path() != NULL)
			haveDirectory = get_ref_for_path(ref.directory_path(), &directory) == B_OK;
	}
	if (!haveDirectory)
		get_ref_for_path(".", &directory);

	// The add-on runs in a thread of its own, as under the file manager, and may block there
	// until its windows are gone.
	std::thread worker;
	try {
		worker = std::thread([&] {
			processRefs(directory, &refs, NULL);
			be_app->PostMessage(B_QUIT_REQUESTED);
		});
	} catch (const std::system_error& error) {
		fprintf(stderr, "%s: can't start a thread: %s\n", kProgram, error.what());
		return 1;
	}
	// The items are the add-on's, not the application's: it is started with none.
	BPrivate::set_launch_arguments({argv[0]});
	application.Run();
	worker.join();
	return 0;
}
