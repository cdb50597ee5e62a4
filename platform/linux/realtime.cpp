// SCHED_FIFO at a modest priority (below the sound servers' own threads), reset for
// children. RTKit hands out real-time scheduling only to a process whose RLIMIT_RTTIME is
// within its bound, so the limit is lowered to that bound first; a thread that then spins
// past it gets a signal instead of freezing the desktop. The bus call has a short timeout:
// a system without RTKit costs one failed connect.
#include "platform/linux/realtime.h"

#include <dbus/dbus.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

namespace zuzor {

namespace {

constexpr int wantedPriority = 20;
constexpr int busTimeoutMs = 500;
constexpr const char* rtkitName = "org.freedesktop.RealtimeKit1";
constexpr const char* rtkitPath = "/org/freedesktop/RealtimeKit1";

bool setDirectly(pid_t thread) {
    sched_param param{};
    param.sched_priority = wantedPriority;
    return sched_setscheduler(thread, SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0;
}

// RTKit's property `name` (an int32 or int64), or `fallback` where it does not answer.
int64_t rtkitProperty(DBusConnection* bus, const char* name, int64_t fallback) {
    DBusMessage* call = dbus_message_new_method_call(rtkitName, rtkitPath,
                                                     "org.freedesktop.DBus.Properties", "Get");
    if (!call) return fallback;
    const char* interface = rtkitName;
    dbus_message_append_args(call, DBUS_TYPE_STRING, &interface, DBUS_TYPE_STRING, &name,
                             DBUS_TYPE_INVALID);
    DBusMessage* reply =
        dbus_connection_send_with_reply_and_block(bus, call, busTimeoutMs, nullptr);
    dbus_message_unref(call);
    if (!reply) return fallback;
    int64_t value = fallback;
    DBusMessageIter iter, variant;
    if (dbus_message_iter_init(reply, &iter) &&
        dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_VARIANT) {
        dbus_message_iter_recurse(&iter, &variant);
        if (dbus_message_iter_get_arg_type(&variant) == DBUS_TYPE_INT32) {
            dbus_int32_t v = 0;
            dbus_message_iter_get_basic(&variant, &v);
            value = v;
        } else if (dbus_message_iter_get_arg_type(&variant) == DBUS_TYPE_INT64) {
            dbus_int64_t v = 0;
            dbus_message_iter_get_basic(&variant, &v);
            value = v;
        }
    }
    dbus_message_unref(reply);
    return value;
}

bool setThroughRtkit(pid_t thread) {
    DBusError error;
    dbus_error_init(&error);
    // A private connection: SDL or a library of the process may hold the shared one.
    DBusConnection* bus = dbus_bus_get_private(DBUS_BUS_SYSTEM, &error);
    dbus_error_free(&error);
    if (!bus) return false;
    dbus_connection_set_exit_on_disconnect(bus, FALSE);
    bool granted = false;
    const int64_t rtTimeMax = rtkitProperty(bus, "RTTimeUSecMax", 200000);
    const int priority =
        int(std::min<int64_t>(wantedPriority, rtkitProperty(bus, "MaxRealtimePriority", 0)));
    rlimit limit{};
    if (priority > 0 && getrlimit(RLIMIT_RTTIME, &limit) == 0) {
        if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > rlim_t(rtTimeMax))
            limit.rlim_cur = limit.rlim_max = rlim_t(rtTimeMax);
        if (setrlimit(RLIMIT_RTTIME, &limit) == 0) {
            DBusMessage* call =
                dbus_message_new_method_call(rtkitName, rtkitPath, rtkitName, "MakeThreadRealtime");
            if (call) {
                dbus_uint64_t id = dbus_uint64_t(thread);
                dbus_uint32_t level = dbus_uint32_t(priority);
                dbus_message_append_args(call, DBUS_TYPE_UINT64, &id, DBUS_TYPE_UINT32, &level,
                                         DBUS_TYPE_INVALID);
                DBusMessage* reply =
                    dbus_connection_send_with_reply_and_block(bus, call, busTimeoutMs, nullptr);
                dbus_message_unref(call);
                if (reply) {
                    granted = dbus_message_get_type(reply) == DBUS_MESSAGE_TYPE_METHOD_RETURN;
                    dbus_message_unref(reply);
                }
            }
        }
    }
    dbus_connection_close(bus);
    dbus_connection_unref(bus);
    return granted;
}

}  // namespace

void AudioThreadPriority::noteThisThread() {
    if (thread_.load(std::memory_order_relaxed) == 0)
        thread_.store(pid_t(syscall(SYS_gettid)), std::memory_order_relaxed);
}

bool AudioThreadPriority::raise(int waitMs) {
    if (asked_) return granted_;
    asked_ = true;
    for (int i = 0; i < waitMs && thread_.load(std::memory_order_relaxed) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const pid_t thread = thread_.load(std::memory_order_relaxed);
    if (thread == 0) return false;
    granted_ = setDirectly(thread) || setThroughRtkit(thread);
    return granted_;
}

}  // namespace zuzor
