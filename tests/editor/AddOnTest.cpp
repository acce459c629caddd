/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The add-on as the file manager loads it: a fresh image, whose cascade starts all zero.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include "EditorHarness.h"


using BPrivate::ScriptedUser;


TEST(AddOnTest, FirstWindowOfAFreshAddOnFallsBackToHome)
{
	void* image = dlopen(BITGATE_ADDON, RTLD_NOW | RTLD_LOCAL);
	ASSERT_NE(image, nullptr) << dlerror();
	auto function = reinterpret_cast<process_refs_function>(dlsym(image, "process_refs"));
	ASSERT_NE(function, nullptr);

	ScriptedUser user;
	TempFolder folder;
	std::string first = folder.MakeFile("first", 0644);
	std::string second = folder.MakeFile("second", 0644);
	const std::string line = "Hey: _offset was [ 0, 0 ], [ 0, 0 ], I must be on R3 (x86).\n";

	OutputCapture output;
	{
		AddOnCall call(function, refs_message({first, second}));
		auto windows = user.WaitForWindowCount(2);
		EXPECT_EQ(windows[0].state.frame.LeftTop(), BPoint(50, 50));
		EXPECT_EQ(windows[1].state.frame.LeftTop(), BPoint(64, 64));
		close_everything(user);
		call.WaitReturned(user);
	}
	{
		AddOnCall call(function, refs_message({second}));
		auto window = user.WaitForWindow("second");
		EXPECT_EQ(window.state.frame.LeftTop(), BPoint(50, 50));
		close_everything(user);
		call.WaitReturned(user);
	}
	EXPECT_EQ(output.Text(), line);
}


TEST(AddOnTest, ExportsProcessRefsAlone)
{
	void* image = dlopen(BITGATE_ADDON, RTLD_NOW | RTLD_LOCAL);
	ASSERT_NE(image, nullptr) << dlerror();
	EXPECT_NE(dlsym(image, "process_refs"), nullptr);
	for (const char* hidden : {"_offset", "_windowCount", "_Z10ErrorAlertPKc"})
		EXPECT_EQ(dlsym(image, hidden), nullptr) << hidden;
}
