/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include "ErrorAlert.h"

#include <stdio.h>

#include <new>

#include <Alert.h>


void
ErrorAlert(const char* text)
{
	try {
		BAlert* alert
			= new BAlert("Bitgate Error", text, "Dang", NULL, NULL, B_WIDTH_AS_USUAL, B_STOP_ALERT);
		alert->Go();
	} catch (const std::bad_alloc&) {
		printf("aieee... - %s\n", text);
	}
}
