/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef ERROR_ALERT_H
#define ERROR_ALERT_H


// Shows text in the stop alert and returns once the user has dismissed it. Without the memory
// for the alert, the text goes to standard output instead.
void ErrorAlert(const char* text);


#endif // ERROR_ALERT_H
