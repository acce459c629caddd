/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef DROP_APPLICATION_H
#define DROP_APPLICATION_H


#include <Application.h>

#include "DropWindow.h"


// Opens the drop window, and hands the first file the application is opened with to the drop
// view as if it had been dropped there.
class DropApplication : public BApplication {
public:
	DropApplication();
	virtual ~DropApplication();

	virtual void RefsReceived(BMessage* message);

private:
	// Deleted by the platform when the window quits.
	DropWindow* fWindow;
};


#endif // DROP_APPLICATION_H
