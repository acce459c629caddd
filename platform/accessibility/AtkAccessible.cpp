/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The ATK objects of the tree. GLib calls them on the bridge's thread, which owns the default
// main context; each answers from the node it points to.

#include <accessibility/AtkAccessible.h>

#include <algorithm>


namespace BPrivate {


namespace {

struct BeAccessible {
	AtkObject parent;
	accessible_node* node;
};


struct BeAccessibleClass {
	AtkObjectClass parent;
};


bool
is_pressable(const accessible_node* node)
{
	return node != NULL && node->kind == NODE_VIEW
		&& (node->viewKind == VIEW_CHECK_BOX || node->viewKind == VIEW_BUTTON);
}


// #pragma mark - AtkObject


gint
accessible_n_children(AtkObject* object)
{
	accessible_node* node = node_of(object);
	return node != NULL ? static_cast<gint>(node->children.size()) : 0;
}


AtkObject*
accessible_ref_child(AtkObject* object, gint index)
{
	accessible_node* node = node_of(object);
	if (node == NULL || index < 0 || static_cast<size_t>(index) >= node->children.size())
		return NULL;
	return ATK_OBJECT(g_object_ref(node->children[index]->object));
}


AtkObject*
accessible_get_parent(AtkObject* object)
{
	accessible_node* node = node_of(object);
	return node != NULL && node->parent != NULL ? node->parent->object : NULL;
}


gint
accessible_index_in_parent(AtkObject* object)
{
	accessible_node* node = node_of(object);
	if (node == NULL || node->parent == NULL)
		return -1;
	const std::vector<accessible_node*>& siblings = node->parent->children;
	auto found = std::find(siblings.begin(), siblings.end(), node);
	return found != siblings.end() ? static_cast<gint>(found - siblings.begin()) : -1;
}


AtkStateSet*
accessible_ref_state_set(AtkObject* object)
{
	AtkStateSet* set = atk_state_set_new();
	accessible_node* node = node_of(object);
	if (node == NULL) {
		atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
		return set;
	}
	if (node->kind == NODE_ROOT)
		return set;
	if (node->enabled) {
		atk_state_set_add_state(set, ATK_STATE_ENABLED);
		atk_state_set_add_state(set, ATK_STATE_SENSITIVE);
	}
	// Only the windows shown are in the tree.
	atk_state_set_add_state(set, ATK_STATE_VISIBLE);
	atk_state_set_add_state(set, ATK_STATE_SHOWING);
	if (node->kind == NODE_WINDOW && node->active)
		atk_state_set_add_state(set, ATK_STATE_ACTIVE);
	if (is_pressable(node)) {
		if (node->enabled)
			atk_state_set_add_state(set, ATK_STATE_FOCUSABLE);
		if (node->focused)
			atk_state_set_add_state(set, ATK_STATE_FOCUSED);
	}
	if (node->kind == NODE_VIEW && node->viewKind == VIEW_CHECK_BOX) {
		atk_state_set_add_state(set, ATK_STATE_CHECKABLE);
		if (node->checked)
			atk_state_set_add_state(set, ATK_STATE_CHECKED);
	}
	return set;
}


void
accessible_class_init(gpointer classData, gpointer)
{
	AtkObjectClass* objectClass = ATK_OBJECT_CLASS(classData);
	objectClass->get_n_children = &accessible_n_children;
	objectClass->ref_child = &accessible_ref_child;
	objectClass->get_parent = &accessible_get_parent;
	objectClass->get_index_in_parent = &accessible_index_in_parent;
	objectClass->ref_state_set = &accessible_ref_state_set;
}


// #pragma mark - AtkComponent


void
component_get_extents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
	AtkCoordType coordinates)
{
	accessible_node* node = node_of(component);
	BRect frame;
	if (node != NULL && node->kind != NODE_ROOT)
		frame = node->screenFrame;
	else
		frame.Set(0, 0, -1, -1);
	BRect origin(0, 0, 0, 0);
	if (node != NULL && coordinates == ATK_XY_WINDOW) {
		const accessible_node* window = node;
		while (window->parent != NULL && window->kind != NODE_WINDOW)
			window = window->parent;
		origin = window->screenFrame;
	} else if (node != NULL && coordinates == ATK_XY_PARENT && node->parent != NULL
		&& node->parent->kind != NODE_ROOT) {
		origin = node->parent->screenFrame;
	}
	if (x != NULL)
		*x = static_cast<gint>(frame.left - origin.left);
	if (y != NULL)
		*y = static_cast<gint>(frame.top - origin.top);
	if (width != NULL)
		*width = static_cast<gint>(frame.Width() + 1);
	if (height != NULL)
		*height = static_cast<gint>(frame.Height() + 1);
}


void
component_init(gpointer interface, gpointer)
{
	static_cast<AtkComponentIface*>(interface)->get_extents = &component_get_extents;
}


// #pragma mark - AtkAction


gint
action_count(AtkAction* action)
{
	return is_pressable(node_of(action)) ? 1 : 0;
}


const gchar*
action_name(AtkAction* action, gint index)
{
	return is_pressable(node_of(action)) && index == 0 ? "click" : NULL;
}


const gchar*
action_keybinding(AtkAction*, gint)
{
	return NULL;
}


gboolean
action_do(AtkAction* action, gint index)
{
	accessible_node* node = node_of(action);
	if (!is_pressable(node) || index != 0 || !node->enabled)
		return FALSE;
	press_node(node);
	return TRUE;
}


void
action_init(gpointer interface, gpointer)
{
	AtkActionIface* actionInterface = static_cast<AtkActionIface*>(interface);
	actionInterface->do_action = &action_do;
	actionInterface->get_n_actions = &action_count;
	actionInterface->get_name = &action_name;
	actionInterface->get_localized_name = &action_name;
	actionInterface->get_keybinding = &action_keybinding;
}

} // namespace


