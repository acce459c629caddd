/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// Bitwell on the headless display: its application runs in a thread of the test, as main would
// run it, and a scripted user works its windows.
#include <atomic>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include <Application.h>

#include <app/private/LaunchArguments.h>

#include "DropApplication.h"
#include "EditorHarness.h"


using BPrivate::ScriptedUser;


namespace {

class DropAppTest : public testing::Test {
protected:
	void TearDown() override
	{
		if (fThread.joinable()) {
			close_everything(fUser);
			fUser.WaitFor("the application to end", [this] { return fEnded.load(); });
			fThread.join();
		}
	}

	// Starts Bitwell as if with these items on its command line.
	ScriptedUser::window_info Start(const std::vector<std::string>& items = {})
	{
		std::vector<std::string> arguments{"Bitwell"};
		arguments.insert(arguments.end(), items.begin(), items.end());
		BPrivate::set_launch_arguments(arguments);
		fThread = std::thread([this] {
			DropApplication application;
			application.Run();
			fEnded = true;
		});
		return fUser.WaitForWindow("Drop");
	}

	std::string ViewText(const ScriptedUser::window_info& window) const
	{
		auto view = fUser.FindView(window.id, "myView");
		return view ? fUser.StateOf(*view).label : "(no view)";
	}

	ScriptedUser fUser;
	TempFolder fFolder;
	std::thread fThread;
	std::atomic<bool> fEnded{false};
};

} // namespace


TEST_F(DropAppTest, ShowsItsWindowAndReproachesAClick)
{
	auto window = Start();
	EXPECT_EQ(window.state.frame, BRect(100, 80, 300, 120));
	auto view = fUser.FindView(window.id, "myView");
	ASSERT_TRUE(view.has_value());
	EXPECT_EQ(view->state.label, "Drag a file to me");
	EXPECT_TRUE(view->state.font.bold);
	EXPECT_EQ(view->state.font.size, 24);
	EXPECT_EQ(view->state.frame, BRect(0, 0, 200, 40));

	fUser.ClickView(window.id, BPoint(20, 20));
	fUser.WaitFor("the reproach", [&] { return ViewText(window) == "Don't click, drag!"; });
}


TEST_F(DropAppTest, ADropOpensAWindowPerFileAndShowsTheFirstName)
{
	auto window = Start();
	std::vector<std::string> paths;
	for (const char* name : {"first", "second", "third"})
		paths.push_back(fFolder.MakeFile(name, 0640));
	std::string output;
	{
		OutputCapture capture;
		fUser.Drop(window.id, BPoint(50, 20), paths);
		auto windows = fUser.WaitForWindowCount(4);
		EXPECT_EQ(windows[1].state.title, "first");
		EXPECT_EQ(windows[3].state.title, "third");
		for (size_t i = 1; i < windows.size(); i++)
			fUser.Close(windows[i].id);
		fUser.WaitForWindowCount(1);
		fUser.WaitFor("the first name", [&] { return ViewText(window) == "first"; });
		output = capture.Text();
	}
	EXPECT_EQ(output.rfind("DropView's PrintToStream()\nBMessage: what = DATA", 0), 0u) << output;
	EXPECT_NE(output.find("c=3"), std::string::npos) << output;
}


TEST_F(DropAppTest, OtherMessagesAreOnlyPrinted)
{
	auto window = Start();
	BMessage text(B_MIME_DATA);
	text.AddString("text/plain", "hello");
	BMessage dataWithoutRefs(B_SIMPLE_DATA);
	dataWithoutRefs.AddString("name", "nothing");
	std::string output;
	{
		OutputCapture capture;
		fUser.Drop(window.id, BPoint(10, 10), text);
		fUser.Drop(window.id, BPoint(10, 10), dataWithoutRefs);
		fUser.WaitFor("both dumps",
			[&] { return capture.Text().find("entry           name") != std::string::npos; });
		output = capture.Text();
	}
	EXPECT_EQ(output.rfind("DropView's PrintToStream()\nBMessage: what = MIME", 0), 0u) << output;
	EXPECT_NE(output.find("DropView's PrintToStream()\nBMessage: what = DATA"), std::string::npos);
	EXPECT_EQ(ViewText(window), "Drag a file to me");
	EXPECT_EQ(fUser.Windows().size(), 1u);
}


