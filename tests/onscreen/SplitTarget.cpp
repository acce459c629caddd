/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */

// A window titled "Split Target", 300 x 100, with two views side by side, "left" and "right",
// 150 wide each. Each prints what lands on it: "NAME drop X Y REFS" for a drop (X, Y in the
// window, REFS the number of refs) and "NAME down X Y" for a click (X, Y in the view). A drop
// on neither says "window drop X Y".

#include <stdio.h>

#include <Application.h>
#include <Message.h>
#include <View.h>
#include <Window.h>


namespace {

void
print_drop(const char* name, BMessage* message)
{
	BPoint where = message->DropPoint();
	type_code type;
	int32 count = 0;
	message->GetInfo("refs", &type, &count);
	printf("%s drop %g %g %d\n", name, where.x, where.y, static_cast<int>(count));
	fflush(stdout);
}


class HalfView : public BView {
public:
	HalfView(BRect frame, const char* name)
		: BView(frame, name, B_FOLLOW_NONE, 0)
	{
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->WasDropped())
			print_drop(Name(), message);
		else
			BView::MessageReceived(message);
	}

	void MouseDown(BPoint where) override
	{
		printf("%s down %g %g\n", Name(), where.x, where.y);
		fflush(stdout);
	}
};


class SplitWindow : public BWindow {
public:
	SplitWindow()
		: BWindow(BRect(100, 100, 399, 199), "Split Target", B_TITLED_WINDOW, 0)
	{
		AddChild(new HalfView(BRect(0, 0, 149, 99), "left"));
		AddChild(new HalfView(BRect(150, 0, 299, 99), "right"));
	}

	void MessageReceived(BMessage* message) override
	{
		if (message->WasDropped())
			print_drop("window", message);
		else
			BWindow::MessageReceived(message);
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
	BApplication application("application/x-vnd.Bitgate-SplitTarget");
	(new SplitWindow())->Show();
	application.Run();
	return 0;
}
