// Times a program from its launch to the moment the X server maps its window of a given title,
// then reads its peak resident memory once the window has settled, and ends it.
//
//   comrs_window_shown TITLE SETTLE_MS PROGRAM [ARGUMENTS...]
//
// Prints "MS RSS_KB" (MS with a tenth of a millisecond). Asking a shell to poll the window list
// every few milliseconds cannot tell 42 ms from 45 ms; the map event can. A program that ends
// before its window is shown, or shows none within 10 s, is named on stderr: exit status 1.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kGiveUpAfter = std::chrono::seconds(10);

template <typename T> using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

std::string windowName(xcb_connection_t *x, xcb_window_t window)
{
    XcbReply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            x,
            xcb_get_property(x, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256),
            nullptr),
        &std::free);
    if (!reply)
        return "";
    return std::string(static_cast<const char *>(xcb_get_property_value(reply.get())),
                       static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

long peakResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

std::string howItEnded(int status)
{
    if (WIFSIGNALED(status))
        return std::string("killed by signal ") + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return "exit status " + std::to_string(WEXITSTATUS(status));
}

int fail(const std::string &what)
{
    std::fprintf(stderr, "comrs_window_shown: %s\n", what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc < 4)
        return fail("usage: comrs_window_shown TITLE SETTLE_MS PROGRAM [ARGUMENTS...]");
    const std::string title = argv[1];
    const int settleMs = std::atoi(argv[2]);

    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (const int error = xcb_connection_has_error(x))
        return fail("cannot reach the X display (xcb error " + std::to_string(error) + ")");
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);

    const Clock::time_point launched = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        // What the program prints is not ours to print: our output is the figures alone.
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDOUT_FILENO);
        ::dup2(quiet, STDERR_FILENO);
        execv(argv[3], argv + 3);
        _exit(127);
    }
    if (pid < 0)
        return fail("cannot start " + std::string(argv[3]));

    std::string failure;
    Clock::time_point shown{};
    while (shown == Clock::time_point{} && failure.empty()) {
        pollfd events{xcb_get_file_descriptor(x), POLLIN, 0};
        ::poll(&events, 1, 20);
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            const Clock::time_point now = Clock::now();
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                windowName(x, reinterpret_cast<xcb_map_notify_event_t *>(event)->window) == title)
                shown = now;
            std::free(event);
        }
        int status = 0;
        if (shown == Clock::time_point{} && waitpid(pid, &status, WNOHANG) == pid)
            failure =
                argv[3] + std::string(" ended before showing its window: ") + howItEnded(status);
        else if (Clock::now() - launched > kGiveUpAfter)
            failure = argv[3] + std::string(" showed no window \"") + title + "\" within 10 s";
    }

    long rssKb = -1;
    if (failure.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
        rssKb = peakResidentKb(pid);
        if (rssKb < 0)
            failure = argv[3] + std::string(" ended while its window settled");
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    xcb_disconnect(x);
    if (!failure.empty())
        return fail(failure);

    const double ms = std::chrono::duration<double, std::milli>(shown - launched).count();
    std::printf("%.1f %ld\n", ms, rssKb);
    return 0;
}