// #pragma mark - Types and nodes


GType
accessible_type()
{
	static GType type = 0;
	if (type != 0)
		return type;
	GTypeInfo info = {};
	info.class_size = sizeof(BeAccessibleClass);
	info.class_init = &accessible_class_init;
	info.instance_size = sizeof(BeAccessible);
	type = g_type_register_static(ATK_TYPE_OBJECT, "BeAccessible", &info, GTypeFlags(0));
	GInterfaceInfo component = {&component_init, NULL, NULL};
	g_type_add_interface_static(type, ATK_TYPE_COMPONENT, &component);
	GInterfaceInfo action = {&action_init, NULL, NULL};
	g_type_add_interface_static(type, ATK_TYPE_ACTION, &action);
	return type;
}


GType
accessible_window_type()
{
	static GType type = 0;
	if (type != 0)
		return type;
	GTypeInfo info = {};
	info.class_size = sizeof(BeAccessibleClass);
	info.instance_size = sizeof(BeAccessible);
	type = g_type_register_static(accessible_type(), "BeAccessibleWindow", &info, GTypeFlags(0));
	GInterfaceInfo window = {NULL, NULL, NULL};
	g_type_add_interface_static(type, ATK_TYPE_WINDOW, &window);
	return type;
}


AtkObject*
new_accessible_object(GType type, accessible_node* node)
{
	AtkObject* object = ATK_OBJECT(g_object_new(type, NULL));
	reinterpret_cast<BeAccessible*>(object)->node = node;
	atk_object_initialize(object, NULL);
	return object;
}


accessible_node*
node_of(gpointer object)
{
	return reinterpret_cast<BeAccessible*>(object)->node;
}


void
unlink_node(AtkObject* object)
{
	reinterpret_cast<BeAccessible*>(object)->node = NULL;
}


// #pragma mark - Views


AtkRole
role_of(const view_state& state)
{
	switch (state.kind) {
		case VIEW_TEXT:
			return ATK_ROLE_LABEL;
		case VIEW_CHECK_BOX:
			return ATK_ROLE_CHECK_BOX;
		case VIEW_BUTTON:
			return ATK_ROLE_PUSH_BUTTON;
		case VIEW_ALERT_ICON:
			return ATK_ROLE_ICON;
		case VIEW_BORDER:
			if (state.kind_detail == BORDER_LABELED)
				return ATK_ROLE_PANEL;
			break;
		case VIEW_PLAIN:
			break;
	}
	return ATK_ROLE_FILLER;
}


std::string
name_of(const view_state& state)
{
	switch (state.kind) {
		case VIEW_TEXT:
		case VIEW_CHECK_BOX:
		case VIEW_BUTTON:
			return state.label;
		case VIEW_BORDER:
			return state.kind_detail == BORDER_LABELED ? state.label : std::string();
		case VIEW_PLAIN:
		case VIEW_ALERT_ICON:
			break;
	}
	return std::string();
}


} // namespace BPrivate
