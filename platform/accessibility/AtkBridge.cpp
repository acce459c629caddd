/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
// The accessibility tree of the on-screen windows, as ATK objects handed to the desktop's
// accessibility bus by ATK's bridge. Loaded by the display on a thread of its own, which owns
// GLib's default main context and runs its loop: every GLib and ATK call is made there.

#include <accessibility/AccessibilityBridge.h>
#include <accessibility/AtkAccessible.h>
#include <display/ChildOrder.h>
#include <display/fltk/AccessibleDisplay.h>
#include <display/VisibleText.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <FL/Enumerations.H>
#include <atk-bridge.h>
#include <atk/atk.h>


namespace BPrivate {


namespace {

// Whether a change is told on the bus. Changes to an object new to the tree are not: it is
// told of as a whole when it joins.
enum change_notice {
	SILENT_CHANGE,
	ANNOUNCED_CHANGE
};


typedef std::map<display_id, accessible_node*> view_nodes;
typedef std::map<accessible_node*, std::vector<accessible_node*>> node_children;


// The children of every node of the window: the views in their order, each under its parent
// view, or under the window when that is none of the window's views. A node without children
// has an empty entry.
node_children
ordered_children(accessible_node* window, const view_nodes& views, const accessible_window& model)
{
	std::vector<child_place> places;
	places.reserve(model.views.size());
	for (const auto& entry : model.views) {
		display_id parent = entry.second.parent;
		if (parent != 0 && views.find(parent) == views.end())
			parent = 0;
		places.push_back({entry.first, parent, entry.second.index});
	}

	// Every node gets its list, so a view that lost its last child is emptied too.
	node_children children;
	children[window];
	for (const auto& entry : views)
		children[entry.second];
	for (const auto& entry : BPrivate::children_in_order(places)) {
		accessible_node* parent = entry.first == 0 ? window : views.at(entry.first);
		std::vector<accessible_node*>& list = children[parent];
		for (display_id child : entry.second)
			list.push_back(views.at(child));
	}
	return children;
}


class AtkBridge : public AccessibilityBridge {
public:
	AtkBridge(AccessibleDisplay* display);

	void Update() override;
	void Key(const accessible_key& key, std::function<void(bool)> done) override;
	void Quit() override;

	// On the bridge's thread, which owns the default main context.
	bool Run();

	AtkObject* Root() const;
	guint AddKeyListener(AtkKeySnoopFunc listener, gpointer data);
	void RemoveKeyListener(guint id);
	void Press(const accessible_node* node);

private:
	struct key_call {
		AtkBridge* bridge;
		accessible_key key;
		std::function<void(bool)> done;
	};

	struct window_nodes {
		accessible_node* window = NULL;
		view_nodes views;
	};

	// The views whose keyboard focus changes, told once the window's tree is complete.
	struct focus_moves {
		std::vector<accessible_node*> lost;
		std::vector<accessible_node*> gained;
	};

	void _InvokeOnLoop(GSourceFunc function, gpointer data, GDestroyNotify destroy);
	static gboolean _UpdateCallback(gpointer data);
	static gboolean _KeyCallback(gpointer data);
	static gboolean _QuitCallback(gpointer data);

	accessible_node* _NewNode(GType type, node_kind kind, display_id window, display_id view);
	void _Destroy(accessible_node* node);
	void _Detach(accessible_node* node);
	void _SetChildren(accessible_node* parent, const std::vector<accessible_node*>& children,
		change_notice notice);
	void _SetName(accessible_node* node, const std::string& name);
	void _SetState(accessible_node* node, bool* field, bool value, AtkStateType state,
		change_notice notice);

	void _ApplyWindow(display_id id, const std::optional<accessible_window>& model);
	void _RemoveWindow(display_id id);
	void _SetWindowState(accessible_node* window, const window_state& state);
	void _RemoveGoneViews(window_nodes* nodes, const accessible_window& model);
	focus_moves _UpdateViews(window_nodes* nodes, display_id id, const accessible_window& model,
		change_notice notice);
	void _AddToRoot(accessible_node* window);
	void _SetActive(accessible_node* window, bool active);
	void _MoveFocus(const focus_moves& moves);