TEST_F(DropAppTest, ClosingTheWindowEndsTheApplicationOnceItsWindowsAreClosed)
{
	auto window = Start();
	std::string path = fFolder.MakeFile("open", 0600);
	fUser.Drop(window.id, BPoint(50, 20), {path});
	auto permissions = fUser.WaitForWindow("open");
	// The drop window is inside process_refs: the close waits in its queue.
	fUser.Close(window.id);
	EXPECT_FALSE(fEnded.load());
	EXPECT_EQ(fUser.Windows().size(), 2u);
	fUser.Close(permissions.id);
	fUser.WaitFor("the application to end", [this] { return fEnded.load(); });
	// The drop window goes in its own thread, which may finish after the application's.
	fUser.WaitForNoWindows();
}


TEST_F(DropAppTest, StartedWithFilesItOpensTheFirstAlone)
{
	std::vector<std::string> paths;
	for (const char* name : {"a", "b", "c"})
		paths.push_back(fFolder.MakeFile(name, 0644));
	std::string output;
	{
		OutputCapture capture;
		auto window = Start(paths);
		fUser.WaitForWindow("a");
		fUser.WaitFor("the name in the view", [&] { return ViewText(window) == "a"; });
		EXPECT_EQ(fUser.Windows().size(), 2u);
		output = capture.Text();
	}
	EXPECT_EQ(output.rfind("My PrintToStream():\nBMessage: what = _RRC", 0), 0u) << output;
	EXPECT_NE(output.find("Your PrintToStream():\nBMessage: what = DATA"), std::string::npos);
}


TEST_F(DropAppTest, AFileOpenedMeanwhileWaitsForTheEarlierWindows)
{
	auto window = Start();
	std::string earlier = fFolder.MakeFile("earlier", 0644);
	std::string later = fFolder.MakeFile("later", 0644);
	fUser.Drop(window.id, BPoint(50, 20), {earlier});
	auto first = fUser.WaitForWindow("earlier");

	OutputCapture capture;
	BMessage opened = refs_message({later});
	be_app->PostMessage(&opened);
	// The application reached the drop window's lock and waits there.
	fUser.WaitFor("the application at the lock",
		[&] { return capture.Text().find("Your PrintToStream():") != std::string::npos; });
	EXPECT_EQ(fUser.Windows().size(), 2u);
	fUser.Close(first.id);
	auto second = fUser.WaitForWindow("later");
	EXPECT_EQ(second.state.frame.LeftTop(), BPoint(50, 50));
}


TEST_F(DropAppTest, AFileWaitingForAWindowThatQuitsIsDroppedAndTheApplicationEnds)
{
	auto window = Start();
	std::string earlier = fFolder.MakeFile("earlier", 0644);
	std::string later = fFolder.MakeFile("later", 0644);
	fUser.Drop(window.id, BPoint(50, 20), {earlier});
	auto first = fUser.WaitForWindow("earlier");

	OutputCapture capture;
	BMessage opened = refs_message({later});
	be_app->PostMessage(&opened);
	fUser.WaitFor("the application at the lock",
		[&] { return capture.Text().find("Your PrintToStream():") != std::string::npos; });
	// The drop window is asked to close while the application waits for its lock; it quits as
	// soon as its permissions window is gone, and the application's wait ends with it.
	fUser.Close(window.id);
	fUser.Close(first.id);
	fUser.WaitFor("the application to end", [this] { return fEnded.load(); });
	fUser.WaitForNoWindows();
	EXPECT_EQ(capture.Text().find("DropView's PrintToStream()"), std::string::npos)
		<< capture.Text();
}


TEST_F(DropAppTest, AnItemThatNamesNothingIsLeftOutNotAlerted)
{
	std::string missing = fFolder.Path() + "/missing";
	std::string present = fFolder.MakeFile("present", 0644);
	auto window = Start({missing, present});
	// The first item that exists is the one forwarded; the missing one makes no alert.
	fUser.WaitForWindow("present");
	fUser.WaitFor("the name in the view", [&] { return ViewText(window) == "present"; });
	EXPECT_TRUE(fUser.Alerts().empty());
	EXPECT_EQ(fUser.Windows().size(), 2u);
}
