/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "DropApplication.h"


int
main(int argc, char** argv, char** envp)
{
	(void)argc;
	(void)argv;
	(void)envp;
	DropApplication application;
	application.Run();
	return 0;
}
