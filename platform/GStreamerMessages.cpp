#include "platform/GStreamerMessages.h"

#include <gst/gst.h>

#include <cstring>
#include <mutex>

namespace {

GST_DEBUG_CATEGORY_STATIC(mediaLog);

constexpr const char* kKnownAviFault = "gst_flow_combiner_update_pad_flow: assertion 'pad != NULL' failed";

void routeMessage(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer data)
{
    if (message && std::strcmp(message, kKnownAviFault) == 0) {
        GST_CAT_WARNING(mediaLog, "%s (a stream of the AVI file holds no chunk)", message);
        return;
    }
    g_log_default_handler(domain, level, message, data);
}

}  // namespace

void routeGStreamerMessages()
{
    static std::once_flag once;
    std::call_once(once, [] {
        GST_DEBUG_CATEGORY_INIT(mediaLog, "kaleidor-media", 0, "the program's media back end");
        const auto levels = GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
        g_log_set_handler("GStreamer-Base", levels, routeMessage, nullptr);
    });
}