	AccessibleDisplay* fDisplay;
	GMainContext* fContext;
	GMainLoop* fLoop;
	std::atomic<bool> fUpdatePending{false};
	accessible_node* fRoot;
	std::map<display_id, window_nodes> fWindows;
	std::vector<std::pair<guint, std::pair<AtkKeySnoopFunc, gpointer>>> fKeyListeners;
	guint fNextListener = 1;
};


// The bridge finds the tree and the key listeners through ATK's utility class, which has no
// room for a pointer: the process has one bridge.
AtkBridge* sBridge = NULL;


AtkBridge::AtkBridge(AccessibleDisplay* display)
	: fDisplay(display),
	  fContext(g_main_context_default()),
	  fLoop(g_main_loop_new(fContext, FALSE))
{
	fRoot = _NewNode(accessible_type(), NODE_ROOT, 0, 0);
	atk_object_set_role(fRoot->object, ATK_ROLE_APPLICATION);
	atk_object_set_name(fRoot->object, display->ProgramName().c_str());
}


void
AtkBridge::Update()
{
	if (!fUpdatePending.exchange(true))
		_InvokeOnLoop(&_UpdateCallback, this, NULL);
}


void
AtkBridge::Key(const accessible_key& key, std::function<void(bool)> done)
{
	auto* call = new key_call{this, key, std::move(done)};
	_InvokeOnLoop(&_KeyCallback, call, [](gpointer data) { delete static_cast<key_call*>(data); });
}


void
AtkBridge::Quit()
{
	_InvokeOnLoop(&_QuitCallback, this, NULL);
}


bool
AtkBridge::Run()
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


AtkObject*
AtkBridge::Root() const
{
	return fRoot->object;
}


guint
AtkBridge::AddKeyListener(AtkKeySnoopFunc listener, gpointer data)
{
	guint id = fNextListener++;
	fKeyListeners.emplace_back(id, std::make_pair(listener, data));
	return id;
}


void
AtkBridge::RemoveKeyListener(guint id)
{
	std::erase_if(fKeyListeners, [id](const auto& entry) { return entry.first == id; });
}


void
AtkBridge::Press(const accessible_node* node)
{
	fDisplay->Press(node->window, node->view);
}


// #pragma mark - The loop


// Never on the caller's thread, even once the loop has ended.
void
AtkBridge::_InvokeOnLoop(GSourceFunc function, gpointer data, GDestroyNotify destroy)
{
	GSource* source = g_idle_source_new();
	g_source_set_priority(source, G_PRIORITY_DEFAULT);
	g_source_set_callback(source, function, data, destroy);
	g_source_attach(source, fContext);
	g_source_unref(source);
}


gboolean
AtkBridge::_UpdateCallback(gpointer data)
{
	AtkBridge* self = static_cast<AtkBridge*>(data);
	self->fUpdatePending.store(false);
	accessible_changes changes;
	self->fDisplay->TakeChanges(&changes);
	for (const auto& entry : changes)
		self->_ApplyWindow(entry.first, entry.second);
	return G_SOURCE_REMOVE;
}


gboolean
AtkBridge::_KeyCallback(gpointer data)
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


gboolean
AtkBridge::_QuitCallback(gpointer data)
{
	g_main_loop_quit(static_cast<AtkBridge*>(data)->fLoop);
	return G_SOURCE_REMOVE;
}


// #pragma mark - Nodes


accessible_node*
AtkBridge::_NewNode(GType type, node_kind kind, display_id window, display_id view)
{
	accessible_node* node = new accessible_node;
	node->kind = kind;
	node->window = window;
	node->view = view;
	node->object = new_accessible_object(type, node);
	return node;
}


// Takes node out of the tree: its object stays valid for whoever holds it, as defunct.
void
AtkBridge::_Destroy(accessible_node* node)
{
	// Neither its parent nor its children point to it any more.
	if (node->parent != NULL)
		std::erase(node->parent->children, node);
	for (accessible_node* child : node->children) {
		if (child->parent == node)
			child->parent = NULL;
	}
	unlink_node(node->object);
	atk_object_notify_state_change(node->object, ATK_STATE_DEFUNCT, TRUE);
	g_object_unref(node->object);
	delete node;
}


void
AtkBridge::_Detach(accessible_node* node)
{
	accessible_node* parent = node->parent;
	if (parent == NULL)
		return;
	auto found = std::find(parent->children.begin(), parent->children.end(), node);
	if (found != parent->children.end()) {
		guint index = static_cast<guint>(found - parent->children.begin());
		parent->children.erase(found);
		g_signal_emit_by_name(parent->object, "children-changed::remove", index, node->object);
	}
	node->parent = NULL;
}


void
AtkBridge::_SetChildren(accessible_node* parent, const std::vector<accessible_node*>& children,
	change_notice notice)
{
	std::vector<accessible_node*> old = parent->children;
	parent->children = children;
	for (accessible_node* child : children)
		child->parent = parent;
	if (notice == SILENT_CHANGE)
		return;
	for (size_t i = 0; i < old.size(); i++) {
		if (std::find(children.begin(), children.end(), old[i]) == children.end()) {
			g_signal_emit_by_name(parent->object, "children-changed::remove", static_cast<guint>(i),
				old[i]->object);
		}
	}
	for (size_t i = 0; i < children.size(); i++) {
		if (std::find(old.begin(), old.end(), children[i]) == old.end()) {
			g_signal_emit_by_name(parent->object, "children-changed::add", static_cast<guint>(i),
				children[i]->object);
		}
	}
}


void
AtkBridge::_SetName(accessible_node* node, const std::string& name)
{
	if (node->name == name && atk_object_get_name(node->object) != NULL)
		return;
	node->name = name;
	atk_object_set_name(node->object, name.c_str());
}


void
AtkBridge::_SetState(accessible_node* node, bool* field, bool value, AtkStateType state,
	change_notice notice)
{
	if (*field == value)
		return;
	*field = value;
	if (notice == ANNOUNCED_CHANGE)
		atk_object_notify_state_change(node->object, state, value);
}


// #pragma mark - Windows


void
AtkBridge::_ApplyWindow(display_id id, const std::optional<accessible_window>& model)
{
	if (!model.has_value() || !model->state.shown) {
		_RemoveWindow(id);
		return;
	}
	bool created = fWindows.count(id) == 0;
	window_nodes& nodes = fWindows[id];
	if (created)
		nodes.window = _NewNode(accessible_window_type(), NODE_WINDOW, id, 0);
	change_notice notice = created ? SILENT_CHANGE : ANNOUNCED_CHANGE;

	_SetWindowState(nodes.window, model->state);
	_RemoveGoneViews(&nodes, *model);
	focus_moves focus = _UpdateViews(&nodes, id, *model, notice);
	for (const auto& entry : ordered_children(nodes.window, nodes.views, *model))
		_SetChildren(entry.first, entry.second, notice);
	if (created)
		_AddToRoot(nodes.window);
	_SetActive(nodes.window, model->active);
	_MoveFocus(focus);
}


void
AtkBridge::_RemoveWindow(display_id id)
{
	auto found = fWindows.find(id);
	if (found == fWindows.end())
		return;
	window_nodes nodes = found->second;
	fWindows.erase(found);
	_SetActive(nodes.window, false);
	_Detach(nodes.window);
	g_signal_emit_by_name(nodes.window->object, "destroy");
	for (auto& entry : nodes.views)
		_Destroy(entry.second);
	_Destroy(nodes.window);
}


void
AtkBridge::_SetWindowState(accessible_node* window, const window_state& state)
{
	atk_object_set_role(window->object, state.alert ? ATK_ROLE_ALERT : ATK_ROLE_FRAME);
	_SetName(window, visible_text(state.title));
	window->screenFrame = state.frame;
}


void
AtkBridge::_RemoveGoneViews(window_nodes* nodes, const accessible_window& model)
{
	for (auto entry = nodes->views.begin(); entry != nodes->views.end();) {
		if (model.views.count(entry->first) != 0) {
			++entry;
			continue;
		}
		_Detach(entry->second);
		_Destroy(entry->second);
		entry = nodes->views.erase(entry);
	}
}


// Gives every view of the model its node, new ones included, and sets what it shows. The
// focus is left as it was: the moves are returned.
AtkBridge::focus_moves
AtkBridge::_UpdateViews(window_nodes* nodes, display_id id, const accessible_window& model,
	change_notice notice)
{
	focus_moves moves;
	for (const auto& entry : model.views) {
		const view_state& viewState = entry.second;
		accessible_node*& node = nodes->views[entry.first];
		change_notice viewNotice = notice;
		if (node == NULL) {
			node = _NewNode(accessible_type(), NODE_VIEW, id, entry.first);
			viewNotice = SILENT_CHANGE;
		}
		node->viewKind = viewState.kind;
		atk_object_set_role(node->object, role_of(viewState));
		_SetName(node, visible_text(name_of(viewState)));
		node->screenFrame
			= viewState.frame.OffsetByCopy(model.state.frame.left, model.state.frame.top);
		_SetState(node, &node->enabled, viewState.enabled, ATK_STATE_ENABLED, viewNotice);
		_SetState(node, &node->checked, viewState.kind == VIEW_CHECK_BOX && viewState.value != 0,
			ATK_STATE_CHECKED, viewNotice);
		bool focused = model.active && model.focus == entry.first;
		if (focused != node->focused)
			(focused ? moves.gained : moves.lost).push_back(node);
	}
	return moves;
}


void
AtkBridge::_AddToRoot(accessible_node* window)
{
	fRoot->children.push_back(window);
	window->parent = fRoot;
	g_signal_emit_by_name(fRoot->object, "children-changed::add",
		static_cast<guint>(fRoot->children.size() - 1), window->object);
	g_signal_emit_by_name(window->object, "create");
}


void
AtkBridge::_SetActive(accessible_node* window, bool active)
{
	if (window->active == active)
		return;
	window->active = active;
	atk_object_notify_state_change(window->object, ATK_STATE_ACTIVE, active);
	g_signal_emit_by_name(window->object, active ? "activate" : "deactivate");
}


void
AtkBridge::_MoveFocus(const focus_moves& moves)
{
	for (accessible_node* node : moves.lost)
		_SetState(node, &node->focused, false, ATK_STATE_FOCUSED, ANNOUNCED_CHANGE);
	for (accessible_node* node : moves.gained)
		_SetState(node, &node->focused, true, ATK_STATE_FOCUSED, ANNOUNCED_CHANGE);
}


// #pragma mark - ATK's utility class


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


void
press_node(const accessible_node* node)
{
	sBridge->Press(node);
}


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
	accessible_window_type();
	bool ran = sBridge->Run();
	g_main_context_release(context);
	return ran;
}
