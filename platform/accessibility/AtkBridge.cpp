/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The accessibility tree of the on-screen windows, as ATK objects handed to the desktop's
// accessibility bus by ATK's bridge. Loaded by the display on a thread of its own, which owns
// GLib's default main context and runs its loop: every GLib and ATK call is made there.

#include <accessibility/AccessibilityBridge.h>
#include <display/fltk/AccessibleDisplay.h>
#include <display/VisibleText.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include <FL/Enumerations.H>
#include <atk-bridge.h>
#include <atk/atk.h>


namespace BPrivate {


namespace {

enum node_kind {
	NODE_ROOT,
	NODE_WINDOW,
	NODE_VIEW
};


// What the tree knows of one object; the GObject points to it while the object is in the tree.
struct node {
	AtkObject* object = NULL;
	node_kind kind = NODE_VIEW;
	display_id window = 0;
	display_id view = 0;
	view_kind viewKind = VIEW_PLAIN;
	node* parent = NULL;
	std::vector<node*> children;
	std::string name;
	// On screen, inclusive.
	BRect frame;
	bool enabled = true;
	bool checked = false;
	bool focused = false;
	bool active = false;
};


struct BeAccessible {
	AtkObject parent;
	node* data;
};


struct BeAccessibleClass {
	AtkObjectClass parent;
};


node*
data_of(gpointer object)
{
	return reinterpret_cast<BeAccessible*>(object)->data;
}


bool
pressable(const node* data)
{
	return data != NULL && data->kind == NODE_VIEW
		&& (data->viewKind == VIEW_CHECK_BOX || data->viewKind == VIEW_BUTTON);
}


gint
accessible_n_children(AtkObject* object)
{
	node* data = data_of(object);
	return data != NULL ? static_cast<gint>(data->children.size()) : 0;
}


AtkObject*
accessible_ref_child(AtkObject* object, gint index)
{
	node* data = data_of(object);
	if (data == NULL || index < 0 || static_cast<size_t>(index) >= data->children.size())
		return NULL;
	return ATK_OBJECT(g_object_ref(data->children[index]->object));
}


AtkObject*
accessible_get_parent(AtkObject* object)
{
	node* data = data_of(object);
	return data != NULL && data->parent != NULL ? data->parent->object : NULL;
}


gint
accessible_index_in_parent(AtkObject* object)
{
	node* data = data_of(object);
	if (data == NULL || data->parent == NULL)
		return -1;
	const std::vector<node*>& siblings = data->parent->children;
	auto found = std::find(siblings.begin(), siblings.end(), data);
	return found != siblings.end() ? static_cast<gint>(found - siblings.begin()) : -1;
}


AtkStateSet*
accessible_ref_state_set(AtkObject* object)
{
	AtkStateSet* set = atk_state_set_new();
	node* data = data_of(object);
	if (data == NULL) {
		atk_state_set_add_state(set, ATK_STATE_DEFUNCT);
		return set;
	}
	if (data->kind == NODE_ROOT)
		return set;
	if (data->enabled) {
		atk_state_set_add_state(set, ATK_STATE_ENABLED);
		atk_state_set_add_state(set, ATK_STATE_SENSITIVE);
	}
	// Only the windows shown are in the tree.
	atk_state_set_add_state(set, ATK_STATE_VISIBLE);
	atk_state_set_add_state(set, ATK_STATE_SHOWING);
	if (data->kind == NODE_WINDOW && data->active)
		atk_state_set_add_state(set, ATK_STATE_ACTIVE);
	if (pressable(data)) {
		if (data->enabled)
			atk_state_set_add_state(set, ATK_STATE_FOCUSABLE);
		if (data->focused)
			atk_state_set_add_state(set, ATK_STATE_FOCUSED);
	}
	if (data->kind == NODE_VIEW && data->viewKind == VIEW_CHECK_BOX) {
		atk_state_set_add_state(set, ATK_STATE_CHECKABLE);
		if (data->checked)
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


void
component_get_extents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
	AtkCoordType coordinates)
{
	node* data = data_of(component);
	BRect frame;
	if (data != NULL && data->kind != NODE_ROOT)
		frame = data->frame;
	else
		frame.Set(0, 0, -1, -1);
	BRect origin(0, 0, 0, 0);
	if (data != NULL && coordinates == ATK_XY_WINDOW) {
		const node* window = data;
		while (window->parent != NULL && window->kind != NODE_WINDOW)
			window = window->parent;
		origin = window->frame;
	} else if (data != NULL && coordinates == ATK_XY_PARENT && data->parent != NULL
		&& data->parent->kind != NODE_ROOT) {
		origin = data->parent->frame;
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


gint
action_count(AtkAction* action)
{
	return pressable(data_of(action)) ? 1 : 0;
}


const gchar*
action_name(AtkAction* action, gint index)
{
	return pressable(data_of(action)) && index == 0 ? "click" : NULL;
}


const gchar*
action_keybinding(AtkAction*, gint)
{
	return NULL;
}


gboolean action_do(AtkAction* action, gint index);


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


// Top-level windows: AtkWindow brings the window events (create, activate, ...).
GType
window_type()
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
			if (state.kind_detail == 3)
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
			return state.kind_detail == 3 ? state.label : std::string();
		case VIEW_PLAIN:
		case VIEW_ALERT_ICON:
			break;
	}
	return std::string();
}


class AtkBridge : public AccessibilityBridge {
public:
	AtkBridge(AccessibleDisplay* display)
		:
		fDisplay(display),
		fContext(g_main_context_default()),
		fLoop(g_main_loop_new(fContext, FALSE))
	{
		fRoot = _NewNode(accessible_type(), NODE_ROOT, 0, 0);
		atk_object_set_role(fRoot->object, ATK_ROLE_APPLICATION);
		atk_object_set_name(fRoot->object, display->ProgramName().c_str());
	}

	void Update() override
	{
		if (!fUpdatePending.exchange(true))
			_Invoke(&_UpdateCallback, this, NULL);
	}

	void Key(const accessible_key& key, std::function<void(bool)> done) override
	{
		auto* call = new key_call{this, key, std::move(done)};
		_Invoke(&_KeyCallback, call,
			[](gpointer data) { delete static_cast<key_call*>(data); });
	}

	void Quit() override
	{
		_Invoke([](gpointer data) {
			g_main_loop_quit(static_cast<AtkBridge*>(data)->fLoop);
			return gboolean(G_SOURCE_REMOVE);
		}, this, NULL);
	}

	// On the bridge's thread, which owns the default main context.
	bool Run()
	{
		if (atk_bridge_adaptor_init(NULL, NULL) != 0)
			return false;
		fDisplay->BridgeReady(this);
		Update();
		// The loop ends as the process does. The registry drops an application whose connection
		// ends, so the bridge is not taken down: that only closes the connection earlier, taking
		// the bus library's locks in an order of their own.
		g_main_loop_run(fLoop);
		return true;
	}

	AtkObject* Root() const { return fRoot->object; }

	guint AddKeyListener(AtkKeySnoopFunc listener, gpointer data)
	{
		guint id = fNextListener++;
		fKeyListeners.emplace_back(id, std::make_pair(listener, data));
		return id;
	}

	void RemoveKeyListener(guint id)
	{
		std::erase_if(fKeyListeners, [id](const auto& entry) { return entry.first == id; });
	}

	void Press(const node* data) { fDisplay->Press(data->window, data->view); }

private:
	struct key_call {
		AtkBridge* bridge;
		accessible_key key;
		std::function<void(bool)> done;
	};

	struct window_nodes {
		node* window = NULL;
		std::map<display_id, node*> views;
	};

	// Always through the loop, never on the caller's thread, even once the loop has ended.
	void _Invoke(GSourceFunc function, gpointer data, GDestroyNotify destroy)
	{
		GSource* source = g_idle_source_new();
		g_source_set_priority(source, G_PRIORITY_DEFAULT);
		g_source_set_callback(source, function, data, destroy);
		g_source_attach(source, fContext);
		g_source_unref(source);
	}

	static gboolean _UpdateCallback(gpointer data)
	{
		AtkBridge* self = static_cast<AtkBridge*>(data);
		self->fUpdatePending.store(false);
		accessible_changes changes;
		self->fDisplay->TakeChanges(&changes);
		for (const auto& entry : changes)
			self->_ApplyWindow(entry.first, entry.second);
		return G_SOURCE_REMOVE;
	}

	static gboolean _KeyCallback(gpointer data)
	{
		key_call* call = static_cast<key_call*>(data);
		const accessible_key& key = call->key;
		AtkKeyEventStruct event = {};
		event.type = key.press ? ATK_KEY_EVENT_PRESS : ATK_KEY_EVENT_RELEASE;
		event.state = key.modifiers;
		event.keyval = key.keysym;
		event.length = static_cast<gint>(key.text.size());
		event.string = const_cast<gchar*>(key.text.c_str());
		event.keycode = static_cast<guint16>(key.keycode);
		event.timestamp = key.time;
		bool taken = false;
		// A listener may remove itself.
		auto listeners = call->bridge->fKeyListeners;
		for (const auto& entry : listeners) {
			if (entry.second.first(&event, entry.second.second))
				taken = true;
		}
		call->done(taken);
		return G_SOURCE_REMOVE;
	}

	node* _NewNode(GType type, node_kind kind, display_id window, display_id view)
	{
		node* data = new node;
		data->kind = kind;
		data->window = window;
		data->view = view;
		data->object = ATK_OBJECT(g_object_new(type, NULL));
		reinterpret_cast<BeAccessible*>(data->object)->data = data;
		atk_object_initialize(data->object, NULL);
		return data;
	}

	// Takes data out of the tree: its object stays valid for whoever holds it, as defunct.
	void _Destroy(node* data)
	{
		// Neither its parent nor its children point to it any more.
		if (data->parent != NULL)
			std::erase(data->parent->children, data);
		for (node* child : data->children) {
			if (child->parent == data)
				child->parent = NULL;
		}
		reinterpret_cast<BeAccessible*>(data->object)->data = NULL;
		atk_object_notify_state_change(data->object, ATK_STATE_DEFUNCT, TRUE);
		g_object_unref(data->object);
		delete data;
	}

	void _Detach(node* data)
	{
		node* parent = data->parent;
		if (parent == NULL)
			return;
		auto found = std::find(parent->children.begin(), parent->children.end(), data);
		if (found != parent->children.end()) {
			guint index = static_cast<guint>(found - parent->children.begin());
			parent->children.erase(found);
			g_signal_emit_by_name(parent->object, "children-changed::remove", index,
				data->object);
		}
		data->parent = NULL;
	}

	void _SetChildren(node* parent, const std::vector<node*>& children, bool notify)
	{
		std::vector<node*> old = parent->children;
		parent->children = children;
		for (node* child : children)
			child->parent = parent;
		if (!notify)
			return;
		for (size_t i = 0; i < old.size(); i++) {
			if (std::find(children.begin(), children.end(), old[i]) == children.end()) {
				g_signal_emit_by_name(parent->object, "children-changed::remove",
					static_cast<guint>(i), old[i]->object);
			}
		}
		for (size_t i = 0; i < children.size(); i++) {
			if (std::find(old.begin(), old.end(), children[i]) == old.end()) {
				g_signal_emit_by_name(parent->object, "children-changed::add",
					static_cast<guint>(i), children[i]->object);
			}
		}
	}

	void _SetName(node* data, const std::string& name)
	{
		if (data->name == name && atk_object_get_name(data->object) != NULL)
			return;
		data->name = name;
		atk_object_set_name(data->object, name.c_str());
	}

	void _SetState(node* data, bool* field, bool value, AtkStateType state, bool notify)
	{
		if (*field == value)
			return;
		*field = value;
		if (notify)
			atk_object_notify_state_change(data->object, state, value);
	}

	void _RemoveWindow(display_id id)
	{
		auto found = fWindows.find(id);
		if (found == fWindows.end())
			return;
		window_nodes nodes = found->second;
		fWindows.erase(found);
		if (nodes.window->active) {
			nodes.window->active = false;
			atk_object_notify_state_change(nodes.window->object, ATK_STATE_ACTIVE, FALSE);
			g_signal_emit_by_name(nodes.window->object, "deactivate");
		}
		_Detach(nodes.window);
		g_signal_emit_by_name(nodes.window->object, "destroy");
		for (auto& entry : nodes.views)
			_Destroy(entry.second);
		_Destroy(nodes.window);
	}

	void _ApplyWindow(display_id id, const std::optional<accessible_window>& model)
	{
		if (!model.has_value() || !model->state.shown) {
			_RemoveWindow(id);
			return;
		}
		bool created = fWindows.count(id) == 0;
		window_nodes& nodes = fWindows[id];
		if (created)
			nodes.window = _NewNode(window_type(), NODE_WINDOW, id, 0);
		node* window = nodes.window;
		const window_state& state = model->state;
		atk_object_set_role(window->object, state.alert ? ATK_ROLE_ALERT : ATK_ROLE_FRAME);
		_SetName(window, visible_text(state.title));
		window->frame = state.frame;

		for (auto entry = nodes.views.begin(); entry != nodes.views.end();) {
			if (model->views.count(entry->first) != 0) {
				++entry;
				continue;
			}
			_Detach(entry->second);
			_Destroy(entry->second);
			entry = nodes.views.erase(entry);
		}

		std::vector<node*> focusLost;
		std::vector<node*> focusGained;
		for (const auto& entry : model->views) {
			const view_state& viewState = entry.second;
			node*& data = nodes.views[entry.first];
			bool fresh = data == NULL;
			if (fresh)
				data = _NewNode(accessible_type(), NODE_VIEW, id, entry.first);
			data->viewKind = viewState.kind;
			atk_object_set_role(data->object, role_of(viewState));
			_SetName(data, visible_text(name_of(viewState)));
			data->frame = viewState.frame.OffsetByCopy(state.frame.left, state.frame.top);
			bool notify = !fresh && !created;
			_SetState(data, &data->enabled, viewState.enabled, ATK_STATE_ENABLED, notify);
			_SetState(data, &data->checked,
				viewState.kind == VIEW_CHECK_BOX && viewState.value != 0, ATK_STATE_CHECKED,
				notify);
			bool focused = model->active && model->focus == entry.first;
			if (focused != data->focused)
				(focused ? focusGained : focusLost).push_back(data);
		}

		// Children in the views' order, each under its parent view.
		std::map<node*, std::vector<std::pair<int32, node*>>> order;
		order[window];
		for (const auto& entry : model->views) {
			node* parent = window;
			auto found = nodes.views.find(entry.second.parent);
			if (entry.second.parent != 0 && found != nodes.views.end())
				parent = found->second;
			order[parent].emplace_back(entry.second.index, nodes.views[entry.first]);
		}
		for (auto& entry : nodes.views)
			order[entry.second];
		for (auto& entry : order) {
			std::stable_sort(entry.second.begin(), entry.second.end(),
				[](const auto& a, const auto& b) { return a.first < b.first; });
			std::vector<node*> children;
			for (const auto& child : entry.second)
				children.push_back(child.second);
			_SetChildren(entry.first, children, !created);
		}

		if (created) {
			fRoot->children.push_back(window);
			window->parent = fRoot;
			g_signal_emit_by_name(fRoot->object, "children-changed::add",
				static_cast<guint>(fRoot->children.size() - 1), window->object);
			g_signal_emit_by_name(window->object, "create");
		}
		if (window->active != model->active) {
			window->active = model->active;
			atk_object_notify_state_change(window->object, ATK_STATE_ACTIVE, window->active);
			g_signal_emit_by_name(window->object, window->active ? "activate" : "deactivate");
		}
		for (node* data : focusLost)
			_SetState(data, &data->focused, false, ATK_STATE_FOCUSED, true);
		for (node* data : focusGained)
			_SetState(data, &data->focused, true, ATK_STATE_FOCUSED, true);
	}

	AccessibleDisplay* fDisplay;
	GMainContext* fContext;
	GMainLoop* fLoop;
	std::atomic<bool> fUpdatePending{false};
	node* fRoot;
	std::map<display_id, window_nodes> fWindows;
	std::vector<std::pair<guint, std::pair<AtkKeySnoopFunc, gpointer>>> fKeyListeners;
	guint fNextListener = 1;
};


// The bridge finds the tree and the key listeners through ATK's utility class, which has no
// room for a pointer: the process has one bridge.
AtkBridge* sBridge = NULL;


gboolean
action_do(AtkAction* action, gint index)
{
	node* data = data_of(action);
	if (!pressable(data) || index != 0 || !data->enabled)
		return FALSE;
	sBridge->Press(data);
	return TRUE;
}


AtkObject*
util_root()
{
	return sBridge->Root();
}


const gchar*
util_toolkit_name()
{
	return "FLTK";
}


const gchar*
util_toolkit_version()
{
	static const std::string sVersion = std::to_string(FL_MAJOR_VERSION) + "."
		+ std::to_string(FL_MINOR_VERSION) + "." + std::to_string(FL_PATCH_VERSION);
	return sVersion.c_str();
}


guint
util_add_key_listener(AtkKeySnoopFunc listener, gpointer data)
{
	return sBridge->AddKeyListener(listener, data);
}


void
util_remove_key_listener(guint id)
{
	sBridge->RemoveKeyListener(id);
}

} // namespace


} // namespace BPrivate


using namespace BPrivate;


extern "C" bool
be_accessibility_run(AccessibleDisplay* display)
{
	GMainContext* context = g_main_context_default();
	if (!g_main_context_acquire(context))
		return false;
	// Never deleted: the display may still hand it changes while the process ends.
	sBridge = new AtkBridge(display);
	// All of it before the bridge starts: it asks for the root and the key listeners at once.
	AtkUtilClass* util = ATK_UTIL_CLASS(g_type_class_ref(ATK_TYPE_UTIL));
	util->get_root = &util_root;
	util->get_toolkit_name = &util_toolkit_name;
	util->get_toolkit_version = &util_toolkit_version;
	util->add_key_event_listener = &util_add_key_listener;
	util->remove_key_event_listener = &util_remove_key_listener;
	window_type();
	bool ran = sBridge->Run();
	g_main_context_release(context);
	return ran;
}
