/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef _NODE_H
#define _NODE_H


#include <Entry.h>
#include <Statable.h>


// An open handle on one node of the file system. It opens the entry itself, without following a
// symbolic link at the leaf, and without side effects on FIFOs or devices; every later read and
// write goes through that handle, so an entry swapped for another file while the node is open
// can't redirect them.
class BNode : public BStatable {
public:
	BNode();
	BNode(const entry_ref* ref);
	BNode(const char* path);
	virtual ~BNode();

	BNode(const BNode&) = delete;
	BNode& operator=(const BNode&) = delete;

	status_t InitCheck() const;
	status_t SetTo(const entry_ref* ref);
	status_t SetTo(const char* path);
	void Unset();

	virtual status_t GetStat(struct stat* st) const;

private:
	virtual status_t get_permissions(const struct stat& st, mode_t* perms) const;
	virtual status_t set_stat(struct stat& st, uint32 what);

	int fFd;
	status_t fCStatus;
};


#endif // _NODE_H
