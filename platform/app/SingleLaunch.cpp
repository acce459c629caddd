/*
 * Copyright 2026, Bitgate developers. Distributed under the terms of the MIT License.
 */
#include <app/private/SingleLaunch.h>

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <vector>

#include <Entry.h>
#include <Errors.h>
#include <Looper.h>
#include <Message.h>

#include <app/private/LaunchFrame.h>
#include <app/private/LaunchSocket.h>
#include <app/private/LockFile.h>


namespace BPrivate {


namespace {

// The hand-over takes two steps, so that both ends agree on whether it happened: the running
// instance answers a message it takes with kAcknowledgement and keeps its refs aside; the new
// start, which gave up on nothing yet, answers with kCommit, and only then are the refs passed
// on. A start that gives up before it has the acknowledgement closes the connection instead,
// and the refs are dropped: the start opens its files itself.
const char kAcknowledgement = 'k';
const char kCommit = 'c';
// How long either end waits for the other before giving up on the connection.
const int kPeerTimeout = 5000;
// Connections served at once; more wait in the socket's backlog.
const size_t kMaxPeers = 32;


bool
private_folder(const std::string& path)
{
	struct stat info;
	return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == geteuid()
		&& (info.st_mode & 077) == 0;
}


// A file name made of the characters that need no thought anywhere.
std::string
file_name_part(const char* text)
{
	std::string part;
	for (const char* c = text; *c != '\0'; c++) {
		bool plain = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z')
			|| (*c >= '0' && *c <= '9') || *c == '.' || *c == '-';
		part += plain ? *c : '_';
	}
	return part;
}


bool
is_local_host(const std::string& host)
{
	if (host.empty() || host == "unix" || host == "localhost" || host == "127.0.0.1"
		|| host == "::1")
		return true;
	char own[256];
	if (gethostname(own, sizeof(own)) != 0)
		return false;
	own[sizeof(own) - 1] = '\0';
	return strcasecmp(host.c_str(), own) == 0;
}


// The X display a DISPLAY value names, as [protocol/][host]:number[.screen]: the host (empty
// for this machine) and the number, without the screen. This machine's server is one display
// whichever way it is reached: by its socket (":0", "unix:0") or by TCP to this host
// ("localhost:0", its own name), since a server listens on both for its number and Xlib itself
// goes from one to the other. A value of any other form is its own key.
std::string
display_key(const char* display)
{
	std::string value = display;
	std::string rest = value;
	bool local = false;
	size_t slash = value.find('/');
	size_t colon = value.rfind(':');
	if (value[0] != '/' && slash != std::string::npos && colon != std::string::npos
		&& slash < colon) {
		std::string protocol = value.substr(0, slash);
		local = protocol == "unix" || protocol == "local";
		rest = value.substr(slash + 1);
		colon = rest.rfind(':');
	}
	if (colon == std::string::npos || (colon > 0 && rest[colon - 1] == ':'))
		return file_name_part(display);
	std::string host = rest.substr(0, colon);
	if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
		host = host.substr(1, host.size() - 2);
	std::transform(host.begin(), host.end(), host.begin(),
		[](unsigned char c) { return static_cast<char>(tolower(c)); });

	const char* number = rest.c_str() + colon + 1;
	char* end;
	errno = 0;
	unsigned long displayNumber = strtoul(number, &end, 10);
	if (end == number || *number < '0' || *number > '9' || errno != 0
		|| (*end != '\0' && *end != '.'))
		return file_name_part(display);
	if (*end == '.') {
		const char* screen = end + 1;
		if (*screen == '\0' || strspn(screen, "0123456789") != strlen(screen))
			return file_name_part(display);
	}
	if (local || is_local_host(host))
		host.clear();
	return file_name_part(host.c_str()) + "_" + std::to_string(displayNumber);
}


status_t
hand_over(LaunchSocket& socket, const BMessage& refs, int64 deadline)
{
	// Files are handed to an instance of one's own alone.
	if (!socket.PeerIsOwnUser())
		return B_NOT_ALLOWED;
	if (!refs.HasField("refs", B_REF_TYPE))
		return B_OK;

	std::vector<char> frame;
	status_t status = LaunchFrame::Encode(refs, &frame);
	if (status != B_OK)
		return status;

	char answer = 0;
	if (!socket.WriteFully(frame.data(), frame.size(), deadline)
		|| !socket.ReadFully(&answer, 1, deadline) || answer != kAcknowledgement)
		return B_TIMED_OUT;
	// Fails if the running instance gave up on this connection meanwhile and closed it.
	if (socket.SendNow(&kCommit, 1) != 1)
		return B_TIMED_OUT;
	return B_OK;
}

} // namespace


status_t
launch_socket_path(const char* signature, std::string* _path)
{
	if (signature == NULL || *signature == '\0' || _path == NULL)
		return B_BAD_VALUE;
	try {
		std::string folder;
		const char* runtime = getenv("XDG_RUNTIME_DIR");
		if (runtime != NULL && runtime[0] == '/' && private_folder(runtime))
			folder = std::string(runtime) + "/be-launch";
		else
			folder = "/tmp/be-launch-" + std::to_string(geteuid());
		if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
			return errno_to_status(errno);
		if (!private_folder(folder))
			return B_PERMISSION_DENIED;

		std::string name = file_name_part(signature);
		// An instance on another display would open its windows where the user can't see them.
		const char* display = getenv("DISPLAY");
		if (display != NULL && *display != '\0')
			name += "@" + display_key(display);
		*_path = folder + "/" + name;
		struct sockaddr_un address;
		if (!LaunchSocket::AddressFor(*_path, &address))
			return B_NAME_TOO_LONG;
		return B_OK;
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


LaunchServer::LaunchServer(const std::string& path, FileDescriptor&& socket,
	FileDescriptor&& stopRead, FileDescriptor&& stopWrite, dev_t device, ino_t node)
	: fPath(path),
	  fSocket(std::move(socket)),
	  fStopRead(std::move(stopRead)),
	  fStopWrite(std::move(stopWrite)),
	  fDevice(device),
	  fNode(node),
	  fTarget(NULL)
{
}


LaunchServer::~LaunchServer()
{
	Stop();
}


status_t
LaunchServer::Start(BLooper* target)
{
	if (target == NULL || fSocket.Get() < 0 || fThread.joinable())
		return B_BAD_VALUE;
	fTarget = target;
	try {
		fThread = std::thread(&LaunchServer::_Listen, this);
	} catch (const std::exception&) {
		return B_NO_MEMORY;
	}
	return B_OK;
}


void
LaunchServer::Stop()
{
	if (fSocket.Get() < 0)
		return;
	// Removed first, so that a start from now on takes the place over instead of waiting.
	struct stat info;
	if (stat(fPath.c_str(), &info) == 0 && info.st_dev == fDevice && info.st_ino == fNode)
		unlink(fPath.c_str());
	if (fThread.joinable()) {
		char stop = 0;
		while (write(fStopWrite.Get(), &stop, 1) < 0 && errno == EINTR) {
		}
		fThread.join();
	}
	fSocket.Reset();
	fStopRead.Reset();
	fStopWrite.Reset();
}


// One connection being served: its message as far as it came, then the refs it hands over,
// kept aside until the peer commits.
struct LaunchServer::peer {
	LaunchSocket connection;
	int64 deadline = 0;
	LaunchFrame frame;
	std::unique_ptr<BMessage> refs;
};


void
LaunchServer::_Listen()
{
	// Served side by side, each with its own deadline, so that a peer that sends nothing holds
	// up nobody else.
	std::vector<std::unique_ptr<peer>> peers;
	for (;;) {
		std::vector<struct pollfd> entries;
		int64 deadline = -1;
		try {
			entries.push_back({fStopRead.Get(), POLLIN, 0});
			entries.push_back({peers.size() < kMaxPeers ? fSocket.Get() : -1, POLLIN, 0});
			for (const auto& client : peers) {
				entries.push_back({client->connection.FD(), POLLIN, 0});
				if (deadline < 0 || client->deadline < deadline)
					deadline = client->deadline;
			}
		} catch (const std::bad_alloc&) {
			peers.clear();
			continue;
		}
		int timeout = deadline < 0 ? -1 : int(std::max<int64>(0, deadline - LaunchSocket::Now()));
		if (poll(entries.data(), entries.size(), timeout) < 0) {
			if (errno == EINTR)
				continue;
			return;
		}
		if (entries[0].revents != 0)
			return;

		int64 now = LaunchSocket::Now();
		for (size_t i = peers.size(); i-- > 0;) {
			// At its deadline a peer gets a last look, in case its answer came just then.
			if ((entries[i + 2].revents != 0 || now >= peers[i]->deadline)
				&& (_Serve(*peers[i]) || now >= peers[i]->deadline))
				peers.erase(peers.begin() + i);
		}

		if ((entries[1].revents & POLLIN) == 0)
			continue;
		LaunchSocket connection(accept4(fSocket.Get(), NULL, NULL, SOCK_CLOEXEC | SOCK_NONBLOCK));
		if (connection.FD() < 0)
			continue;
		if (!connection.PeerIsOwnUser()) {
			fprintf(stderr, "%s: refused a connection from another user\n", fTarget->Name());
			continue;
		}
		try {
			auto client = std::make_unique<peer>();
			client->connection = std::move(connection);
			client->deadline = now + kPeerTimeout;
			peers.push_back(std::move(client));
		} catch (const std::bad_alloc&) {
		}
	}
}


bool
LaunchServer::_Serve(peer& client)
{
	try {
		if (client.refs == NULL) {
			status_t status = client.frame.Receive(client.connection);
			if (status == B_WOULD_BLOCK)
				return false;
			// A peer that closes at once only wanted to know that this instance runs.
			if (status != B_OK)
				return true;
			client.refs = _RefsOf(client.frame.Body());
			if (client.refs == NULL || client.connection.SendNow(&kAcknowledgement, 1) != 1)
				return true;
			client.deadline = LaunchSocket::Now() + kPeerTimeout;
		}

		for (;;) {
			char answer;
			ssize_t count = client.connection.ReceiveNow(&answer, 1);
			if (count < 0 && errno == EINTR)
				continue;
			if (count < 0 && errno == EAGAIN)
				return false;
			// Anything but the commit, the end of the connection included, drops the refs.
			if (count == 1 && answer == kCommit && !client.refs->IsEmpty())
				fTarget->PostMessage(client.refs.get());
			return true;
		}
	} catch (const std::bad_alloc&) {
		return true;
	}
}


std::unique_ptr<BMessage>
LaunchServer::_RefsOf(const std::vector<char>& flattened)
{
	BMessage message;
	if (message.Unflatten(flattened.data(), flattened.size()) != B_OK
		|| message.what != B_REFS_RECEIVED)
		return NULL;
	type_code type;
	int32 count;
	if (message.GetInfo("refs", &type, &count) != B_OK || type != B_REF_TYPE || count < 1)
		return NULL;
	// Passed on as the refs alone, as if the files had been given at this start; a name that
	// names nothing (any more) is left out, as it would have been there.
	auto refs = std::make_unique<BMessage>(B_REFS_RECEIVED);
	for (int32 i = 0; i < count; i++) {
		entry_ref ref;
		if (message.FindRef("refs", i, &ref) != B_OK)
			return NULL;
		if (BEntry(&ref).Exists() && refs->AddRef("refs", &ref) != B_OK)
			return NULL;
	}
	return refs;
}


status_t
launch_or_hand_over(const char* path, const BMessage& refs, std::unique_ptr<LaunchServer>* _server)
{
	if (path == NULL || _server == NULL)
		return B_BAD_VALUE;
	_server->reset();
	try {
		std::string socketPath(path);
		struct sockaddr_un address;
		if (!LaunchSocket::AddressFor(socketPath, &address))
			return B_NAME_TOO_LONG;

		// Starts at the same time take turns, so that only one of them binds.
		LockFile lock;
		int64 deadline = LaunchSocket::Now() + kPeerTimeout;
		status_t status = lock.Lock((socketPath + ".lock").c_str(), deadline);
		if (status != B_OK)
			return status;

		LaunchSocket client;
		status = client.Open();
		if (status != B_OK)
			return status;
		status = client.Connect(address, deadline);
		if (status == B_OK) {
			lock.Unlock();
			return hand_over(client, refs, deadline);
		}
		if (status == B_TIMED_OUT)
			return B_TIMED_OUT;
		if (errno == ECONNREFUSED) {
			// Left by an instance that died: nobody listens on it any more.
			if (unlink(path) != 0 && errno != ENOENT)
				return errno_to_status(errno);
		} else if (errno != ENOENT)
			return errno_to_status(errno);

		FileDescriptor server(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
		if (server.Get() < 0)
			return errno_to_status(errno);
		if (bind(server.Get(), reinterpret_cast<struct sockaddr*>(&address), sizeof(address)) != 0
			|| chmod(path, 0600) != 0 || listen(server.Get(), 16) != 0)
			return errno_to_status(errno);
		struct stat info;
		if (stat(path, &info) != 0)
			return errno_to_status(errno);
		int stopPipe[2];
		if (pipe2(stopPipe, O_CLOEXEC) != 0)
			return errno_to_status(errno);
		FileDescriptor stopRead(stopPipe[0]);
		FileDescriptor stopWrite(stopPipe[1]);
		_server->reset(new LaunchServer(socketPath, std::move(server), std::move(stopRead),
			std::move(stopWrite), info.st_dev, info.st_ino));
		return B_OK;
	} catch (const std::bad_alloc&) {
		return B_NO_MEMORY;
	}
}


} // namespace BPrivate
