/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// A single-launch application without windows: says "ready" once running, "ref NAME" for each
// file it is handed, and quits when handed a file named "quit". PROBE_SIGNATURE, when set,
// replaces the signature its records carry.

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <Application.h>
#include <Entry.h>
#include <Message.h>


namespace {

class LaunchProbe : public BApplication {
public:
	LaunchProbe(const char* signature)
		: BApplication(signature)
	{
	}

	void ReadyToRun() override
	{
		printf("ready\n");
		fflush(stdout);
	}

	void RefsReceived(BMessage* message) override
	{
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++) {
			printf("ref %s\n", ref.name);
			if (strcmp(ref.name, "quit") == 0)
				PostMessage(B_QUIT_REQUESTED);
		}
		fflush(stdout);
	}
};

} // namespace


int
main()
{
	const char* signature = getenv("PROBE_SIGNATURE");
	LaunchProbe application(signature != NULL ? signature : "application/x-vnd.test-probe");
	application.Run();
	printf("done\n");
	return 0;
}
