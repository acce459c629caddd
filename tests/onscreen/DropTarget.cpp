/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// A window titled "Drop Target" whose one view prints each message it receives: "what CODE",
// then "ref NAME" per ref or "text BYTES" for dropped text, then "end".

#include <stdio.h>

#include <AppDefs.h>
#include <Application.h>
#include <Entry.h>
#include <Message.h>
#include <TypeConstants.h>
#include <View.h>
#include <Window.h>


namespace {

class PrintingView : public BView {
public:
	PrintingView(BRect frame)
		: BView(frame, "target", B_FOLLOW_ALL, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		uint32 what = message->what;
		printf("what %c%c%c%c\n", static_cast<char>(what >> 24), static_cast<char>(what >> 16),
			static_cast<char>(what >> 8), static_cast<char>(what));
		entry_ref ref;
		for (int32 i = 0; message->FindRef("refs", i, &ref) == B_OK; i++)
			printf("ref %s\n", ref.name);
		const void* data;
		ssize_t size;
		if (message->FindData("text/plain", B_MIME_TYPE, &data, &size) == B_OK)
			printf("text %.*s\n", static_cast<int>(size), static_cast<const char*>(data));
		printf("end\n");
		fflush(stdout);
	}
};


class TargetWindow : public BWindow {
public:
	TargetWindow()
		: BWindow(BRect(100, 100, 399, 299), "Drop Target", B_TITLED_WINDOW, 0)
	{
		AddChild(new PrintingView(Bounds()));
	}

	bool QuitRequested() override
	{
		be_app->PostMessage(B_QUIT_REQUESTED);
		return true;
	}
};

} // namespace


int
main()
{
	BApplication application("application/x-vnd.Bitgate-DropTarget");
	(new TargetWindow())->Show();
	application.Run();
	return 0;
}
