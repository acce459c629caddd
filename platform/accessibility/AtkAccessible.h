/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#ifndef ATK_ACCESSIBLE_H
#define ATK_ACCESSIBLE_H


#include <string>
#include <vector>

#include <Rect.h>

#include <atk/atk.h>
#include <display/DisplayServer.h>


// Shared by the module's files only: the module exports be_accessibility_run alone.
#pragma GCC visibility push(hidden)


namespace BPrivate {


enum node_kind {
	NODE_ROOT,
	NODE_WINDOW,
	NODE_VIEW
};


// What the tree knows of one object; the ATK object points to it while the object is in the
// tree.
struct accessible_node {
	AtkObject* object = NULL;
	node_kind kind = NODE_VIEW;
	display_id window = 0;
	display_id view = 0;
	view_kind viewKind = VIEW_PLAIN;
	accessible_node* parent = NULL;
	std::vector<accessible_node*> children;
	std::string name;
	BRect screenFrame;
	bool enabled = true;
	bool checked = false;
	bool focused = false;
	bool active = false;
};


// The ATK object types of the tree: one for the root and the views, and one for top-level
// windows, which AtkWindow gives the window events (create, activate, ...).
GType accessible_type();
GType accessible_window_type();

// A new object of type pointing to node; the caller holds its one reference.
AtkObject* new_accessible_object(GType type, accessible_node* node);
// The node object points to, NULL once unlink_node() took it away.
accessible_node* node_of(gpointer object);
// Leaves object without its node: from then on it answers as defunct.
void unlink_node(AtkObject* object);

// What the view is to an assistive technology.
AtkRole role_of(const view_state& state);
std::string name_of(const view_state& state);

// Clicks the view of a node, as its "click" action does; the bridge carries it out.
void press_node(const accessible_node* node);


} // namespace BPrivate


#pragma GCC visibility pop


#endif // ATK_ACCESSIBLE_H
